// The run: from the command line to the exit status, and every early stop.
#pragma once

namespace wekset {

/// Runs the program once; returns the exit status.
int Run(int argc, char* argv[]);

/// Puts all process-wide state back as it is at process start, so that one
/// process can make many runs.
void ResetProcessState();

}  // namespace wekset
