// The sample source file that documents the format.
#pragma once

namespace wekset {

/// Writes the sample "calendar.txt" and says so on the console.
void WriteSampleSource();

}  // namespace wekset
