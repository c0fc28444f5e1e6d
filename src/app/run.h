// The run: from the command line to the exit status, and every early stop.
#pragma once

#include "source/console.h"

namespace wekset {

/// Runs the program once, reporting on the console; returns the exit status.
int Run(int argc, char* argv[], Console& console);

/// The whole process: sets up the standard streams and signals, runs with
/// standard output as the console, and turns a failed console write into
/// exit status 1 and a line on standard error.
int RunProgram(int argc, char* argv[]);

}  // namespace wekset
