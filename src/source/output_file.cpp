// Writing the program's text files.
#include "source/output_file.h"

namespace wekset {

void WriteLineEnds(std::FILE* out, int count) {
  for (int i = 0; i < count; ++i) std::fputc('\n', out);
}

bool CloseOutput(std::FILE* out) {
  const bool failed = std::ferror(out) != 0;
  return std::fclose(out) == 0 && !failed;
}

}  // namespace wekset
