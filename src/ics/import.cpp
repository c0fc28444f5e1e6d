// Nothing goes to standard output before every file has been read, so that a
// failed import never leaves half a calendar.txt behind a shell redirection.
#include "ics/import.h"

#include <libical/ical.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "ics/import_options.h"
#include "ics/occurrences.h"
#include "ics/source_writer.h"

namespace wekset::ics {

namespace {

constexpr const char* kUsageLine =
    "Usage: wekset-ics [--from YYYY/MM/DD] [--weeks N] [--per-page N] [--tz Area/City]\n"
    "                  [--body] [--details] FILE...\n";

constexpr const char* kHelp =
    "Writes a calendar source for wekset on standard output from iCalendar files\n"
    "(\"-\" is standard input): every event on the days of the window, recurring ones\n"
    "expanded, times in the local time zone.\n"
    "\n"
    "  --from YYYY/MM/DD  the window begins on the Sunday on or before this day\n"
    "                     (default: today)\n"
    "  --weeks N          weeks in the window, 1 to 99 (default 6)\n"
    "  --per-page N       weeks a page, 1 to 99 (default 6)\n"
    "  --tz Area/City     the local time zone (default: TZ, or the system's)\n"
    "  --body             leave out the header line, to append to a source\n"
    "  --details          add each event's location on a line of its own\n"
    "  -h, --help         print this help and exit\n"
    "      --version      print the version and exit\n"
    "\n"
    "Example: wekset-ics --from 2026/12/06 --weeks 12 family.ics > calendar.txt\n"
    "See wekset-ics(1).\n";

void Say(const std::string& message) { std::fprintf(stderr, "wekset-ics: %s\n", message.c_str()); }

std::chrono::year_month_day Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} / std::chrono::month{unsigned(local.tm_mon + 1)} /
         std::chrono::day{unsigned(local.tm_mday)};
}

bool Write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  Say(std::string("write error on standard output: ") + std::strerror(errno));
  return false;
}

}  // namespace

int RunImport(int argc, char* argv[]) {
  std::signal(SIGPIPE, SIG_IGN);
  std::string error;
  const std::optional<ImportOptions> options =
      ParseImportOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    Say(error);
    std::fputs(kUsageLine, stderr);
    return 2;
  }
  if (options->help) return Write(std::string(kUsageLine) + kHelp) ? 0 : 1;
  if (options->version) return Write("wekset-ics " WEKSET_VERSION "\n") ? 0 : 1;

  if (!options->timeZone.empty()) {
    if (icaltimezone_get_builtin_timezone(options->timeZone.c_str()) == nullptr) {
      Say("unknown time zone " + options->timeZone);
      std::fputs(kUsageLine, stderr);
      return 2;
    }
    setenv("TZ", options->timeZone.c_str(), 1);
  }
  tzset();

  // The window's weeks, from the Sunday on or before the first day, as
  // wekset will lay them out.
  const std::chrono::year_month_day from = options->from.value_or(Today());
  const std::chrono::sys_days first =
      std::chrono::sys_days{from} -
      (std::chrono::weekday{std::chrono::sys_days{from}} - std::chrono::Sunday);
  const DayWindow window{first, first + std::chrono::days{7 * options->weeks}};
  const std::chrono::sys_days earliest{std::chrono::year{2000} / 3 / 5};
  const std::chrono::sys_days latest{std::chrono::year{2099} / 12 / 31};
  if (window.first < earliest || window.end - std::chrono::days{1} > latest) {
    Say("Calendars can be made for 2000/03/05 to 2099/12/31 only.");
    std::fputs(kUsageLine, stderr);
    return 2;
  }

  std::vector<DayEvent> events;
  std::vector<std::string> warnings;
  if (!ReadOccurrences(options->files, window, events, warnings, error)) {
    Say(error);
    return 1;
  }
  const std::string source = CalendarSourceText(*options, from, events, warnings);
  for (const std::string& warning : warnings) Say(warning);
  return Write(source) ? 0 : 1;
}

}  // namespace wekset::ics
