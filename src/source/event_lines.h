// Reading the body of the source file into the EventTable: month markers,
// event lines and their continuation lines.
#pragma once

#include <cstdint>

#include "source/calendar_window.h"
#include "source/console.h"
#include "source/event_table.h"
#include "source/source_line.h"

namespace wekset {

/// Reads every line up to the end of the stream into the table, placing each
/// event in the window and reporting the lines it cannot take.
void ReadEventLines(SourceStream& source, const CalendarWindow& window, EventTable& table,
                    Console& console);

/// Removes count characters at position from text. Returns 1, or 0 when they
/// do not all lie within the text; the text is then unchanged.
int DeleteChars(char* text, std::int32_t position, std::int32_t count);

/// Reports that line is not processed.
void ReportFormatError(Console& console, const char* line);

}  // namespace wekset
