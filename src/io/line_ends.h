// Line ends in the files the program writes.
#pragma once

#include <cstdio>

namespace wekset {

/// Writes count line ends: a line feed each, the POSIX text line end.
inline void WriteLineEnds(std::FILE* out, int count) {
  for (int i = 0; i < count; ++i) std::fputc('\n', out);
}

}  // namespace wekset
