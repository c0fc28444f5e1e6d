// The run around the pipeline: the arguments, the source file, "wek.tex",
// the sample on an early stop, and the exit status.
#include "app/run.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "app/make_calendar.h"
#include "source/output_file.h"
#include "source/sample_source.h"
#include "source/source_line.h"

namespace wekset {

namespace {

constexpr const char* kOutputName = "wek.tex";

constexpr const char* kUsage =
    "Usage: wekset [SourceFile]\n"
    "Makes the LaTeX calendar wek.tex from SourceFile, by default calendar.txt;\n"
    "then \"pdflatex wek.tex\" makes wek.pdf. Without a readable source file, or\n"
    "with a header line it cannot use, wekset writes a sample calendar.txt that\n"
    "documents the format, never over an existing file.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "\n"
    "A source file named like an option is given as ./--help. See wekset(1).\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A name that opens but cannot be read from, such as a directory, is no
// source either.
FileHandle OpenSource(const char* name) {
  FileHandle file(std::fopen(name, "rb"));
  if (file == nullptr) return nullptr;
  const int first = std::getc(file.get());
  if (first == EOF && std::ferror(file.get())) return nullptr;
  std::ungetc(first, file.get());
  return file;
}

bool IsSameFile(const char* a, const char* b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// "wek.tex" in the current directory, created once the header line is accepted.
class DocumentFile : public DocumentOutput {
 public:
  explicit DocumentFile(const char* sourceName) : sourceName_(sourceName) {}
  ~DocumentFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }

  bool Prepare(Console& console) override {
    // Creating the output empties it: it must not be the file being read.
    if (IsSameFile(kOutputName, sourceName_)) {
      PrintFormatted(console, "[%s] is the source file. It was left unchanged.\n", kOutputName);
      return false;
    }
    file_ = std::fopen(kOutputName, "w");
    if (file_ == nullptr) {
      PrintFormatted(console, "[%s] cannot be created.\n", kOutputName);
      return false;
    }
    return true;
  }

  std::FILE* Open() override { return file_; }

  /// Whether every byte of the document arrived.
  bool Close() { return CloseOutput(std::exchange(file_, nullptr)); }

 private:
  const char* sourceName_;
  std::FILE* file_ = nullptr;
};

}  // namespace

int Run(int argc, char* argv[], Console& console) {
  const char* sourceName = argc > 1 ? argv[1] : kDefaultSourceName;
  if (std::strcmp(sourceName, "--help") == 0 || std::strcmp(sourceName, "-h") == 0) {
    Print(console, kUsage);
    return 0;
  }
  if (std::strcmp(sourceName, "--version") == 0) {
    PrintFormatted(console, "wekset %s\n", WEKSET_VERSION);
    return 0;
  }
  FileHandle sourceFile = OpenSource(sourceName);
  if (sourceFile == nullptr) {
    Print(console, "Need a source file, like calendar.txt\n");
    WriteSampleSource(console);
    return 0;
  }

  auto source = std::make_unique<SourceStream>(sourceFile.get());
  DocumentFile document(sourceName);
  switch (MakeCalendar(*source, console, document)) {
    case CalendarResult::kHeaderRejected:
      WriteSampleSource(console);
      return 0;
    case CalendarResult::kNoDocument:
      return 1;
    case CalendarResult::kWritten:
      break;
  }
  sourceFile.reset();
  if (!document.Close()) {
    PrintFormatted(console, "[%s] could not be written completely.\n", kOutputName);
    return 1;
  }
  PrintFormatted(console, "[%s] created successfully. Do \"pdflatex %s\" now\n", kOutputName,
                 kOutputName);
  return 0;
}

}  // namespace wekset
