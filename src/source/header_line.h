// Finding, checking and reading the header line into the RunSettings.
#pragma once

#include <optional>

#include "source/console.h"
#include "source/run_settings.h"
#include "source/source_line.h"

namespace wekset {

/// Skips comment and empty lines, echoes the header line and checks it. A
/// rejected line has been echoed a second time with the reason, and the run
/// is to stop. Nothing is printed when a read fails (source.failed).
std::optional<RunSettings> ReadHeaderLine(SourceStream& source, Console& console);

}  // namespace wekset
