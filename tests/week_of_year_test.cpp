// The weeks of the world's calendar: day names, the Gregorian weekday, and
// ISO 8601 weeks, checked against Python's datetime over the calendar's years.
#include "calendar/week_of_year.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace wekset {
namespace {

TEST(WeekOfYear, ReadsDayNames) {
  struct Case {
    const char* name;
    std::optional<Weekday> weekday;
  };
  const Case cases[] = {
      {"sunday", 0},   {"Monday", 1},   {"TUESDAY", 2}, {"wed", 3},       {"Thu", 4},
      {"fri", 5},      {"SAT", 6},      {"", {}},       {"mo", {}},       {"mond", {}},
      {"mondays", {}}, {"sonntag", {}}, {"satur", {}},  {"wednesday", 3}, {"thursday", 4},
  };
  for (const Case& test : cases) EXPECT_EQ(ParseWeekdayName(test.name), test.weekday) << test.name;
  EXPECT_STREQ(WeekdayName(0), "sunday");
  EXPECT_STREQ(WeekdayName(6), "saturday");
}

TEST(WeekOfYear, KnowsTheWeeksAtTheTurnOfTheYear) {
  struct Case {
    CalendarDate date;
    IsoWeek week;
  };
  const Case cases[] = {
      {{2024, 12, 30}, {2025, 1}},   // a Monday of December in week 1 of the next year
      {{2024, 12, 29}, {2024, 52}},  // the Sunday before it
      {{2021, 1, 1}, {2020, 53}},    // 1 January in week 53 of the year before
      {{2021, 1, 3}, {2020, 53}},   {{2021, 1, 4}, {2021, 1}},   {{2020, 12, 31}, {2020, 53}},
      {{2026, 12, 31}, {2026, 53}}, {{2027, 1, 1}, {2026, 53}},  {{2027, 1, 4}, {2027, 1}},
      {{2000, 1, 1}, {1999, 52}},   {{2000, 1, 3}, {2000, 1}},   {{2000, 2, 29}, {2000, 9}},
      {{2000, 3, 5}, {2000, 9}},    {{2000, 3, 6}, {2000, 10}},  {{2004, 12, 31}, {2004, 53}},
      {{2005, 1, 2}, {2004, 53}},   {{2008, 12, 29}, {2009, 1}}, {{2099, 12, 31}, {2099, 53}},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(IsoWeekOf(test.date), test.week)
        << test.date.year << "/" << test.date.month << "/" << test.date.day;
  }
}

TEST(WeekOfYear, AgreesWithPythonFrom2000To2099) {
  // Every day as "YYYY MM DD ISOYEAR ISOWEEK WEEKDAY", the weekday 0 for Sunday.
  const char* const script =
      "python3 -c 'import datetime\n"
      "d = datetime.date(2000, 1, 1)\n"
      "while d.year < 2100:\n"
      "    y, w, k = d.isocalendar()\n"
      "    print(d.year, d.month, d.day, y, w, k % 7)\n"
      "    d += datetime.timedelta(days=1)'";
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> table(popen(script, "r"), pclose);
  ASSERT_NE(table, nullptr);
  int days = 0, week53 = 0, week52 = 0, januaryOfLastYear = 0;
  CalendarDate date;
  IsoWeek week;
  Weekday weekday = 0;
  while (std::fscanf(table.get(), "%d %d %d %d %d %d", &date.year, &date.month, &date.day,
                     &week.year, &week.week, &weekday) == 6) {
    ++days;
    ASSERT_EQ(IsoWeekOf(date), week) << date.year << "/" << date.month << "/" << date.day;
    ASSERT_EQ(GregorianWeekdayOf(date), weekday)
        << date.year << "/" << date.month << "/" << date.day;
    week53 += week.week == 53;
    week52 += week.week == 52;
    januaryOfLastYear += date.month == 1 && date.day == 1 && week.year < date.year;
  }
  EXPECT_EQ(days, 36525);
  EXPECT_GT(week53, 0);
  EXPECT_GT(week52, 0);
  EXPECT_GT(januaryOfLastYear, 0);
}

TEST(WeekOfYear, FindsTheThursdayOfEachRow) {
  // Rows from Sunday to Saturday: Thursday is the 5th day; from Monday the
  // 4th; from Thursday the 1st; from Friday the 7th.
  const std::int32_t offsets[] = {4, 3, 2, 1, 0, 6, 5};
  for (Weekday first = 0; first < 7; ++first) EXPECT_EQ(ThursdayOffset(first), offsets[first]);
}

}  // namespace
}  // namespace wekset
