// Reading the body of the source file into the EventTable: month markers,
// event lines and their continuation lines.
#pragma once

#include <cstdint>

#include "source/source_line.h"

namespace wekset {

/// Empties the EventTable, then reads every line up to the end of the stream
/// into it, reporting the lines it cannot take. A last line without a line
/// feed is not read.
void ReadEventLines(SourceStream& source, char* line);

/// Removes count characters at position from text. Returns 1, or 0 when they
/// do not all lie within the text; the text is then unchanged.
int DeleteChars(char* text, std::int32_t position, std::int32_t count);

/// Reports that line is not processed.
void ReportFormatError(const char* line);

}  // namespace wekset
