// The rows of the grid. Rows open on every Sunday and close on every Saturday
// that WeekdayOf gives, so the window must start on a Sunday.
#include "tex/week_grid.h"

#include <cstring>

#include "tex/month_names.h"
#include "tex/tex_output.h"

namespace wekset {

namespace {

constexpr const char* kWeekdayAbbreviations = "SunMonTueWedThuFriSat";

const char* FirstDayText(const EventTable& events, std::int32_t offset) {
  for (const EventEntry& entry : events.entries) {
    if (entry.DayOffset == offset) return entry.DayText;
  }
  return nullptr;
}

}  // namespace

void WriteWeekGrid(std::FILE* out, const RunSettings& settings, const CalendarWindow& window,
                   const EventTable& events) {
  std::int32_t weekCounter = 0;
  for (DaySerial serial = window.WindowStart; serial < window.WindowEnd; ++serial) {
    const CalendarDate date = SerialToDate(serial);
    const Weekday weekday = WeekdayOf(date.month, date.day, date.year);
    if (weekday == 0) {
      ++weekCounter;
      if (weekCounter % settings.WeeksPerPage == 1) {
        if (weekCounter > 1) WriteFormatted(out, 2, R"(\vfill\eject)");
        WriteWeekdayHeader(out);
      }
      WriteFormatted(out, 1, "%%%% week %d %%%% ", weekCounter);
      WriteVerbatim(out, {{R"(\vskip-2pt)", 1}, {R"(\hbox{% )", 1}, {R"(\IsSunday=1)", 1}});
    }

    const std::int32_t offset = serial - window.WindowStart;
    WriteFormatted(out, 1, "%%..............................%3d  [%d.%2d.%2d] [%.3s]", offset,
                   date.year, date.month, date.day, kWeekdayAbbreviations + 3 * weekday);
    // The first day of each month, and of the window, names its month.
    const bool banner = date.day == 1 || offset < 1;
    if (banner) WriteFormatted(out, 1, R"(\def\firstday{\fbox{%s}}%%)", MonthNames[date.month]);
    WriteDayBox(out, date, FirstDayText(events, offset));
    if (banner) WriteFormatted(out, 1, R"(\def\firstday{}%%)");
    if (weekday == 6) WriteVerbatim(out, {"}", 1});
  }
  WriteVerbatim(out, {{R"(\end{landscape})", 1}, {R"(\end{document})", 1}});
}

void WriteWeekdayHeader(std::FILE* out) {
  WriteVerbatim(out, {"", 1});
  WriteFormatted(out, 1, R"(\weeknumber=0)");
  WriteFormatted(out, 1, R"(\hbox{%%)");
  WriteFormatted(out, 0, R"(\weekbox \weekbox \weekbox \weekbox)");
  WriteFormatted(out, 1, R"( \weekbox \weekbox \weekbox)");
  WriteFormatted(out, 1, "}");
  WriteFormatted(out, 2, R"(\vskip -12pt)");
}

void WriteDayBox(std::FILE* out, const CalendarDate& date, const char* text) {
  WriteFormatted(out, 1, R"(\setdaynumber{%d})", date.day);
  if (text != nullptr) {
    WriteVerbatim(out, {R"(\def\message{\vbox{)", 0});
    WriteFormatted(out, 1, "{%s %s }}}%%", MessageSizing(CountOccurrences("vskip1pt", text)), text);
  }
  WriteVerbatim(out, {R"(\daybox)", 1});
}

std::int32_t CountOccurrences(const char* needle, const char* text) {
  const auto needleLength = static_cast<std::int64_t>(std::strlen(needle));
  const auto textLength = static_cast<std::int64_t>(std::strlen(text));
  std::int32_t count = 0;
  for (std::int64_t i = 0; i < textLength - needleLength + 1; ++i) {
    if (std::memcmp(text + i, needle, needleLength) == 0) ++count;
  }
  return count;
}

const char* MessageSizing(std::int32_t count) {
  switch (count) {
    case 5:
      return R"(\vskip-14pt )";
    case 6:
      return R"(\vskip-28pt )";
    case 7:
      return R"(\vskip-26pt \smsgft )";
    case 8:
      return R"(\vskip-26pt \ssmsgft )";
    case 9:
      return R"(\vskip-26pt \sssmsgft )";
    default:
      return "";
  }
}

}  // namespace wekset
