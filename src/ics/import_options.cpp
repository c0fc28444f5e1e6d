// Options are read strictly: a value that is not what the option takes is a
// mistake to report, not something to guess at.
#include "ics/import_options.h"

#include <cstdio>

#include "calendar/week_of_year.h"
#include "model/calendar_locale.h"

namespace wekset::ics {

namespace {

std::optional<int> ParseCount(const std::string& text, int lowest, int highest) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::chrono::year_month_day> ParseDate(const std::string& text) {
  if (text.size() != 10 || text[4] != '/' || text[7] != '/') return std::nullopt;
  for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  const std::chrono::year_month_day date{std::chrono::year{std::stoi(text.substr(0, 4))},
                                         std::chrono::month{unsigned(std::stoi(text.substr(5, 2)))},
                                         std::chrono::day{unsigned(std::stoi(text.substr(8, 2)))}};
  if (!date.ok()) return std::nullopt;
  return date;
}

std::optional<ImportOptions> ParseImportOptions(const std::vector<std::string>& arguments,
                                                std::string& error) {
  ImportOptions options;
  bool onlyFiles = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    if (onlyFiles || name == "-" || name.empty() || name[0] != '-') {
      options.files.push_back(name);
      continue;
    }
    if (name == "--") {
      onlyFiles = true;
      continue;
    }
    std::optional<std::string> value;
    if (const std::size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
    }
    const bool takesValue = name == "--from" || name == "--weeks" || name == "--per-page" ||
                            name == "--tz" || name == "--week-start" || name == "--lang";
    if (takesValue && !value) {
      if (i + 1 == arguments.size()) {
        error = "option " + name + " needs a value";
        return std::nullopt;
      }
      value = arguments[++i];
    } else if (!takesValue && value) {
      error = "option " + name + " takes no value";
      return std::nullopt;
    }
    if (name == "--from") {
      options.from = ParseDate(*value);
      if (!options.from) {
        error = "--from takes a date like 2026/12/06, not " + *value;
        return std::nullopt;
      }
    } else if (name == "--weeks" || name == "--per-page") {
      const std::optional<int> count = ParseCount(*value, 1, 99);
      if (!count) {
        error = name + " takes a number from 1 to 99, not " + *value;
        return std::nullopt;
      }
      (name == "--weeks" ? options.weeks : options.perPage) = *count;
    } else if (name == "--tz") {
      if (value->empty()) {
        error = "--tz takes a time zone name like Europe/Berlin";
        return std::nullopt;
      }
      options.timeZone = *value;
    } else if (name == "--week-start") {
      options.weekStart = ParseWeekdayName(*value);
      if (!options.weekStart) {
        error = "--week-start takes a day of the week, as monday or mon, not " + *value;
        return std::nullopt;
      }
    } else if (name == "--lang") {
      if (!IsLocaleName(*value)) {
        error = "--lang takes a locale name, as de_DE or fr, not " + *value;
        return std::nullopt;
      }
      options.language = *value;
    } else if (name == "--body") {
      options.body = true;
    } else if (name == "--details") {
      options.details = true;
    } else if (name == "--offline") {
      options.offline = true;
    } else if (name == "--refresh") {
      options.refresh = true;
    } else if (name == "--help" || name == "-h") {
      options.help = true;
    } else if (name == "--version") {
      options.version = true;
    } else {
      error = "unknown option " + arguments[i];
      return std::nullopt;
    }
  }
  if (options.offline && options.refresh) {
    error = "--offline and --refresh cannot be used together";
    return std::nullopt;
  }
  if (options.files.empty() && !options.help && !options.version) {
    error = "no iCalendar file given";
    return std::nullopt;
  }
  return options;
}

}  // namespace wekset::ics
