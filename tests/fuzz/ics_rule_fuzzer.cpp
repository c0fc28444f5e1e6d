// libFuzzer target: one event with a rule made of random parts (any
// frequency, interval, count, until and BY parts, values in range or not)
// on a start that is a date, a time in UTC, in a zone with changes of the
// clocks or floating, expanded over 99 weeks. The steps it takes must stay
// within the budget it is given; its time is bounded by libFuzzer's
// -timeout, which make fuzz sets.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ics/calendar_text.h"
#include "ics/event_time.h"
#include "ics/recurrence.h"
#include "ics/time_zones.h"

namespace {

class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned Next() { return at_ < size_ ? data_[at_++] : 0; }
  bool Empty() const { return at_ >= size_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_, at_ = 0;
};

std::string Rule(Bytes& bytes) {
  const char* const kFrequencies[] = {"SECONDLY", "MINUTELY", "HOURLY", "DAILY",
                                      "WEEKLY",   "MONTHLY",  "YEARLY"};
  std::string rule = std::string("FREQ=") + kFrequencies[bytes.Next() % 7];
  const char* const kParts[] = {"BYSECOND", "BYMINUTE", "BYHOUR",   "BYMONTHDAY", "BYYEARDAY",
                                "BYWEEKNO", "BYMONTH",  "BYSETPOS", "INTERVAL",   "COUNT"};
  const char* const kDays[] = {"SU", "MO", "TU", "WE", "TH", "FR", "SA"};
  while (!bytes.Empty()) {
    const unsigned which = bytes.Next() % 13;
    if (which < 10) {
      const int value = static_cast<int>(bytes.Next() * 256 + bytes.Next()) - 32768;
      rule += std::string(";") + kParts[which] + "=" +
              std::to_string(which >= 8 ? value & 0x7FFFFFFF : value % 400);
    } else if (which == 10) {
      rule += std::string(";BYDAY=") + std::to_string(static_cast<int>(bytes.Next() % 11) - 5) +
              kDays[bytes.Next() % 7];
    } else if (which == 11) {
      rule += ";UNTIL=20" + std::to_string(10 + bytes.Next() % 90) + "0101T000000Z";
    } else {
      rule += std::string(";WKST=") + kDays[bytes.Next() % 7];
    }
  }
  return rule;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wekset::ics;
  Bytes bytes(data, size);
  const char* const kStarts[] = {"VALUE=DATE:19990103",
                                 "VALUE=DATE:20270103",
                                 "TZID=Europe/Berlin:19700329T023000",
                                 "TZID=Europe/Berlin:20270101T100000",
                                 "X=1:20270101T100000Z",
                                 "X=1:19700101T000000"};
  const std::string start = kStarts[bytes.Next() % 6];
  const std::string file = "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:r\r\nDTSTART;" + start +
                           "\r\nRRULE:" + Rule(bytes) + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
  std::vector<std::string> warnings;
  std::string error;
  const std::optional<CalendarText> text = ReadCalendarText(file, warnings, error);
  if (!text) return 0;
  static const ZoneNames names = ZoneNames::Read();
  std::unique_ptr<icalcomponent, void (*)(icalcomponent*)> root(
      icalparser_parse_string(text->text.c_str()), icalcomponent_free);
  if (!root) return 0;
  icalcomponent* event = icalcomponent_get_first_component(root.get(), ICAL_VEVENT_COMPONENT);
  if (event == nullptr) return 0;
  const ZoneResolver zones(names, root.get(), text->brokenZones);
  icalproperty* property = icalcomponent_get_first_property(event, ICAL_DTSTART_PROPERTY);
  if (property == nullptr) return 0;
  const ReadTime read = TimeOf(property, icalproperty_get_dtstart(property), zones);
  if (!read.time) return 0;
  constexpr std::int64_t kEventBudget = 500'000, kRunBudget = 1'500'000;
  const Instant first = 1799020800;  // 2027/01/03
  const ExpansionLimits limits{first - kDay, first + 99 * 7 * kDay, first,
                               3659,         kEventBudget,          kRunBudget};
  const Expansion made = ExpandEvent(event, *read.time, {kDay, 0}, zones, limits);
  // A rule may overstep by the steps that libical takes to give one time.
  if (made.steps > kEventBudget + 400 * 24 * 3600) std::abort();
  return 0;
}
