// Writing the program's text files: their line ends, and the check that every
// byte arrived.
#pragma once

#include <cstdio>

namespace wekset {

/// Writes count line ends.
void WriteLineEnds(std::FILE* out, int count);

/// Closes the file; false when any write to it, or the close, failed. A failed
/// write leaves the stream's error indicator set, so nothing is lost by
/// checking only here.
bool CloseOutput(std::FILE* out);

}  // namespace wekset
