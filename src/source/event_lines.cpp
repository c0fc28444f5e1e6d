// The body of the source file. Each line is taken by its first character: ";"
// a comment, "-" a month marker, a blank a continuation line, anything else an
// event line. No flaw in a line stops the reading.
#include "source/event_lines.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "calendar/calendar_arithmetic.h"
#include "source/calendar_window.h"
#include "source/event_table.h"

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

void ReportTooMuchText(const char* line) {
  static_assert(kMaxDayTextLength == 511);
  std::fputs("Too much text for one day: at most 511 characters.\n", stdout);
  ReportFormatError(line);
}

void ReadEventLine(char* line, const CurrentMonth& current) {
  const std::string_view text(line);
  if (text.size() < 3 || text[2] != ' ') return ReportFormatError(line);
  if (text.size() < 5) return;
  const std::int32_t day = FieldValue(text, 0, 2);
  // Before the first month marker there is no month to check the date against.
  if (day == 0 || !current.set) return ReportFormatError(line);
  const DaySerial serial = DateToSerial(current.year, current.month, day);
  if (serial < 1) return ReportFormatError(line);
  SerialToDate(serial);
  if (ConvertedDate != CalendarDate{current.year, current.month, day}) {
    std::printf("Error in [year/month/day]:  [%d/%d/%d] became [%d/%d/%d].\n", current.year,
                current.month, day, ConvertedDate.year, ConvertedDate.month, ConvertedDate.day);
    return ReportFormatError(line);
  }
  if (text.size() - 3 > kMaxDayTextLength) return ReportTooMuchText(line);
  if (EventTable.EventCount == kMaxEvents) {
    static_assert(kMaxEvents == 3659);
    std::fputs("Too many events: at most 3659 are kept.\n", stdout);
    return ReportFormatError(line);
  }
  char* dayText = new (std::nothrow) char[kDayTextSize];
  if (dayText == nullptr) return ReportFormatError(line);

  DeleteChars(line, 0, 3);
  std::strcpy(dayText, line);
  const int entry = ++EventTable.EventCount;
  EventTable.DayOffset[entry] = serial - CalendarWindow.WindowStart;
  EventTable.DayText[entry].reset(dayText);
}

// Adds a line to the latest stored entry, whatever lines came between.
void AppendContinuation(const char* line) {
  if (EventTable.EventCount == 0) return;
  const std::size_t length = std::strlen(line);
  if (length < 5) return;
  char* dayText = EventTable.DayText[EventTable.EventCount].get();
  const std::size_t used = std::strlen(dayText);
  if (used + kContinuationMark.size() + length > kMaxDayTextLength) {
    return ReportTooMuchText(line);
  }
  kContinuationMark.copy(dayText + used, kContinuationMark.size());
  std::memcpy(dayText + used + kContinuationMark.size(), line, length + 1);
}

}  // namespace

void ReadEventLines(SourceStream& source, char* line) {
  ResetEventTable();
  CurrentMonth current;
  while (ReadLine(source, line, false) == LineEnd::LineFeed) {
    TrimTrailingSpaces(line);
    switch (line[0]) {
      case '\0':
      case ';':
        break;
      case '-':
        ReadMonthMarker(line, current);
        break;
      case ' ':
        AppendContinuation(line);
        break;
      default:
        ReadEventLine(line, current);
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
void ReportFormatError(const char* line) {
  std::fputs("~~~~~~~~~~~~~\"calendar.txt\" format error. The following line is not processed.\n[",
             stdout);
  std::fputs(line, stdout);
  std::fputs("]\n", stdout);
}

}  // namespace wekset
