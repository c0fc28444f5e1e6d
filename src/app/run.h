// The run: from the command line to the exit status, and every early stop.
#pragma once

#include "io/console.h"

namespace wekset {

/// Runs the program once in directory, an open descriptor or AT_FDCWD: the
/// source, "wek.tex" and the sample are named relative to it. Reports on the
/// console; returns the exit status.
int Run(int argc, char* argv[], Console& console, int directory);

/// The whole process: sets up the standard streams and signals, runs in the
/// working directory with standard output as the console, and turns a failed
/// console write into exit status 1 and a line on standard error.
int RunProgram(int argc, char* argv[]);

}  // namespace wekset
