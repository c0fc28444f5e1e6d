// Nothing goes to standard output before every file has been read, so that a
// failed import never leaves half a calendar.txt behind a shell redirection.
#include "ics/import.h"

#include <libical/ical.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "ics/calendar_events.h"
#include "ics/calendar_text.h"
#include "ics/import_options.h"
#include "ics/message_text.h"
#include "ics/source_writer.h"
#include "ics/time_zones.h"
#include "model/calendar_locale.h"
#include "model/limits.h"

namespace wekset::ics {

namespace {

constexpr const char* kUsageLine =
    "Usage: wekset-ics [--from YYYY/MM/DD] [--weeks N] [--per-page N] [--tz Area/City]\n"
    "                  [--body] [--details] [--offline | --refresh] FILE...\n";

constexpr const char* kHelp =
    "Writes a calendar source for wekset on standard output from iCalendar files\n"
    "(\"-\" is standard input) or their addresses (https://, http://, webcal://):\n"
    "every event on the days of the window, recurring ones expanded, moved and\n"
    "cancelled occurrences applied, times in the local time zone.\n"
    "\n"
    "  --from YYYY/MM/DD  the window begins on the first day of the week on or\n"
    "                     before this day (default: today)\n"
    "  --week-start DAY   the first day of the week: sunday (the default), monday,\n"
    "                     any other, or its first three letters\n"
    "  --lang LOCALE      the first day of the week where LOCALE lives, as de_DE\n"
    "  --weeks N          weeks in the window, 1 to 99 (default 6)\n"
    "  --per-page N       weeks a page, 1 to 99 (default 6)\n"
    "  --tz Area/City     the local time zone, an IANA or a Windows name\n"
    "                     (default: TZ, or the system's)\n"
    "  --body             leave out the header line, to append to a source\n"
    "                     (and the line that names the first day of the week)\n"
    "  --details          add each event's location on a line of its own\n"
    "  --offline          take addresses from the cache of their last copies only\n"
    "  --refresh          fetch addresses whole, whatever the cache holds\n"
    "  -h, --help         print this help and exit\n"
    "      --version      print the version and exit\n"
    "\n"
    "Example: wekset-ics --from 2026/12/06 --weeks 12 family.ics > calendar.txt\n"
    "replaces calendar.txt; wekset-pdf family.ics makes the PDF in one step.\n"
    "See wekset-ics(1).\n";

struct Output {
  std::FILE* out;
  std::FILE* errors;

  void Say(const std::string& message) const {
    std::fprintf(errors, "wekset-ics: %s\n", Printable(message).c_str());
  }
  int Mistake(const std::string& message) const {
    Say(message);
    std::fputs(kUsageLine, errors);
    return 2;
  }
  bool Write(const std::string& text) const {
    std::fwrite(text.data(), 1, text.size(), out);
    if (std::fflush(out) == 0 && std::ferror(out) == 0) return true;
    Say(std::string("write error on standard output: ") + std::strerror(errno));
    return false;
  }
};

bool ReadWhole(const std::string& name, std::string& bytes, std::string& error) {
  std::FILE* file = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
  if (file == nullptr) {
    error = name + ": " + std::strerror(errno);
    return false;
  }
  // A file's size is known beforehand, so that its bytes take no more room
  // than they need.
  struct stat status {};
  if (fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode)) {
    bytes.reserve(static_cast<std::size_t>(status.st_size));
  }
  char block[65536];
  std::size_t count;
  while ((count = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, count);
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  if (file != stdin) std::fclose(file);
  if (failed) error = name + ": " + std::strerror(readError);
  return !failed;
}

}  // namespace

int RunImport(const std::vector<std::string>& arguments, const ImportEnvironment& environment,
              std::FILE* out, std::FILE* errors) {
  const Output output{out, errors};
  std::string error;
  const std::optional<ImportOptions> options = ParseImportOptions(arguments, error);
  if (!options) return output.Mistake(error);
  if (options->help) return output.Write(std::string(kUsageLine) + kHelp) ? 0 : 1;
  if (options->version) return output.Write("wekset-ics " WEKSET_VERSION "\n") ? 0 : 1;

  std::vector<std::string> warnings;
  const ZoneNames names = ZoneNames::Read();
  icaltimezone* local = icaltimezone_get_utc_timezone();
  if (!options->timeZone.empty()) {
    local = KnownZone(names, options->timeZone, false);
    if (local == nullptr) return output.Mistake("unknown time zone " + options->timeZone);
  } else if (!environment.zoneName.empty()) {
    local = KnownZone(names, environment.zoneName, false);
    if (local == nullptr) {
      warnings.push_back("the local time zone " + environment.zoneName +
                         " is unknown; times are shown in UTC");
      local = icaltimezone_get_utc_timezone();
    }
  }

  // The first day of the week: as chosen, else where the locale lives. A
  // chosen one is written into the source for wekset.
  std::optional<int> weekStart = options->weekStart;
  if (!weekStart && options->language) {
    const LocaleLookup locale = LoadLocaleCalendar(*options->language);
    if (!locale.calendar) {
      output.Say(locale.error);
      return 2;
    }
    weekStart = locale.calendar->firstWeekday;
  }
  // The window's weeks, from that day (Sunday by default) on or before the
  // first day, as wekset will lay them out.
  const std::chrono::year_month_day requested = options->from.value_or(environment.today);
  const std::chrono::sys_days fromDay{requested};
  const std::chrono::sys_days first =
      fromDay - (std::chrono::weekday{fromDay} -
                 std::chrono::weekday{static_cast<unsigned>(weekStart.value_or(0))});
  // The header line names the window's first day itself when the weeks begin
  // on a day of the user's choice.
  const std::chrono::year_month_day from =
      weekStart ? std::chrono::year_month_day{first} : requested;
  const DayWindow window{first, first + std::chrono::days{7 * options->weeks}};
  const auto dayOf = [](const CalendarDate& date) {
    return std::chrono::sys_days{std::chrono::year{date.year} /
                                 std::chrono::month{unsigned(date.month)} /
                                 std::chrono::day{unsigned(date.day)}};
  };
  if (window.first < dayOf(kFirstCalendarDay) ||
      window.end - std::chrono::days{1} > dayOf(kLastCalendarDay)) {
    return output.Mistake(kDateRangeMessage);
  }

  CacheUse cacheUse = CacheUse::kAsk;
  if (options->offline) cacheUse = CacheUse::kOffline;
  if (options->refresh) cacheUse = CacheUse::kRefresh;
  const FetchSettings fetching = ReadFetchSettings(environment.address, cacheUse, warnings);
  CalendarEvents calendars;
  for (const std::string& argument : options->files) {
    // An address stands in every message as its scheme and host alone.
    const bool address = IsAddress(argument);
    const std::string file = address ? ShownAddress(argument) : argument;
    std::optional<CalendarText> text;
    std::vector<std::string> damage;
    {
      std::string bytes;
      FetchedCalendar fetched;
      if (address) {
        fetched = FetchCalendar(argument, fetching, environment.now);
        for (const std::string& warning : fetched.warnings) {
          warnings.push_back(file + ": " + warning);
        }
        if (!fetched.error.empty()) {
          output.Say(file + ": " + fetched.error);
          return 1;
        }
        bytes = std::move(fetched.bytes);
      } else if (!ReadWhole(file, bytes, error)) {
        output.Say(error);
        return 1;
      }
      text = ReadCalendarText(bytes, damage, error);
      if (text && address) {
        const std::string warning = KeepCopy(argument, fetching, fetched, bytes);
        if (!warning.empty()) warnings.push_back(file + ": " + warning);
      }
    }
    if (!text || !calendars.Add(*text, file, names, error)) {
      output.Say(file + ": " + error);
      return 1;
    }
    for (const std::string& warning : damage) warnings.push_back(file + ": " + warning);
  }
  DayEvents days =
      calendars.LayOut(window, local, {static_cast<std::size_t>(kMaxEvents)}, warnings);
  const std::string source = CalendarSourceText(*options, from, days, warnings, weekStart);
  for (const std::string& warning : warnings) output.Say(warning);
  return output.Write(source) ? 0 : 1;
}

int RunImportProgram(int argc, char* argv[]) {
  std::signal(SIGPIPE, SIG_IGN);
  ImportEnvironment environment;
  const std::time_t now = std::time(nullptr);
  environment.now = now;
  const auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value != nullptr ? value : "");
  };
  environment.address = {variable("XDG_CACHE_HOME"), variable("HOME"), variable("CURL_CA_BUNDLE"),
                         variable("WEKSET_FETCH_TIMEOUT")};
  std::tm today{};
  localtime_r(&now, &today);
  environment.today = std::chrono::year{today.tm_year + 1900} /
                      std::chrono::month{unsigned(today.tm_mon + 1)} /
                      std::chrono::day{unsigned(today.tm_mday)};
  // TZ as POSIX writes it, ":Europe/Berlin" or "Europe/Berlin"; else the
  // system's zone, from the link /etc/localtime.
  if (const char* tz = std::getenv("TZ"); tz != nullptr && *tz != '\0') {
    environment.zoneName = tz[0] == ':' ? tz + 1 : tz;
  } else {
    char target[PATH_MAX];
    const ssize_t length = readlink("/etc/localtime", target, sizeof target - 1);
    if (length > 0) {
      const std::string path(target, static_cast<std::size_t>(length));
      const std::size_t at = path.find("zoneinfo/");
      if (at != std::string::npos) environment.zoneName = path.substr(at + 9);
    }
  }
  return RunImport(std::vector<std::string>(argv + 1, argv + argc), environment, stdout, stderr);
}

}  // namespace wekset::ics
