// The pass over a file's bytes before libical sees them. libical reads C
// strings, so a NUL would end the file unseen; it passes bytes that are not
// UTF-8 into the text, where they would later stop TeX; it gives nothing of a
// calendar that is not closed, and it nests an event that is not closed, or
// that stands inside another component, out of sight. It also keeps all of a
// file in memory as its own tree, so what wekset-ics never reads (alarms,
// descriptions, attachments, to-dos) is left out here, in linear time.
#include "ics/calendar_text.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "ics/message_text.h"
#include "model/limits.h"

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

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// A content line's name, and its value: what follows the first colon that
// stands outside a quoted parameter value.
std::string_view NameOf(std::string_view line) {
  return line.substr(0, std::min(line.find_first_of(";:"), line.size()));
}

std::string_view ValueOf(std::string_view line) {
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '"') quoted = !quoted;
    if (line[i] == ':' && !quoted) return line.substr(i + 1);
  }
  return {};
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "+HHMM" or "-HHMMSS", hours below 24 and minutes and seconds below 60.
bool IsUtcOffset(std::string_view value) {
  value = Trimmed(value);
  if ((value.size() != 5 && value.size() != 7) || (value[0] != '+' && value[0] != '-')) {
    return false;
  }
  int parts[3] = {0, 0, 0};
  for (std::size_t i = 1; i < value.size(); ++i) {
    if (value[i] < '0' || value[i] > '9') return false;
    parts[(i - 1) / 2] = parts[(i - 1) / 2] * 10 + (value[i] - '0');
  }
  return parts[0] < 24 && parts[1] < 60 && parts[2] < 60;
}

bool IsOneOf(std::string_view name, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The properties that place, name or version an event, and of a calendar
// those that say how to read its times; everything else is left out.
bool IsWanted(std::string_view component, std::string_view property) {
  if (component == "VEVENT") {
    return IsOneOf(property, {"UID", "DTSTART", "DTEND", "DURATION", "RRULE", "RDATE", "EXDATE",
                              "RECURRENCE-ID", "SUMMARY", "LOCATION", "STATUS", "SEQUENCE",
                              "LAST-MODIFIED", "DTSTAMP"});
  }
  if (component == "VCALENDAR") {
    return IsOneOf(property, {"VERSION", "PRODID", "CALSCALE", "X-WR-TIMEZONE"});
  }
  return true;  // a time zone's parts, all of which its offsets need
}

// A part of a calendar's text: an event, with its UID and the times that
// tell its versions apart, which only an event whose UID comes again needs;
// or a time zone.
struct Piece {
  std::string text;  // from BEGIN up to, not including, END
  std::string end;
  std::string uid;
  std::string stamps;  // its DTSTAMP and LAST-MODIFIED lines
};

// An open component, and the text of it that is kept.
struct Frame {
  Frame(std::string name, std::size_t line, bool kept = false)
      : name(std::move(name)), line(line), kept(kept) {}

  std::string name;          // as BEGIN gives it, in capitals
  std::size_t line = 0;      // where it begins
  bool kept = false;         // its lines go to the text
  bool hoisted = false;      // an event read as one of its calendar, out of where it stood
  bool transparent = false;  // a calendar inside another, read as part of it
  bool broken = false;       // a time zone with an impossible offset
  std::string tzid;          // of a time zone
  std::string uid;           // of an event
  std::string stamps;        // of an event: its DTSTAMP and LAST-MODIFIED lines
  std::string text;
  std::vector<Piece> pieces;  // of a calendar: its events and time zones
};

// The reading of one file's lines: the components open, and what is made.
class Structure {
 public:
  explicit Structure(std::vector<std::string>& warnings) : warnings_(warnings) {}

  void Line(std::string_view line, std::size_t number) {
    const std::string name = Upper(NameOf(line));
    if (name == "BEGIN") {
      Begin(Upper(Trimmed(ValueOf(line))), number);
    } else if (name == "END") {
      End(Upper(Trimmed(ValueOf(line))), number);
    } else {
      Property(line, name);
    }
  }

  // Closes what the file left open; nothing when it held no calendar at all.
  std::optional<CalendarText> Finish() {
    if (!open_.empty()) {
      warnings_.push_back("the file ends inside " + Printable(open_.back().name) +
                          "; it is read as far as it goes");
    }
    while (!open_.empty()) Close();
    if (!sawCalendar_) return std::nullopt;
    std::unordered_map<std::string_view, int> uses;
    for (const Frame& calendar : calendars_) {
      for (const Piece& piece : calendar.pieces) ++uses[piece.uid];
    }
    for (const Frame& calendar : calendars_) {
      made_.text += calendar.text;
      for (const Piece& piece : calendar.pieces) {
        made_.text += piece.text;
        if (uses[piece.uid] > 1) made_.text += piece.stamps;
        made_.text += piece.end;
      }
      made_.text += "END:VCALENDAR\r\n";
    }
    return std::move(made_);
  }

 private:
  void Warn(std::size_t number, const std::string& what) {
    warnings_.push_back("line " + std::to_string(number) + ": " + what);
  }

  bool InCalendar() const {
    return std::any_of(open_.begin(), open_.end(),
                       [](const Frame& frame) { return frame.name == "VCALENDAR"; });
  }

  void Begin(std::string name, std::size_t number) {
    Frame frame{name, number};
    const bool calendarLevel =
        IsOneOf(name, {"VEVENT", "VTODO", "VJOURNAL", "VFREEBUSY", "VTIMEZONE"});
    if (calendarLevel && !open_.empty() && open_.back().name == "VEVENT") {
      Warn(number, "the event that begins at line " + std::to_string(open_.back().line) +
                       " is not closed before this BEGIN:" + Printable(name) + "; it ends there");
      Close();
    }
    if (name == "VCALENDAR") {
      frame.transparent = InCalendar();
      frame.kept = !frame.transparent;
      if (frame.transparent) Warn(number, "a VCALENDAR inside another is read as part of it");
      sawCalendar_ = true;
    } else if (name == "VEVENT" || name == "VTIMEZONE") {
      if (!InCalendar()) {
        Warn(number, name + " outside any VCALENDAR is read as part of one");
        open_.insert(open_.begin(), Frame{"VCALENDAR", number, true});
        open_.front().text = "BEGIN:VCALENDAR\r\n";
      }
      const Frame& parent = open_.back();
      frame.kept = parent.name == "VCALENDAR";
      if (!frame.kept && name == "VEVENT") {
        Warn(number,
             "a VEVENT inside " + Printable(parent.name) + " is read as an event of the calendar");
        frame.kept = frame.hoisted = true;
      }
    } else if (name == "STANDARD" || name == "DAYLIGHT") {
      frame.kept = !open_.empty() && open_.back().name == "VTIMEZONE" && open_.back().kept;
    }
    if (frame.kept) frame.text = "BEGIN:" + name + "\r\n";
    open_.push_back(std::move(frame));
  }

  void End(const std::string& name, std::size_t number) {
    const auto match = std::find_if(open_.rbegin(), open_.rend(),
                                    [&](const Frame& frame) { return frame.name == name; });
    if (match == open_.rend()) {
      Warn(number, "END:" + Printable(name) + " ends nothing that is open; it is left out");
      return;
    }
    while (open_.back().name != name) {
      if (open_.back().name == "VEVENT") {
        Warn(number, "the event that begins at line " + std::to_string(open_.back().line) +
                         " is not closed before this END:" + Printable(name) + "; it ends there");
      }
      Close();
    }
    Close();
  }

  void Property(std::string_view line, const std::string& name) {
    if (open_.empty() || !open_.back().kept || !IsWanted(open_.back().name, name)) return;
    Frame& frame = open_.back();
    if (frame.name == "VTIMEZONE" && name == "TZID") frame.tzid = Trimmed(ValueOf(line));
    if ((frame.name == "STANDARD" || frame.name == "DAYLIGHT") &&
        (name == "TZOFFSETFROM" || name == "TZOFFSETTO") && !IsUtcOffset(ValueOf(line))) {
      open_[open_.size() - 2].broken = true;
    }
    if (frame.name == "VEVENT" && name == "UID") frame.uid = Trimmed(ValueOf(line));
    std::string& into = frame.name == "VEVENT" && (name == "DTSTAMP" || name == "LAST-MODIFIED")
                            ? frame.stamps
                            : frame.text;
    into.append(line);
    into += "\r\n";
  }

  void Close() {
    Frame frame = std::move(open_.back());
    open_.pop_back();
    if (!frame.kept) return;
    if (frame.name == "VCALENDAR") {
      calendars_.push_back(std::move(frame));
      return;
    }
    if (frame.broken) {
      made_.brokenZones.push_back(frame.tzid);
      return;
    }
    // Into the component it stands in, past calendars read as part of
    // theirs; a hoisted event into its calendar.
    const auto into = std::find_if(open_.rbegin(), open_.rend(), [&](const Frame& outer) {
      return outer.kept && (!frame.hoisted || outer.name == "VCALENDAR");
    });
    const std::string end = "END:" + frame.name + "\r\n";
    if (into == open_.rend()) return;
    if (into->name == "VCALENDAR") {
      into->pieces.push_back(
          {std::move(frame.text), end, std::move(frame.uid), std::move(frame.stamps)});
    } else {
      into->text += frame.text + end;
    }
  }

  std::vector<std::string>& warnings_;
  std::vector<Frame> open_;
  std::vector<Frame> calendars_;  // closed, in the order of the file
  CalendarText made_;
  bool sawCalendar_ = false;
};

// The UTF-16 that some Windows programs write, recognised by its byte order
// mark or by a NUL beside each ASCII letter of "BEGIN:VCALENDAR".
const char* Utf16Form(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) return "UTF-16";
  if (bytes.size() >= 4 && bytes[0] != '\0' && bytes[1] == '\0' && bytes[3] == '\0') {
    return "UTF-16LE";
  }
  if (bytes.size() >= 4 && bytes[0] == '\0' && bytes[1] != '\0' && bytes[2] == '\0') {
    return "UTF-16BE";
  }
  return nullptr;
}

std::optional<std::string> FromUtf16(std::string_view bytes, const char* form) {
  const iconv_t converter = iconv_open("UTF-8", form);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(bytes.size() * 2 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  char* to = out.data();
  std::size_t outLeft = out.size();
  const std::size_t done = iconv(converter, &in, &inLeft, &to, &outLeft);
  iconv_close(converter);
  if (done == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// Cuts text to at most limit bytes at a character boundary.
void CutAt(std::string& text, std::size_t limit) {
  text.resize(limit);
  for (std::size_t back = 1; back <= 4 && back <= text.size(); ++back) {
    const std::size_t at = text.size() - back;
    if ((static_cast<std::uint8_t>(text[at]) & 0xC0) != 0x80) {
      if (SequenceLength(std::string_view(text).substr(at)) == 0) text.resize(at);
      break;
    }
  }
}

// The decoded text of one unfolded line: what is not UTF-8 becomes U+FFFD.
std::string Decoded(std::string_view bytes, std::size_t& replaced) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const std::size_t length = SequenceLength(bytes);
    if (length == 0) {
      text += "\xEF\xBF\xBD";
      ++replaced;
      bytes.remove_prefix(1);
    } else {
      text.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
    }
  }
  return text;
}

// Gives each unfolded line to the structure, decoded and cut to its limit,
// with a note for each cut; returns the count of bytes that are not UTF-8.
// Folded lines are joined before their bytes are decoded: RFC 5545 folds at
// octets, so a fold may split a character.
std::size_t Unfold(std::string_view bytes, Structure& structure, std::vector<std::string>& notes) {
  std::size_t replaced = 0, number = 0, first = 0, length = 0;
  std::string line;
  const auto finish = [&] {
    if (length > kMaxCalendarLine) {
      CutAt(line, kMaxCalendarLine);
      notes.push_back("line " + std::to_string(first) + " is cut to its first " +
                      std::to_string(kMaxCalendarLine) +
                      " bytes: " + Quoted(Decoded(line, replaced)));
    }
    if (!Trimmed(line).empty()) structure.Line(Decoded(line, replaced), first);
    line.clear();
    length = 0;
  };
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view physical = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    ++number;
    if (physical.ends_with('\r')) physical.remove_suffix(1);
    const bool continues = !physical.empty() && (physical[0] == ' ' || physical[0] == '\t');
    if (continues && length > 0) {
      physical.remove_prefix(1);
    } else {
      finish();
      first = number;
    }
    length += physical.size();
    // A few bytes past the limit, so that it is cut at a whole character.
    if (line.size() < kMaxCalendarLine + 4) {
      line.append(physical.substr(0, kMaxCalendarLine + 4 - line.size()));
    }
  }
  finish();
  return replaced;
}

}  // namespace

std::optional<CalendarText> ReadCalendarText(std::string_view bytes,
                                             std::vector<std::string>& warnings,
                                             std::string& error) {
  std::optional<std::string> converted;
  if (const char* form = Utf16Form(bytes)) {
    converted = FromUtf16(bytes, form);
    if (!converted) {
      error = "is UTF-16 that cannot be read as such, and no iCalendar text (which is UTF-8)";
      return std::nullopt;
    }
    warnings.push_back("is UTF-16, not UTF-8 as iCalendar files are; it is read as UTF-16");
    bytes = *converted;
  }
  if (const std::size_t nul = bytes.find('\0'); nul != std::string_view::npos) {
    error = "holds a NUL byte, at byte " + std::to_string(nul) +
            ", so it is no iCalendar text (which is UTF-8)";
    return std::nullopt;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);

  std::vector<std::string> notes;  // after the count of bytes replaced, as they are found
  Structure structure(notes);
  const std::size_t replaced = Unfold(bytes, structure, notes);
  std::optional<CalendarText> text = structure.Finish();
  if (!text) {
    error = "not an iCalendar file";
    return std::nullopt;
  }
  if (replaced > 0) {
    warnings.push_back(std::to_string(replaced) +
                       (replaced == 1 ? " byte that is not UTF-8 became U+FFFD"
                                      : " bytes that are not UTF-8 became U+FFFD"));
  }
  warnings.insert(warnings.end(), notes.begin(), notes.end());
  return text;
}

}  // namespace wekset::ics
