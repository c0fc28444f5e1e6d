// Writing rows of TeX.
#include "tex/tex_output.h"

#include <cstdarg>

#include "io/line_ends.h"

namespace wekset {

void WriteVerbatim(std::FILE* out, const VerbatimRow& row) {
  std::fputs(row.text, out);
  WriteLineEnds(out, row.lineEnds);
}

void WriteVerbatim(std::FILE* out, std::span<const VerbatimRow> rows) {
  for (const VerbatimRow& row : rows) WriteVerbatim(out, row);
}

void WriteVerbatim(std::FILE* out, std::initializer_list<VerbatimRow> rows) {
  WriteVerbatim(out, std::span(rows.begin(), rows.size()));
}

void WriteFormatted(std::FILE* out, int lineEnds, const char* format, ...) {
  std::va_list values;
  va_start(values, format);
  std::vfprintf(out, format, values);
  va_end(values);
  WriteLineEnds(out, lineEnds);
}

}  // namespace wekset
