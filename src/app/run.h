// The run: from the command line to the exit status, and every early stop.
#pragma once

#include "source/console.h"

namespace wekset {

/// Runs the program once, reporting on the console; returns the exit status.
int Run(int argc, char* argv[], Console& console);

}  // namespace wekset
