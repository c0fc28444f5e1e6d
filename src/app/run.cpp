// The run sequence: open the source, read the header line, compute the window,
// create "wek.tex", read the events, write the document, report.
#include "app/run.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "calendar/calendar_arithmetic.h"
#include "source/calendar_window.h"
#include "source/event_lines.h"
#include "source/event_table.h"
#include "source/header_line.h"
#include "source/run_settings.h"
#include "source/sample_source.h"
#include "source/source_line.h"
#include "tex/calendar_document.h"
#include "tex/month_names.h"
#include "tex/tex_output.h"

namespace wekset {

namespace {

constexpr const char* kDefaultSourceName = "calendar.txt";
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

}  // namespace

void ResetProcessState() {
  ResetConvertedDate();
  ResetRunSettings();
  ResetCalendarWindow();
  ResetEventTable();
  ResetMonthNames();
}

int Run(int argc, char* argv[]) {
  const char* sourceName = argc > 1 ? argv[1] : kDefaultSourceName;
  if (std::strcmp(sourceName, "--help") == 0 || std::strcmp(sourceName, "-h") == 0) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (std::strcmp(sourceName, "--version") == 0) {
    std::printf("wekset %s\n", WEKSET_VERSION);
    return 0;
  }
  FileHandle sourceFile = OpenSource(sourceName);
  if (sourceFile == nullptr) {
    std::printf("Need a source file, like calendar.txt\n");
    WriteSampleSource();
    return 0;
  }

  auto source = std::make_unique<SourceStream>();
  source->file = sourceFile.get();
  auto line = std::make_unique<char[]>(kLineBufferSize);
  if (!ReadHeaderLine(*source, line.get())) {
    WriteSampleSource();
    return 0;
  }
  ComputeCalendarWindow();

  // Creating the output empties it: it must not be the file being read.
  if (IsSameFile(kOutputName, sourceName)) {
    std::printf("[%s] is the source file. It was left unchanged.\n", kOutputName);
    return 1;
  }
  std::FILE* out = std::fopen(kOutputName, "w");
  if (out == nullptr) {
    std::printf("[%s] cannot be created.\n", kOutputName);
    return 1;
  }
  std::printf("...so far so good.......................................\n");

  ReadEventLines(*source, line.get());
  WriteCalendarDocument(out);
  sourceFile.reset();
  if (!CloseOutput(out)) {
    std::printf("[%s] could not be written completely.\n", kOutputName);
    return 1;
  }
  std::printf("[%s] created successfully. Do \"pdflatex %s\" now\n", kOutputName, kOutputName);
  return 0;
}

}  // namespace wekset
