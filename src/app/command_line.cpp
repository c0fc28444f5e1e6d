// Options are read strictly: a value that is not what the option takes is a
// mistake to report, never something to guess at, and the run has not begun.
#include "app/command_line.h"

#include <string_view>

#include "calendar/week_of_year.h"
#include "model/calendar_locale.h"

namespace wekset {

namespace {

CommandLine Mistake(std::string message) {
  CommandLine line;
  line.action = CommandLine::Action::kMistake;
  line.mistake = std::move(message);
  return line;
}

bool TakesValue(std::string_view name) {
  return name == "--week-start" || name == "--lang" || name == "--direction";
}

bool IsOption(std::string_view name) {
  return TakesValue(name) || name == "--week-numbers" || name == "--help" || name == "-h" ||
         name == "--version";
}

}  // namespace

CommandLine ParseCommandLine(int argc, const char* const argv[],
                             const std::function<bool(const char*)>& isFile) {
  CommandLine line;
  bool onlyOperands = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    std::string_view name = argument;
    std::optional<std::string_view> value;
    if (!onlyOperands && name.starts_with("--")) {
      if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
        value = name.substr(equals + 1);
        name = name.substr(0, equals);
      }
    }
    const bool option = !onlyOperands && IsOption(name);
    if (!option) {
      if (!onlyOperands && argument == "--") {
        onlyOperands = true;
        continue;
      }
      // A mistyped option would otherwise be taken for a missing source
      // file, and a sample written in its place.
      if (!onlyOperands && argument.starts_with("-") && !isFile(argv[i])) {
        return Mistake("unknown option " + std::string(argument));
      }
      if (!line.sourceName) line.sourceName = std::string(argument);
      continue;
    }
    if (TakesValue(name) && !value) {
      if (i + 1 == argc) return Mistake("option " + std::string(name) + " needs a value");
      value = argv[++i];
    } else if (!TakesValue(name) && value) {
      return Mistake("option " + std::string(name) + " takes no value");
    }
    if (name == "--help" || name == "-h") {
      line.action = CommandLine::Action::kHelp;
      return line;
    }
    if (name == "--version") {
      line.action = CommandLine::Action::kVersion;
      return line;
    }
    if (name == "--week-numbers") {
      line.weekNumbers = true;
    } else if (name == "--week-start") {
      line.weekStart = ParseWeekdayName(*value);
      if (!line.weekStart) {
        return Mistake("--week-start takes a day of the week, as monday or mon, not \"" +
                       std::string(*value) + "\"");
      }
    } else if (name == "--lang") {
      if (!IsLocaleName(*value)) {
        return Mistake("--lang takes a locale name, as de_DE or fr, not \"" + std::string(*value) +
                       "\"");
      }
      line.language = std::string(*value);
    } else if (*value == "rtl" || *value == "ltr") {
      line.rightToLeft = *value == "rtl";
    } else {
      return Mistake("--direction takes rtl or ltr, not \"" + std::string(*value) + "\"");
    }
  }
  return line;
}

}  // namespace wekset
