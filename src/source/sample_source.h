// The sample source file "calendar.txt": the format's documentation and a
// working example, written when a run has no usable source.
#pragma once

#include "source/console.h"

namespace wekset {

/// The source file that a run reads by default, and the sample's name.
inline constexpr const char* kDefaultSourceName = "calendar.txt";

/// Creates "calendar.txt" holding the whole sample and says so on the
/// console. An existing file of that name is never replaced, and no partly
/// written sample is left anywhere.
void WriteSampleSource(Console& console);

}  // namespace wekset
