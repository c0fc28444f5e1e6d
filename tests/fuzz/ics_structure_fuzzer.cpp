// libFuzzer target: iCalendar files built from the bytes by the grammar of
// components, with components nested, left open, ended out of turn and
// repeated, and properties that place, version and override events. Every
// file is read and laid out, and never more lines come out than the table
// of events holds.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ics/calendar_events.h"
#include "ics/calendar_text.h"
#include "ics/time_zones.h"
#include "model/limits.h"

namespace {

const char* const kLines[] = {"BEGIN:VCALENDAR",
                              "END:VCALENDAR",
                              "BEGIN:VEVENT",
                              "END:VEVENT",
                              "BEGIN:VTODO",
                              "END:VTODO",
                              "BEGIN:VALARM",
                              "END:VALARM",
                              "BEGIN:VTIMEZONE",
                              "END:VTIMEZONE",
                              "BEGIN:STANDARD",
                              "END:STANDARD",
                              "BEGIN:DAYLIGHT",
                              "END:DAYLIGHT",
                              "BEGIN:X-WIDGET",
                              "END:X-WIDGET",
                              "TZID:Local/Zone",
                              "TZOFFSETFROM:+0100",
                              "TZOFFSETTO:-9999",
                              "TZOFFSETTO:+0200",
                              "DTSTART:19700329T020000",
                              "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU",
                              "UID:a",
                              "UID:b",
                              "DTSTART:20270105T100000Z",
                              "DTSTART;TZID=Local/Zone:20270106T100000",
                              "DTSTART;TZID=Europe/Berlin:20270107T233000",
                              "DTSTART;VALUE=DATE:20270108",
                              "DTSTART:20271308T100000Z",
                              "DTEND:20270110T100000Z",
                              "DURATION:P2D",
                              "RRULE:FREQ=DAILY;COUNT=5",
                              "RRULE:FREQ=HOURLY;BYMONTH=2;BYMONTHDAY=30",
                              "RRULE:FREQ=MINUTELY",
                              "RDATE:20270109T080000Z",
                              "EXDATE:20270106T100000Z",
                              "RECURRENCE-ID:20270106T100000Z",
                              "RECURRENCE-ID;RANGE=THISANDFUTURE:20270107T100000Z",
                              "SEQUENCE:1",
                              "SEQUENCE:2",
                              "STATUS:CANCELLED",
                              "SUMMARY:Event",
                              " folded",
                              "SUMMARY:\x1b[2J"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wekset::ics;
  std::string file;
  for (std::size_t i = 0; i < size; ++i) {
    file += kLines[data[i] % std::size(kLines)];
    file += data[i] >= 128 ? "\n" : "\r\n";
  }
  std::vector<std::string> warnings;
  std::string error;
  const std::optional<CalendarText> text = ReadCalendarText(file, warnings, error);
  if (!text) return 0;
  static const ZoneNames names = ZoneNames::Read();
  CalendarEvents events;
  if (!events.Add(*text, "fuzz.ics", names, error)) return 0;
  const std::chrono::sys_days first{std::chrono::year{2027} / 1 / 3};
  const DayEvents days = events.LayOut({first, first + std::chrono::weeks{2}},
                                       KnownZone(names, "Europe/Berlin", false),
                                       {static_cast<std::size_t>(wekset::kMaxEvents)}, warnings);
  if (days.events.size() > static_cast<std::size_t>(wekset::kMaxEvents)) std::abort();
  return 0;
}
