// The sample source file "calendar.txt": the format's documentation and a
// working example, written when a run has no usable source.
#pragma once

#include <cstdio>

namespace wekset {

/// The source file that a run reads by default, and the sample's name.
inline constexpr const char* kDefaultSourceName = "calendar.txt";

/// Writes the sample's 77 lines.
void WriteSampleText(std::FILE* out);

enum class SampleResult {
  kCreated,
  kExists,       // a file of that name was there, and was left alone
  kNotCreated,   // the directory or a write refused it; nothing is left behind
  kInterrupted,  // a signal came; it takes effect as soon as the sample is given up
};

/// Creates "calendar.txt" in directory (a descriptor, or AT_FDCWD) holding the
/// whole sample. An existing file of that name is never replaced, and no
/// partly written sample is left anywhere.
SampleResult CreateSample(int directory);

}  // namespace wekset
