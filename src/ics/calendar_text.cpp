// The checks run on a file's bytes before libical sees them: libical reads C
// strings, so a NUL would end the file unseen, and it passes bytes that are
// not UTF-8 into the text, where they would later stop TeX.
#include "ics/calendar_text.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>

namespace wekset::ics {

namespace {

// The length of the UTF-8 sequence at the start of text, or 0 when it is not
// one: no overlong forms, surrogates or code points past U+10FFFF.
std::size_t SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  const std::uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t low = 0x80, high = 0xBF;  // the bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

// The name of the component that a BEGIN or END line begins or ends, in
// capitals, maybe empty; nothing for any other line.
std::optional<std::string> NameAfter(std::string_view line, std::string_view keyword) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  std::string upper(line);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (!upper.starts_with(keyword)) return std::nullopt;
  return upper.substr(keyword.size());
}

// Closes the components of the text as libical needs them closed, since it
// gives nothing of a calendar that is not: an END closes what was left open
// inside its component, an END of nothing open goes (libical would only say
// so on standard error), and what is open at the end of a file cut short is
// closed there. Returns the innermost component left open, if any.
std::string Closed(std::string& text) {
  std::vector<std::string> open;
  std::string closed;
  closed.reserve(text.size());
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, std::min(end + 1, rest.size()));
    rest.remove_prefix(line.size());
    if (const std::optional<std::string> begun = NameAfter(line.substr(0, end), "BEGIN:")) {
      open.push_back(*begun);
    } else if (const std::optional<std::string> ended = NameAfter(line.substr(0, end), "END:")) {
      const auto match = std::find(open.rbegin(), open.rend(), *ended);
      if (match == open.rend()) continue;
      while (open.back() != *ended) {
        closed += "END:" + open.back() + "\r\n";
        open.pop_back();
      }
      open.pop_back();
    }
    closed += line;
  }
  const std::string innermost = open.empty() ? "" : open.back();
  if (!open.empty() && !closed.empty() && closed.back() != '\n') closed += "\r\n";
  for (auto name = open.rbegin(); name != open.rend(); ++name) closed += "END:" + *name + "\r\n";
  text = std::move(closed);
  return innermost;
}

}  // namespace

std::optional<std::string> CalendarText(std::string_view bytes, std::vector<std::string>& warnings,
                                        std::string& error) {
  if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
    error = "holds a NUL byte, at byte " + std::to_string(nul) +
            ", so it is no iCalendar text (which is UTF-8)";
    return std::nullopt;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);

  std::string text;
  text.reserve(bytes.size());
  std::size_t replaced = 0;
  while (!bytes.empty()) {
    const std::size_t length = SequenceLength(bytes);
    if (length == 0) {
      text += "\xEF\xBF\xBD";  // U+FFFD
      ++replaced;
      bytes.remove_prefix(1);
    } else {
      text.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  if (replaced > 0) {
    warnings.push_back(std::to_string(replaced) +
                       (replaced == 1 ? " byte that is not UTF-8 became U+FFFD"
                                      : " bytes that are not UTF-8 became U+FFFD"));
  }
  const std::string_view kBegin = "BEGIN:VCALENDAR";
  const auto sameLetter = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == b;
  };
  if (std::search(text.begin(), text.end(), kBegin.begin(), kBegin.end(), sameLetter) ==
      text.end()) {
    error = "not an iCalendar file";
    return std::nullopt;
  }
  if (const std::string open = Closed(text); !open.empty()) {
    warnings.push_back("the file ends inside " + open + "; it is read as far as it goes");
  }
  return text;
}

}  // namespace wekset::ics
