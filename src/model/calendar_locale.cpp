// The names come from the C library's locale data, never from tables of our
// own: month names as they stand alone (%OB: Russian "Март", not "марта"),
// weekday abbreviations (%a), and the first day of the week.
#include "model/calendar_locale.h"

#include <langinfo.h>
#include <locale.h>

#include <array>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "calendar/week_of_year.h"

namespace wekset {

namespace {

constexpr const char* kSupportedLocales = "/usr/share/i18n/SUPPORTED";

// Languages whose scripts run from right to left, by their ISO 639 codes;
// Kashmiri and Sindhi also have locales in Devanagari, which run from left
// to right.
constexpr std::array<std::string_view, 11> kRightToLeftLanguages = {
    "ar", "ckb", "dv", "fa", "he", "ks", "ps", "sd", "ug", "ur", "yi"};

struct LocaleHandle {
  explicit LocaleHandle(locale_t handle) : locale(handle) {}
  ~LocaleHandle() {
    if (locale != nullptr) freelocale(locale);
  }
  LocaleHandle(const LocaleHandle&) = delete;
  LocaleHandle& operator=(const LocaleHandle&) = delete;
  locale_t locale;
};

std::string_view LanguageOf(std::string_view name) {
  return name.substr(0, name.find_first_of("_.@"));
}

bool IsRightToLeft(std::string_view name) {
  if (name.find("@devanagari") != std::string_view::npos) return false;
  const std::string_view language = LanguageOf(name);
  for (const std::string_view rtl : kRightToLeftLanguages) {
    if (language == rtl) return true;
  }
  return false;
}

// The names where the requested one is found, in the order they are tried.
std::vector<std::string> Candidates(const std::string& requested) {
  std::vector<std::string> names;
  const auto add = [&names](const std::string& name) {
    names.push_back(name + ".UTF-8");
    names.push_back(name + ".utf8");
    names.push_back(name);
  };
  add(requested);
  if (requested.find_first_of("_.@") != std::string::npos) return names;
  std::string territory;
  for (const char c : requested)
    territory += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  add(requested + "_" + territory);
  // "ar" has no ar_AR: the first territory in the list of the C library.
  if (std::FILE* list = std::fopen(kSupportedLocales, "r")) {
    char entry[256];
    const std::string prefix = requested + "_";
    while (std::fgets(entry, sizeof entry, list) != nullptr) {
      char name[128];
      char charset[64];
      if (std::sscanf(entry, "%127s %63s", name, charset) == 2 &&
          std::strncmp(name, prefix.c_str(), prefix.size()) == 0 &&
          std::strcmp(charset, "UTF-8") == 0) {
        names.emplace_back(name);
      }
    }
    std::fclose(list);
  }
  return names;
}

// TeX reads a few characters as commands; a name is text.
std::string TexText(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '\\':
        out += "\\textbackslash{}";
        break;
      case '{':
      case '}':
      case '$':
      case '&':
      case '#':
      case '%':
      case '_':
        out += '\\';
        out += c;
        break;
      case '^':
        out += "\\^{}";
        break;
      case '~':
        out += "\\~{}";
        break;
      default:
        if (static_cast<unsigned char>(c) >= 32 && c != 127) out += c;
        break;
    }
  }
  return out;
}

std::string Formatted(const char* format, const std::tm& time, locale_t locale) {
  char text[256];
  const std::size_t length = strftime_l(text, sizeof text, format, &time, locale);
  return TexText(std::string_view(text, length));
}

// glibc counts the first weekday from 1, for the day of _NL_TIME_WEEK_1STDAY,
// a date written as the number YYYYMMDD (19971130, a Sunday, in most locales).
Weekday FirstWeekdayOf(locale_t locale) {
  const auto first = static_cast<unsigned char>(nl_langinfo_l(_NL_TIME_FIRST_WEEKDAY, locale)[0]);
  const auto base = static_cast<std::int32_t>(
      reinterpret_cast<std::uintptr_t>(nl_langinfo_l(_NL_TIME_WEEK_1STDAY, locale)));
  const Weekday baseWeekday = GregorianWeekdayOf({base / 10000, base / 100 % 100, base % 100});
  const int from = first >= 1 && first <= 7 ? first - 1 : 0;
  return (baseWeekday + from) % 7;
}

LocaleCalendar CalendarOf(const std::string& name, locale_t locale) {
  LocaleCalendar calendar;
  calendar.name = name;
  calendar.rightToLeft = IsRightToLeft(name);
  calendar.names.rightToLeft = calendar.rightToLeft;
  // LuaTeX sets each name in its language's direction; pdflatex, which
  // has no fonts for these scripts, passes over the command.
  const auto name_text = [&calendar](std::string text) {
    return calendar.rightToLeft ? "\\rtlname{" + text + "}" : text;
  };
  std::tm time{};
  time.tm_mday = 1;
  time.tm_year = 100;
  for (int month = 1; month <= 12; ++month) {
    time.tm_mon = month - 1;
    calendar.names.months[month] = name_text(Formatted("%OB", time, locale));
  }
  for (Weekday weekday = 0; weekday < 7; ++weekday) {
    time.tm_wday = weekday;
    calendar.names.weekdays[weekday] = name_text(Formatted("%a", time, locale));
  }
  calendar.firstWeekday = FirstWeekdayOf(locale);
  return calendar;
}

}  // namespace

bool IsLocaleName(std::string_view name) {
  if (name.empty() || name[0] == '.') return false;
  for (const char c : name) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '@' || c == '-';
    if (!allowed) return false;
  }
  return true;
}

LocaleLookup LoadLocaleCalendar(const std::string& requested) {
  std::optional<std::string> notUtf8;
  const std::vector<std::string> candidates =
      IsLocaleName(requested) ? Candidates(requested) : std::vector<std::string>();
  for (const std::string& name : candidates) {
    const LocaleHandle handle(newlocale(LC_CTYPE_MASK | LC_TIME_MASK, name.c_str(), nullptr));
    if (handle.locale == nullptr) continue;
    if (std::strcmp(nl_langinfo_l(CODESET, handle.locale), "UTF-8") != 0) {
      if (!notUtf8) notUtf8 = name;
      continue;
    }
    return {CalendarOf(name, handle.locale), {}};
  }
  if (notUtf8) {
    return {std::nullopt,
            "the locale " + *notUtf8 + " is not a UTF-8 locale; give a UTF-8 one, as de_DE.UTF-8"};
  }
  return {std::nullopt, "the locale " + requested +
                            " is not installed; install the Debian package locales-all, or "
                            "generate the locale with locale-gen"};
}

}  // namespace wekset
