// libFuzzer target: the pipeline on arbitrary source bytes, all in memory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory_resource>

#include "app/make_calendar.h"

namespace {

// Neither the console nor the document is looked at: both go to /dev/null.
wekset::Console gConsole;

class NullDocument : public wekset::DocumentOutput {
 public:
  wekset::DocumentCheck Check() override { return wekset::DocumentCheck::kReady; }
  std::FILE* Open() override { return gConsole.stream; }
  bool Commit() override { return true; }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  gConsole.stream = std::fopen("/dev/null", "w");
  if (gConsole.stream == nullptr) std::abort();
  // The event table's storage is reused from one input to the next, rather
  // than mapped afresh for each.
  static std::pmr::unsynchronized_pool_resource pool({0, 4 << 20});
  std::pmr::set_default_resource(&pool);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
  if (file == nullptr) std::abort();
  // On the stack: libFuzzer runs its inputs on the main thread, whose stack
  // takes the stream's 90 KB easily, and a heap allocation per input would
  // cost more than the smallest inputs' pipeline.
  wekset::SourceStream source(file);
  NullDocument document;
  wekset::MakeCalendar(source, gConsole, document);
  std::fclose(file);
  return 0;
}
