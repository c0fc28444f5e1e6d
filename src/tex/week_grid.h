// The grid of weeks: one row of seven day boxes per week, a weekday header at
// the top of each page, and the document's closing lines.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "calendar/calendar_arithmetic.h"
#include "model/calendar_window.h"
#include "model/document_style.h"
#include "model/event_table.h"
#include "model/run_settings.h"

namespace wekset {

/// Writes every day of the window with all of its events, then closes the
/// document. A weekday header row, and a page break after the first, comes
/// before every WeeksPerPage-th week row, counted from the first.
void WriteWeekGrid(std::FILE* out, const RunSettings& settings, const CalendarWindow& window,
                   const EventTable& events, const DocumentStyle& style = {});

/// The row of seven weekday names.
void WriteWeekdayHeader(std::FILE* out);

/// The box of one day, numbered by the date's day of the month, holding text;
/// an empty box for a null text.
void WriteDayBox(std::FILE* out, const CalendarDate& date, const char* text);

/// The number of positions at which needle starts in text, overlaps counted.
std::int32_t CountOccurrences(std::string_view needle, const char* text);

/// The prefix that makes room for a day of count continuation lines: none
/// below 5, the 9-line one from 9 on.
const char* MessageSizing(std::int32_t count);

}  // namespace wekset
