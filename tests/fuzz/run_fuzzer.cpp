// libFuzzer target: whole runs of the program on arbitrary source bytes, in a
// temporary directory, for the file handling around the pipeline.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/run.h"

namespace {
std::string gDirectory = std::string(P_tmpdir) + "/wekset-fuzz-XXXXXX";
wekset::Console gConsole;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (mkdtemp(gDirectory.data()) == nullptr || chdir(gDirectory.c_str()) != 0) std::abort();
  std::atexit([] { std::filesystem::remove_all(gDirectory); });
  // The console is not what is being tested, and would drown libFuzzer's own output.
  gConsole.stream = std::fopen("/dev/null", "w");
  if (gConsole.stream == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* source = std::fopen("calendar.txt", "wb");
  if (source == nullptr) std::abort();
  std::fwrite(data, 1, size, source);
  std::fclose(source);
  std::remove("wek.tex");

  char program[] = "wekset";
  char* argv[] = {program, nullptr};
  wekset::Run(1, argv, gConsole);
  return 0;
}
