// The pipeline on memory: a source in memory to a document in memory, and a
// source whose reading fails partway; and whole runs in two directories of
// one process.
#include "app/make_calendar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "reading/sample_source.h"
#include "test_support.h"

namespace wekset {
namespace {

class MemoryDocument : public DocumentOutput {
 public:
  DocumentCheck Check() override { return DocumentCheck::kReady; }
  bool Commit() override { return std::fflush(file_) == 0; }
  std::FILE* Open() override {
    file_ = open_memstream(&buffer_, &size_);
    return file_;
  }
  std::string Text() {
    if (file_ != nullptr) std::fclose(std::exchange(file_, nullptr));
    return buffer_ == nullptr ? "" : std::string(buffer_, size_);
  }
  ~MemoryDocument() override {
    Text();
    std::free(buffer_);
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* file_ = nullptr;
};

TEST(MakeCalendar, WritesTheTypicalDocumentFromMemoryToMemory) {
  std::string source = ReadFile(WEKSET_CASES "/typical-run/before/calendar.txt");
  std::FILE* file = fmemopen(source.data(), source.size(), "rb");
  auto stream = std::make_unique<SourceStream>(file);
  TestConsole console;
  MemoryDocument document;
  EXPECT_EQ(MakeCalendar(*stream, console.console, document), CalendarResult::kWritten);
  std::fclose(file);
  EXPECT_EQ(console.Text(),
            "[2008/02]\n...so far so good.......................................\n");
  EXPECT_EQ(document.Text(), ReadFile(WEKSET_CASES "/typical-run/after/wek.tex"));
}

// Gives its text in pieces of 10 bytes, then fails as a disk would.
ssize_t FailingRead(void* cookie, char* buffer, std::size_t size) {
  auto& text = *static_cast<std::string*>(cookie);
  if (text.empty()) {
    errno = EIO;
    return -1;
  }
  const std::size_t count = std::min<std::size_t>({size, 10, text.size()});
  text.copy(buffer, count);
  text.erase(0, count);
  return static_cast<ssize_t>(count);
}

TEST(MakeCalendar, AReadErrorIsNoEndOfFile) {
  for (std::string text : {std::string("; only comments, then the error\n"),
                           std::string("2008/02\n-2008/02\n18 Dentist\n19 cut sh")}) {
    std::FILE* file = fopencookie(&text, "rb", {FailingRead, nullptr, nullptr, nullptr});
    auto stream = std::make_unique<SourceStream>(file);
    TestConsole console;
    MemoryDocument document;
    EXPECT_EQ(MakeCalendar(*stream, console.console, document), CalendarResult::kReadFailed);
    std::fclose(file);
    EXPECT_EQ(document.Text(), "");
  }
}

TEST(Run, TwoRunsInOneProcessEachWorkInTheirOwnDirectory) {
  const std::string typical = ReadFile(WEKSET_CASES "/typical-run/before/calendar.txt");
  TemporaryDirectory first, second;
  WriteFile(first / "calendar.txt", typical);
  TestConsole console;
  EXPECT_EQ(RunWith(first, {}, console.console), 0);
  EXPECT_EQ(RunWith(second, {}, console.console), 0);
  EXPECT_EQ(RunWith(second, {}, console.console), 0);
  EXPECT_EQ(console.Text(),
            "[2008/02]\n...so far so good.......................................\n"
            "[wek.tex] created successfully. Do \"pdflatex wek.tex\" now\n"
            "Need a source file, like calendar.txt\n"
            "[calendar.txt] created. Edit it for your needs.\n"
            "[2007/12/13 60 12]\n...so far so good.......................................\n"
            "[wek.tex] created successfully. Do \"pdflatex wek.tex\" now\n");
  EXPECT_EQ(ReadFile(first / "wek.tex"), ReadFile(WEKSET_CASES "/typical-run/after/wek.tex"));
  EXPECT_EQ(ReadFile(first / "calendar.txt"), typical);
  EXPECT_EQ(ReadFile(second / "calendar.txt"), DocumentText(WriteSampleText));
  EXPECT_NE(ReadFile(second / "wek.tex").find("[2009. 1.31] [Sat]"), std::string::npos);
}

}  // namespace
}  // namespace wekset
