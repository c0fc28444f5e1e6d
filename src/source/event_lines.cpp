// The body of the source file. Each line is taken by its first character: ";"
// a comment, "-" a month marker, a blank a continuation line, anything else an
// event line. No flaw in a line stops the reading.
#include "source/event_lines.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

namespace {

constexpr std::string_view kContinuationMark = "\\vskip1pt ";

// The year and month of the latest month marker.
struct CurrentMonth {
  bool set = false;
  std::int32_t year = 0;
  std::int32_t month = 0;
};

void ReadMonthMarker(std::string_view line, CurrentMonth& current) {
  if (line.size() < 6 || line[5] != '/') return;
  current = CurrentMonth{true, FieldValue(line, 1, 4), FieldValue(line, 6, 2)};
}

void ReportTooMuchText(Console& console, const char* line) {
  static_assert(kMaxDayTextLength == 511);
  Print(console, "Too much text for one day: at most 511 characters.\n");
  ReportFormatError(console, line);
}

// A new entry at the end of the table; null when there is no memory for it.
EventEntry* AddEntry(EventTable& table) {
  try {
    return &table.entries.emplace_back();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void ReadEventLine(char* line, const CurrentMonth& current, const CalendarWindow& window,
                   EventTable& table, Console& console) {
  const std::string_view text(line);
  if (text.size() < 3 || text[2] != ' ') return ReportFormatError(console, line);
  if (text.size() < 5) return;
  const std::int32_t day = FieldValue(text, 0, 2);
  // Before the first month marker there is no month to check the date against.
  if (day == 0 || !current.set) return ReportFormatError(console, line);
  const DaySerial serial = DateToSerial(current.year, current.month, day);
  if (serial < 1) return ReportFormatError(console, line);
  const CalendarDate date = SerialToDate(serial);
  if (date != CalendarDate{current.year, current.month, day}) {
    PrintFormatted(console, "Error in [year/month/day]:  [%d/%d/%d] became [%d/%d/%d].\n",
                   current.year, current.month, day, date.year, date.month, date.day);
    return ReportFormatError(console, line);
  }
  if (text.size() - 3 > kMaxDayTextLength) return ReportTooMuchText(console, line);
  if (table.EventCount() == kMaxEvents) {
    static_assert(kMaxEvents == 3659);
    Print(console, "Too many events: at most 3659 are kept.\n");
    return ReportFormatError(console, line);
  }
  EventEntry* entry = AddEntry(table);
  if (entry == nullptr) return ReportFormatError(console, line);
  entry->DayOffset = serial - window.WindowStart;
  DeleteChars(line, 0, 3);
  std::strcpy(entry->DayText, line);
}

// Adds a line to the latest stored entry, whatever lines came between.
void AppendContinuation(const char* line, EventTable& table, Console& console) {
  if (table.EventCount() == 0) return;
  const std::size_t length = std::strlen(line);
  if (length < 5) return;
  char* dayText = table.entries.back().DayText;
  const std::size_t used = std::strlen(dayText);
  if (used + kContinuationMark.size() + length > kMaxDayTextLength) {
    return ReportTooMuchText(console, line);
  }
  kContinuationMark.copy(dayText + used, kContinuationMark.size());
  std::memcpy(dayText + used + kContinuationMark.size(), line, length + 1);
}

}  // namespace

void ReadEventLines(SourceStream& source, const CalendarWindow& window, EventTable& table,
                    Console& console) {
  char* const line = source.line;
  CurrentMonth current;
  while (ReadLine(source, false) == LineEnd::LineFeed) {
    TrimTrailingSpaces(line);
    switch (line[0]) {
      case '\0':
      case ';':
        break;
      case '-':
        ReadMonthMarker(line, current);
        break;
      case ' ':
        AppendContinuation(line, table, console);
        break;
      default:
        ReadEventLine(line, current, window, table, console);
        break;
    }
  }
}

int DeleteChars(char* text, std::int32_t position, std::int32_t count) {
  const std::size_t length = std::strlen(text);
  if (position < 0 || count <= 0 ||
      static_cast<std::size_t>(position) + static_cast<std::size_t>(count) > length) {
    return 0;
  }
  std::memmove(text + position, text + position + count, length - position - count + 1);
  return 1;
}

// The console of a large body is mostly reports of rejected lines, so they
// are written with fputs rather than printf. The format error and the notice
// share one console line.
void ReportFormatError(Console& console, const char* line) {
  Print(console,
        "~~~~~~~~~~~~~\"calendar.txt\" format error. The following line is not processed.\n");
  EchoLine(console, line);
}

}  // namespace wekset
