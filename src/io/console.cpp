// Console output.
#include "io/console.h"

#include <cerrno>
#include <cstdarg>

namespace wekset {

namespace {

// Checked after every write, so that errno still tells why the first failed.
void NoteError(Console& console) {
  if (console.error == 0 && std::ferror(console.stream) != 0)
    console.error = errno != 0 ? errno : EIO;
}

}  // namespace

void Print(Console& console, const char* text) {
  std::fputs(text, console.stream);
  NoteError(console);
}

void PrintFormatted(Console& console, const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  std::vfprintf(console.stream, format, values);
  va_end(values);
  NoteError(console);
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
  NoteError(console);
}

bool FlushConsole(Console& console) {
  if (std::fflush(console.stream) != 0 && console.error == 0) console.error = errno;
  NoteError(console);
  return console.error == 0;
}

}  // namespace wekset
