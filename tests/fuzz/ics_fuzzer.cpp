// libFuzzer target: the bytes of an iCalendar file, checked, parsed and laid
// out on 99 weeks in a zone with changes of the clocks.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ics/calendar_events.h"
#include "ics/calendar_text.h"
#include "ics/time_zones.h"
#include "model/limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wekset::ics;
  std::vector<std::string> warnings;
  std::string error;
  const std::optional<CalendarText> text = ReadCalendarText(
      std::string_view(reinterpret_cast<const char*>(data), size), warnings, error);
  if (!text) return 0;
  static const ZoneNames names = ZoneNames::Read();
  CalendarEvents events;
  if (!events.Add(*text, "fuzz.ics", names, error)) return 0;
  const std::chrono::sys_days first{std::chrono::year{2027} / 1 / 3};
  events.LayOut({first, first + std::chrono::weeks{99}}, KnownZone(names, "Europe/Berlin", false),
                {static_cast<std::size_t>(wekset::kMaxEvents)}, warnings);
  return 0;
}
