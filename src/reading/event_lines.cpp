// The body of the source file. Each line is taken by its first character: ";"
// a comment, "-" a month marker or a separator, a blank a continuation line,
// anything else an event line. No flaw in a line stops the reading, and no
// line is dropped without a word but comments, separators and empty lines.
#include "reading/event_lines.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

namespace {

// What the lines read so far mean for the next one.
struct BodyState {
  bool monthSet = false;  // the latest "-" line with a digit was a month marker
  std::int32_t year = 0;
  std::int32_t month = 0;
  bool latestStored = false;  // the latest event line went into the table
};

// After the "-", blanks, tabs and one sign may come before the digit that
// makes the line a month marker, so that a slip of the keyboard such as
// "- 2008/03" is reported, not taken for a separator such as "-----" or
// "-- notes", which is skipped in silence. A broken marker leaves no month at
// all, so that the events after it are reported rather than put in the month
// before it.
void ReadMonthMarker(const char* line, BodyState& state, Console& console) {
  const std::string_view marker(line);
  std::size_t i = 1;
  while (i < marker.size() && (marker[i] == ' ' || marker[i] == '\t')) ++i;
  if (i < marker.size() && (marker[i] == '+' || marker[i] == '-')) ++i;
  if (i == marker.size() || marker[i] < '0' || marker[i] > '9') return;
  state.monthSet = marker.size() >= 6 && marker[5] == '/';
  if (!state.monthSet) return ReportFormatError(console, line);
  state.year = FieldValue(marker, 1, 4);
  state.month = FieldValue(marker, 6, 2);
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

// Stores the event line, or reports it; true when it was stored.
bool ReadEventLine(char* line, const BodyState& state, const CalendarWindow& window,
                   EventTable& table, Console& console) {
  const std::string_view text(line);
  if (text.size() < 4 || text[2] != ' ') {
    ReportFormatError(console, line);
    return false;
  }
  const std::int32_t day = FieldValue(text, 0, 2);
  const DaySerial serial = DateToSerial(state.year, state.month, day);
  // Before the first month marker there is no month to check the date against.
  if (day == 0 || !state.monthSet || serial < 1) {
    ReportFormatError(console, line);
    return false;
  }
  const CalendarDate date = SerialToDate(serial);
  if (date != CalendarDate{state.year, state.month, day}) {
    PrintFormatted(console, "Error in [year/month/day]:  [%d/%d/%d] became [%d/%d/%d].\n",
                   state.year, state.month, day, date.year, date.month, date.day);
    ReportFormatError(console, line);
    return false;
  }
  if (text.size() - 3 > kMaxDayTextLength) {
    ReportTooMuchText(console, line);
    return false;
  }
  if (table.EventCount() == kMaxEvents) {
    static_assert(kMaxEvents == 3659);
    Print(console, "Too many events: at most 3659 are kept.\n");
    ReportFormatError(console, line);
    return false;
  }
  EventEntry* entry = AddEntry(table);
  if (entry == nullptr) {
    ReportFormatError(console, line);
    return false;
  }
  entry->DayOffset = serial - window.WindowStart;
  DeleteChars(line, 0, 3);
  std::strcpy(entry->DayText, line);
  return true;
}

// Adds a line to the entry of the latest event line, whatever comments and
// markers came between. Without a stored event line to continue, the line
// would land in some other day's box, so it is reported instead.
void AppendContinuation(const char* line, const BodyState& state, EventTable& table,
                        Console& console) {
  if (!state.latestStored) return ReportFormatError(console, line);
  const std::size_t length = std::strlen(line);
  char* dayText = table.entries.back().DayText;
  const std::size_t used = std::strlen(dayText);
  if (used + kLineMark.size() + length > kMaxDayTextLength) {
    return ReportTooMuchText(console, line);
  }
  kLineMark.copy(dayText + used, kLineMark.size());
  std::memcpy(dayText + used + kLineMark.size(), line, length + 1);
}

}  // namespace

bool ReadEventLines(SourceStream& source, const CalendarWindow& window, EventTable& table,
                    Console& console) {
  char* const line = source.line;
  BodyState state;
  // The last line counts whether or not a line feed ends it.
  for (LineEnd end = LineEnd::kLineFeed; end == LineEnd::kLineFeed;) {
    end = ReadBodyLine(source);
    if (end == LineEnd::kReadError) return false;  // the line in hand may be cut short
    TrimTrailingSpaces(line);
    switch (line[0]) {
      case '\0':
      case ';':
        break;
      case '-':
        ReadMonthMarker(line, state, console);
        break;
      case ' ':
        AppendContinuation(line, state, table, console);
        break;
      default:
        state.latestStored = ReadEventLine(line, state, window, table, console);
        break;
    }
  }
  return true;
}

bool DeleteChars(char* text, std::int32_t position, std::int32_t count) {
  const std::size_t length = std::strlen(text);
  if (position < 0 || count <= 0 ||
      static_cast<std::size_t>(position) + static_cast<std::size_t>(count) > length) {
    return false;
  }
  std::memmove(text + position, text + position + count, length - position - count + 1);
  return true;
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
