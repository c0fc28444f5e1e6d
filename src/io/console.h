// The console: where a run's progress and error lines go. Every step that
// prints is given the console, so a test can read it from memory.
#pragma once

#include <cstdio>

namespace wekset {

struct Console {
  std::FILE* stream = stdout;
  std::FILE* errors = stderr;  // for what is wrong with the command itself
  /// Set for a terminal: the control bytes of echoed source lines are shown
  /// as "?", so that a calendar file cannot send escape sequences to it.
  bool terminal = false;
  /// The errno of the first write that failed; 0 while none has.
  int error = 0;
};

/// Writes text as it stands.
void Print(Console& console, const char* text);

/// Writes a printf-style format.
[[gnu::format(printf, 2, 3)]] void PrintFormatted(Console& console, const char* format, ...);

/// Writes "[", a line of the source file, "]" and a line feed.
void EchoLine(Console& console, const char* line);

/// Flushes the console; false when any write to it failed.
bool FlushConsole(Console& console);

}  // namespace wekset
