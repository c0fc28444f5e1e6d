// The one way rows reach "wek.tex".
#pragma once

#include <cstdio>
#include <initializer_list>
#include <span>

namespace wekset {

/// A row written exactly as it stands, percent signs included.
struct VerbatimRow {
  const char* text;
  /// The line ends after the text: 0 leaves the next row on the same line,
  /// 2 and more add empty lines after it.
  int lineEnds;
};

/// One row; a table of rows, as the preamble keeps them; and rows listed in
/// place, for the few that stand alone between formatted ones.
void WriteVerbatim(std::FILE* out, const VerbatimRow& row);
void WriteVerbatim(std::FILE* out, std::span<const VerbatimRow> rows);
void WriteVerbatim(std::FILE* out, std::initializer_list<VerbatimRow> rows);

/// A row whose text is a printf-style format.
[[gnu::format(printf, 3, 4)]] void WriteFormatted(std::FILE* out, int lineEnds, const char* format,
                                                  ...);

}  // namespace wekset
