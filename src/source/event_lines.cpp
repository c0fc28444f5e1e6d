// The body of the source file.
#include "source/event_lines.h"

namespace wekset {

void ReadEventLines(SourceStream& source, char* line) {
  while (ReadLine(source, line, false) != LineEnd::EndOfStream) {
  }
}

}  // namespace wekset
