// Helpers shared by the tests: a source stream over bytes in memory, and the
// console output of a piece of code.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

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

/// Starts every test from the state of a new process.
class FreshProcess : public testing::Test {
 protected:
  void SetUp() override { ResetProcessState(); }
  void TearDown() override { ResetProcessState(); }
};

}  // namespace wekset
