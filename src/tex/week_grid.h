// The grid of weeks: one row of seven day boxes per week, a weekday header at
// the top of each page, and the document's closing lines.
#pragma once

#include <cstdint>
#include <cstdio>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

/// Writes every day of the CalendarWindow, then closes the document.
void WriteWeekGrid(std::FILE* out);

/// The row of seven weekday names.
void WriteWeekdayHeader(std::FILE* out);

/// The box of one day, numbered by the day in ConvertedDate, holding the text
/// of the first EventTable entry for the day.
void WriteDayBox(std::FILE* out, DaySerial serial);

/// The number of positions at which needle starts in text, overlaps counted.
std::int32_t CountOccurrences(const char* needle, const char* text);

/// The prefix that makes room for a day of count continuation lines.
const char* MessageSizing(std::int32_t count);

}  // namespace wekset
