// The command line of wekset-ics: the window of weeks and the day they begin
// on, the time zone, what to write, and the files to read.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace wekset::ics {

struct ImportOptions {
  std::optional<std::chrono::year_month_day> from;  // none: today
  int weeks = 6;
  int perPage = 6;
  bool body = false;                    // leave out the header line
  bool details = false;                 // LOCATION as a continuation line
  std::string timeZone;                 // empty: the TZ environment, or the system's zone
  std::optional<int> weekStart;         // 0 for Sunday to 6; none: the locale's, or Sunday
  std::optional<std::string> language;  // the locale whose first day of the week is taken
  bool offline = false;                 // addresses from the cache only
  bool refresh = false;                 // addresses fetched whole, whatever the cache holds
  std::vector<std::string> files;
  bool help = false;
  bool version = false;
};

/// Reads the arguments after the program name. On a mistake, returns nothing
/// and leaves in error what is wrong, for a line on standard error.
std::optional<ImportOptions> ParseImportOptions(const std::vector<std::string>& arguments,
                                                std::string& error);

/// "YYYY/MM/DD" as a date; nothing for any other text or an impossible date.
std::optional<std::chrono::year_month_day> ParseDate(const std::string& text);

}  // namespace wekset::ics
