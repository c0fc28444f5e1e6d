// Calendar text as wekset-ics's messages show it: a stranger's file must not
// be able to drive the terminal that reads the warnings about it.
#pragma once

#include <string>
#include <string_view>

namespace wekset::ics {

/// The text with every control character (but the tab) and every bidi
/// control (U+200E, U+200F, U+061C, U+202A to U+202E, U+2066 to U+2069) as
/// "?", so that it can neither send escape sequences nor reorder the message
/// around it; cut after most characters with "…".
std::string Printable(std::string_view text, std::size_t most = std::string_view::npos);

/// Printable text in double quotes, cut after kMaxQuotedCharacters characters
/// with "…".
std::string Quoted(std::string_view text);

}  // namespace wekset::ics
