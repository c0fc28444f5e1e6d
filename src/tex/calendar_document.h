// The TeX document "wek.tex".
#pragma once

#include <cstdio>

namespace wekset {

/// Writes the whole document to out; always returns 0.
int WriteCalendarDocument(std::FILE* out);

}  // namespace wekset
