// Writing rows of TeX.
#include "tex/tex_output.h"

namespace wekset {

bool CloseOutput(std::FILE* out) {
  const bool failed = std::ferror(out) != 0;
  return std::fclose(out) == 0 && !failed;
}

}  // namespace wekset
