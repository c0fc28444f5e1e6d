// Finding, checking and reading the header line into RunSettings.
#pragma once

#include "source/source_line.h"

namespace wekset {

/// Skips comment and empty lines, echoes the header line, checks it and, when
/// it is accepted, fills RunSettings. A rejected line has been echoed a second
/// time with the reason, and the run is to stop.
bool ReadHeaderLine(SourceStream& source, char* line);

}  // namespace wekset
