// Helpers shared by the tests: a source stream over bytes in memory, and the
// console output of a piece of code.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/run.h"
#include "source/source_line.h"

namespace wekset {

/// A SourceStream that reads the given bytes.
class TestSource {
 public:
  explicit TestSource(std::string_view bytes) : stream_(std::make_unique<SourceStream>()) {
    stream_->file = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), stream_->file);
    std::rewind(stream_->file);
  }
  ~TestSource() { std::fclose(stream_->file); }
  TestSource(const TestSource&) = delete;
  TestSource& operator=(const TestSource&) = delete;

  SourceStream& stream() { return *stream_; }

 private:
  std::unique_ptr<SourceStream> stream_;
};

/// What the action printed on standard output.
inline std::string ConsoleOf(const std::function<void()>& action) {
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  action();
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

/// What a writer writes to its output stream.
inline std::string DocumentText(const std::function<void(std::FILE*)>& write) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  write(out);
  std::fclose(out);
  std::string text(buffer, size);
  std::free(buffer);
  return text;
}

inline std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

/// Runs the action with standard output thrown away, for more output than a
/// test can hold.
inline void DiscardingConsole(const std::function<void()>& action) {
  std::fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  dup2(null, STDOUT_FILENO);
  close(null);
  action();
  std::fflush(stdout);
  dup2(saved, STDOUT_FILENO);
  close(saved);
}

/// Makes a new empty directory the current one while it lives.
class TemporaryDirectory {
 public:
  TemporaryDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "wekset-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~TemporaryDirectory() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

/// Runs the program in-process with the given arguments after the program name.
inline int RunWith(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "wekset");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return Run(static_cast<int>(arguments.size()), argv.data());
}

/// Starts every test from the state of a new process.
class FreshProcess : public testing::Test {
 protected:
  void SetUp() override { ResetProcessState(); }
  void TearDown() override { ResetProcessState(); }
};

}  // namespace wekset
