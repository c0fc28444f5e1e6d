// The one way rows reach "wek.tex", and the check that they all arrived.
#pragma once

#include <cstdio>

namespace wekset {

/// Closes the output; false when any write to it, or the close, failed. A
/// failed write leaves the stream's error indicator set, so nothing is lost
/// by checking only here.
bool CloseOutput(std::FILE* out);

}  // namespace wekset
