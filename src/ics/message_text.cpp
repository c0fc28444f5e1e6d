// Printable text and quotations for messages.
#include "ics/message_text.h"

#include <cstdint>

#include "model/limits.h"

namespace wekset::ics {

namespace {

// The length of the UTF-8 character at the start of text: its lead byte and
// the continuation bytes after it.
std::size_t CharacterLength(std::string_view text) {
  std::size_t length = 1;
  while (length < text.size() && (static_cast<std::uint8_t>(text[length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

bool IsBidiControl(std::string_view character) {
  for (std::string_view control : {"\u200E", "\u200F", "\u061C", "\u202A", "\u202B", "\u202C",
                                   "\u202D", "\u202E", "\u2066", "\u2067", "\u2068", "\u2069"}) {
    if (character == control) return true;
  }
  return false;
}

}  // namespace

std::string Printable(std::string_view text, std::size_t most) {
  std::string out;
  std::size_t characters = 0;
  while (!text.empty()) {
    if (characters == most) {
      out += "\u2026";
      break;
    }
    const std::string_view character = text.substr(0, CharacterLength(text));
    text.remove_prefix(character.size());
    ++characters;
    const auto lead = static_cast<std::uint8_t>(character[0]);
    // C0 and DEL, and C1 (U+0080 to U+009F), which some terminals obey too.
    const bool control =
        (lead < 0x20 && lead != '\t') || lead == 0x7F ||
        (lead == 0xC2 && character.size() == 2 && static_cast<std::uint8_t>(character[1]) < 0xA0);
    out += control || IsBidiControl(character) ? std::string_view("?") : character;
  }
  return out;
}

std::string Quoted(std::string_view text) {
  return "\"" + Printable(text, kMaxQuotedCharacters) + "\"";
}

}  // namespace wekset::ics
