// Reading the body of the source file into the EventTable: month markers,
// event lines and their continuation lines.
#pragma once

#include <cstdint>

#include "io/console.h"
#include "model/calendar_window.h"
#include "model/event_table.h"
#include "reading/source_line.h"

namespace wekset {

/// Reads every line up to the end of the stream into the table, placing each
/// event in the window and reporting the lines it cannot take. False when a
/// read failed, so that the table lacks the rest of the file.
[[nodiscard]] bool ReadEventLines(SourceStream& source, const CalendarWindow& window,
                                  EventTable& table, Console& console);

/// Removes count characters at position from text. False when they do not all
/// lie within the text, which is then unchanged.
bool DeleteChars(char* text, std::int32_t position, std::int32_t count);

/// Reports that line is not processed.
void ReportFormatError(Console& console, const char* line);

}  // namespace wekset
