// wekset's command line: the source file and the options that shape the
// document, read into values for the run to pass on.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "calendar/calendar_arithmetic.h"

namespace wekset {

struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kMistake };
  Action action = Action::kRun;
  std::string mistake;  // for kMistake: what is wrong, for a line on standard error

  std::optional<std::string> sourceName;  // none: calendar.txt
  std::optional<Weekday> weekStart;       // none: the source's, the locale's, or Sunday
  bool weekNumbers = false;
  std::optional<std::string> language;  // the locale of --lang
  std::optional<bool> rightToLeft;      // none: as the language writes

  bool operator==(const CommandLine&) const = default;
};

/// Reads the arguments after the program name. Options may stand anywhere
/// before "--", and take their value as the next argument or after "=". An
/// argument that begins with "-" and is no option names the source file
/// when isFile says that a file has that name, and is a mistake otherwise.
/// The first other argument names the source; later ones are not used.
CommandLine ParseCommandLine(int argc, const char* const argv[],
                             const std::function<bool(const char*)>& isFile);

}  // namespace wekset
