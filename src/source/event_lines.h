// Reading the body of the source file into the EventTable.
#pragma once

#include "source/source_line.h"

namespace wekset {

/// Reads every line after the header line to the end of the stream.
void ReadEventLines(SourceStream& source, char* line);

}  // namespace wekset
