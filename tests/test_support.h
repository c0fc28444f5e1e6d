// Helpers shared by the tests: a source stream over given bytes, a console in
// memory, documents in memory, and scratch directories.
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
#include "reading/source_line.h"

namespace wekset {

/// A SourceStream that reads the given bytes.
class TestSource {
 public:
  explicit TestSource(std::string_view bytes)
      : stream_(std::make_unique<SourceStream>(std::tmpfile())) {
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

/// A console that keeps what is printed in memory.
class TestConsole {
 public:
  TestConsole() : console{open_memstream(&buffer_, &size_)} {}
  ~TestConsole() {
    std::fclose(console.stream);
    std::free(buffer_);
  }
  TestConsole(const TestConsole&) = delete;
  TestConsole& operator=(const TestConsole&) = delete;

  /// Everything printed so far.
  std::string Text() {
    std::fflush(console.stream);
    return {buffer_, size_};
  }

  Console console;

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
};

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

/// A new empty directory, open as a descriptor, removed with its files when
/// this ends. The working directory is never changed.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wekset-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    fd_ = open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  ~TemporaryDirectory() {
    close(fd_);
    std::filesystem::remove_all(path_);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  int fd() const { return fd_; }
  /// The path of a file in it.
  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), std::ssize(bytes));
}

/// Runs the program in-process in the directory, with the given arguments
/// after the program name.
inline int RunWith(const TemporaryDirectory& directory, std::vector<std::string> arguments,
                   Console& console) {
  arguments.insert(arguments.begin(), "wekset");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  return Run(static_cast<int>(arguments.size()), argv.data(), console, directory.fd());
}

}  // namespace wekset
