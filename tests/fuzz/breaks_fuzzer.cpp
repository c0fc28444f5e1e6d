// libFuzzer target: the runs and line breaks that wekset-breaks writes, from
// arbitrary bytes, which a stranger's calendar may put in a document.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "breaks/line_breaks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* in = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  std::FILE* out = std::fopen("/dev/null", "wb");
  if (in == nullptr || out == nullptr) std::abort();
  wekset::breaks::WriteRunBreaks(in, out, out);
  std::fclose(in);
  std::fclose(out);
  return 0;
}
