// Where lines may break inside runs of text between spaces, as ICU's line
// breaking finds them by the rules of UAX #14 and its dictionaries: between
// the words of Thai, Lao, Khmer and Myanmar, which have no spaces, between
// Chinese and Japanese characters, after a Tibetan tsheg or a Hebrew maqaf.
// TeX cannot ask ICU itself, so wekset-pdf runs this first on the
// document's text, and its Lua looks up each run it sets in what this
// writes.
#pragma once

#include <cstdio>

namespace wekset::breaks {

/// Reads UTF-8 text from `in` and writes to `out` a line for each different
/// run that may break inside: the run, a tab, and the offsets of its
/// breaks, in characters from its start, separated by spaces. A run is the
/// longest stretch of characters that are neither ASCII (where TeX's markup
/// is), nor white space, nor a zero width space or soft hyphen (which TeX
/// sets apart). Returns false, having said why on `errors`, when reading or
/// writing fails or ICU cannot break lines.
bool WriteRunBreaks(std::FILE* in, std::FILE* out, std::FILE* errors);

}  // namespace wekset::breaks
