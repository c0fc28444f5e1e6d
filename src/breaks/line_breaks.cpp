// The runs of a text without spaces or ASCII, and where ICU breaks them.
#include "breaks/line_breaks.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace wekset::breaks {
namespace {

constexpr char32_t kZeroWidthSpace = 0x200B;
constexpr char32_t kSoftHyphen = 0x00AD;

bool EndsRun(UChar32 code) {
  return code < 0x80 || u_isUWhiteSpace(code) || code == kZeroWidthSpace || code == kSoftHyphen;
}

// The run's breaks, "" where it has none inside. The iterator keeps a
// reference to the text, which is the caller's to keep.
std::string BreaksOf(icu::BreakIterator& lines, icu::UnicodeString& text, std::string_view run) {
  text =
      icu::UnicodeString::fromUTF8(icu::StringPiece(run.data(), static_cast<int32_t>(run.size())));
  lines.setText(text);
  std::string offsets;
  int32_t from = 0;
  int32_t characters = 0;
  for (int32_t at = lines.next(); at != icu::BreakIterator::DONE && at < text.length();
       at = lines.next()) {
    characters += text.countChar32(from, at - from);
    from = at;
    if (!offsets.empty()) offsets += ' ';
    offsets += std::to_string(characters);
  }
  return offsets;
}

bool ReadAll(std::FILE* in, std::string& text) {
  char buffer[65536];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, count);
  return !std::ferror(in);
}

}  // namespace

bool WriteRunBreaks(std::FILE* in, std::FILE* out, std::FILE* errors) {
  std::string text;
  if (!ReadAll(in, text)) {
    std::fputs("wekset-breaks: cannot read the text\n", errors);
    return false;
  }
  // ICU counts in 32 bits.
  if (text.size() > static_cast<std::size_t>(INT32_MAX)) {
    std::fputs("wekset-breaks: the text is too long\n", errors);
    return false;
  }
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> lines(
      icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) {
    std::fprintf(errors, "wekset-breaks: ICU cannot break lines: %s\n", u_errorName(status));
    return false;
  }
  icu::UnicodeString run_text;
  std::set<std::string_view> written;
  const auto length = static_cast<int32_t>(text.size());
  int32_t at = 0;
  while (at < length) {
    // The next run, from `start` to `end`; a byte that is not UTF-8 ends it
    // as the characters of EndsRun do.
    const int32_t start = at;
    int32_t end = at;
    while (at < length) {
      UChar32 code;
      end = at;
      U8_NEXT(text.data(), at, length, code);
      if (code < 0 || EndsRun(code)) break;
      end = at;
    }
    const std::string_view run(text.data() + start, static_cast<std::size_t>(end - start));
    if (run.empty() || !written.insert(run).second) continue;
    const std::string offsets = BreaksOf(*lines, run_text, run);
    if (!offsets.empty())
      std::fprintf(out, "%.*s\t%s\n", static_cast<int>(run.size()), run.data(), offsets.c_str());
  }
  if (std::fflush(out) != 0 || std::ferror(out)) {
    std::fputs("wekset-breaks: cannot write the breaks\n", errors);
    return false;
  }
  return true;
}

}  // namespace wekset::breaks
