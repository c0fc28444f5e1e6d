// Console output.
#include "source/console.h"

#include <cstdarg>

namespace wekset {

void Print(Console& console, const char* text) { std::fputs(text, console.stream); }

void PrintFormatted(Console& console, const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  std::vfprintf(console.stream, format, values);
  va_end(values);
}

void EchoLine(Console& console, const char* line) {
  std::fputc('[', console.stream);
  if (console.terminal) {
    for (const char* byte = line; *byte != '\0'; ++byte) {
      const bool control = (*byte >= 0 && *byte < ' ' && *byte != '\t') || *byte == 127;
      std::fputc(control ? '?' : *byte, console.stream);
    }
  } else {
    std::fputs(line, console.stream);
  }
  std::fputs("]\n", console.stream);
}

}  // namespace wekset
