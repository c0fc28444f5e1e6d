// The run around the pipeline: the options, the source file, "wek.tex",
// the sample on an early stop, and the exit status.
#include "app/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/command_line.h"
#include "app/document_file.h"
#include "app/make_calendar.h"
#include "model/calendar_locale.h"
#include "reading/sample_source.h"
#include "reading/source_line.h"

namespace wekset {

namespace {

constexpr const char* kOutputName = "wek.tex";

constexpr const char* kUsageLine = "Usage: wekset [SourceFile]\n";
constexpr const char* kHelp =
    "Makes the LaTeX calendar wek.tex from SourceFile, by default calendar.txt;\n"
    "then \"pdflatex wek.tex\" makes wek.pdf. Without a readable source file, or\n"
    "with a header line it cannot use, wekset writes a sample calendar.txt that\n"
    "documents the format, never over an existing file.\n"
    "\n"
    "      --week-start DAY     begin the weeks on DAY: sunday (the default), monday,\n"
    "                           saturday or any other, or its first three letters\n"
    "      --week-numbers       show each week's ISO 8601 number beside its row\n"
    "      --lang LOCALE        month and weekday names, the title and the first day\n"
    "                           of the week from an installed locale, as de_DE\n"
    "      --direction rtl|ltr  rows from right to left, or from left to right;\n"
    "                           --lang of a right-to-left language gives rtl\n"
    "  -h, --help               print this help and exit\n"
    "      --version            print the version and exit\n"
    "\n"
    "A value follows its option or an \"=\", as --lang=de_DE; \"--\" ends the options.\n"
    "Any other argument that begins with \"-\" is an unknown option, unless a file\n"
    "has that name. A source file named like an option is given as ./--help.\n"
    "A German calendar, Monday first, with week numbers, as a PDF:\n"
    "  wekset-pdf --lang de_DE --week-numbers\n"
    "See wekset(1).\n";

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// A name that opens but cannot be read from, such as a directory, is no
// source either.
FileHandle OpenSource(int directory, const char* name) {
  const int fd = openat(directory, name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  FileHandle file(fdopen(fd, "rb"));
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  const int first = std::getc(file.get());
  if (first == EOF && std::ferror(file.get())) return nullptr;
  std::ungetc(first, file.get());
  return file;
}

// Says what became of the sample, the last word of an early stop.
void ReportSample(Console& console, SampleResult result) {
  const char* const name = kDefaultSourceName;
  switch (result) {
    case SampleResult::kCreated:
      PrintFormatted(console, "[%s] created. Edit it for your needs.\n", name);
      break;
    case SampleResult::kExists:
      PrintFormatted(console, "[%s] already exists. It was left unchanged.\n", name);
      break;
    case SampleResult::kNotCreated:
      PrintFormatted(console, "[%s] cannot be created.\n", name);
      break;
    case SampleResult::kInterrupted:
      break;
  }
}

}  // namespace

int Run(int argc, char* argv[], Console& console, int directory) {
  const CommandLine line = ParseCommandLine(argc, argv, [directory](const char* name) {
    struct stat existing {};
    return fstatat(directory, name, &existing, AT_SYMLINK_NOFOLLOW) == 0;
  });
  switch (line.action) {
    case CommandLine::Action::kHelp:
      Print(console, kUsageLine);
      Print(console, kHelp);
      return 0;
    case CommandLine::Action::kVersion:
      PrintFormatted(console, "wekset %s\n", WEKSET_VERSION);
      return 0;
    case CommandLine::Action::kMistake:
      std::fprintf(console.errors, "wekset: %s\n%s", line.mistake.c_str(), kUsageLine);
      return 2;
    case CommandLine::Action::kRun:
      break;
  }
  CalendarOptions options;
  options.weekStart = line.weekStart;
  options.style.weekNumbers = line.weekNumbers;
  if (line.language) {
    LocaleLookup locale = LoadLocaleCalendar(*line.language);
    if (!locale.calendar) {
      std::fprintf(console.errors, "wekset: %s\n", locale.error.c_str());
      return 2;
    }
    options.fallbackWeekStart = locale.calendar->firstWeekday;
    options.style.rightToLeft = locale.calendar->rightToLeft;
    options.style.names = std::move(locale.calendar->names);
  }
  if (line.rightToLeft) options.style.rightToLeft = *line.rightToLeft;

  const char* const sourceName = line.sourceName ? line.sourceName->c_str() : kDefaultSourceName;
  FileHandle sourceFile = OpenSource(directory, sourceName);
  if (sourceFile == nullptr) {
    Print(console, "Need a source file, like calendar.txt\n");
    ReportSample(console, CreateSample(directory));
    return 0;
  }

  // The stream's buffers take some 90 KB, too much for the stack of a thread
  // that Run may be called on.
  auto source = std::make_unique<SourceStream>(sourceFile.get());
  DocumentFile document(directory, kOutputName, sourceName);
  switch (MakeCalendar(*source, console, document, options)) {
    case CalendarResult::kWritten:
      PrintFormatted(console, "[%s] created successfully. Do \"pdflatex %s\" now\n", kOutputName,
                     kOutputName);
      return 0;
    case CalendarResult::kHeaderRejected:
      ReportSample(console, CreateSample(directory));
      return 0;
    case CalendarResult::kIsSource:
      PrintFormatted(console, "[%s] is the source file. It was left unchanged.\n", kOutputName);
      return 1;
    case CalendarResult::kNotWritable:
      PrintFormatted(console, "[%s] cannot be created.\n", kOutputName);
      return 1;
    case CalendarResult::kReadFailed:
      PrintFormatted(console, "[%s] could not be read completely. [%s] was left unchanged.\n",
                     sourceName, kOutputName);
      return 1;
    case CalendarResult::kWriteFailed:
      PrintFormatted(console, "[%s] could not be written completely.\n", kOutputName);
      return 1;
  }
  return 1;
}

int RunProgram(int argc, char* argv[]) {
  // Closed standard streams are opened on /dev/null, so that no file the run
  // opens takes their place and receives the console.
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) < 0) open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
  }
  // A closed pipe or the file size limit then fails a write, which the run
  // reports, instead of killing it halfway.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);

  Console console{stdout, stderr, isatty(STDOUT_FILENO) == 1};
  const int status = Run(argc, argv, console, AT_FDCWD);
  if (!FlushConsole(console)) {
    std::fprintf(console.errors, "wekset: write error on standard output: %s\n",
                 std::strerror(console.error));
    return 1;
  }
  return status;
}

}  // namespace wekset
