// libFuzzer target: whole runs of the program on arbitrary source bytes, in a
// temporary directory, for the file handling around the pipeline.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/run.h"

namespace {
std::string gDirectoryPath = std::string(P_tmpdir) + "/wekset-fuzz-XXXXXX";
int gDirectory = -1;
wekset::Console gConsole;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (mkdtemp(gDirectoryPath.data()) == nullptr) std::abort();
  gDirectory = open(gDirectoryPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (gDirectory < 0) std::abort();
  std::atexit([] { std::filesystem::remove_all(gDirectoryPath); });
  // The console is not what is being tested, and would drown libFuzzer's own output.
  gConsole.stream = std::fopen("/dev/null", "w");
  if (gConsole.stream == nullptr) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = openat(gDirectory, "calendar.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || write(fd, data, size) != static_cast<ssize_t>(size) || close(fd) != 0) std::abort();
  unlinkat(gDirectory, "wek.tex", 0);

  char program[] = "wekset";
  char* argv[] = {program, nullptr};
  wekset::Run(1, argv, gConsole, gDirectory);
  return 0;
}
