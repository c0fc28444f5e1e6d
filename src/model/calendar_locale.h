// The names and the week of a locale of the C library, for --lang: wekset
// takes all of it, wekset-ics the first day of the week.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "calendar/calendar_arithmetic.h"
#include "model/document_style.h"

namespace wekset {

struct LocaleCalendar {
  std::string name;  // the installed locale that was found
  CalendarNames names;
  Weekday firstWeekday = 0;  // the first day of the week where the locale lives
  bool rightToLeft = false;  // its language is written from right to left
};

struct LocaleLookup {
  std::optional<LocaleCalendar> calendar;
  std::string error;  // without a calendar: why, for a line on standard error
};

/// A locale name as the C library spells one, never a path to some file.
bool IsLocaleName(std::string_view name);

/// The locale as given, or with ".UTF-8" or ".utf8" added; a language without
/// a territory, as "fr", also as its own territory ("fr_FR") or else as the
/// first of its territories that the C library lists. Only a UTF-8 locale
/// will do: the document is written in UTF-8.
LocaleLookup LoadLocaleCalendar(const std::string& requested);

}  // namespace wekset
