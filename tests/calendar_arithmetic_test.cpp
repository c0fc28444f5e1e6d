// The calendar arithmetic against the values worked out by hand, and over the
// whole range that calendars are made for.
#include "calendar/calendar_arithmetic.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace wekset {
namespace {

TEST(CalendarArithmetic, LeapYearsAndMonthLengths) {
  for (auto [year, leap] : {std::pair{1900, false},
                            {1996, true},
                            {2000, false},
                            {2004, true},
                            {2008, true},
                            {2100, false},
                            {2400, true},
                            {4000, false}}) {
    EXPECT_EQ(IsLeapYear(year), leap) << year;
  }
  EXPECT_EQ(DaysInMonth(2, 2000), 28);
  EXPECT_EQ(DaysInMonth(2, 2008), 29);
  EXPECT_EQ(DaysInMonth(4, 2008), 30);
  EXPECT_EQ(DaysInMonth(12, 2008), 31);
  for (int month : {0, -1, 13}) EXPECT_EQ(DaysInMonth(month, 2008), 0) << month;
}

TEST(CalendarArithmetic, DateToSerial) {
  struct Case {
    int year, month, day;
    DaySerial serial;
  };
  const Case cases[] = {
      {1999, 12, 31, 1},
      {2000, 1, 1, 2},
      {2000, 2, 28, 60},
      {2000, 2, 29, 61},
      {2000, 3, 1, 61},
      {2007, 12, 13, 2904},
      {2008, 2, 14, 2967},
      {2099, 12, 31, 36525},
      // Days and months out of range carry over.
      {2008, 1, 0, 2922},
      {2008, 0, 5, 2927},
      {2008, 1, 5, 2927},
      {2008, 2, 30, 2983},
      {2008, 13, 1, 3289},
      {2008, 14, 1, 3289},
      {2008, 99, 1, 3289},
      // Before 2000 no leap days are taken away.
      {1999, 1, 1, -363},
      {1996, 12, 31, -1093},
      {1997, 1, 1, -1093},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DateToSerial(c.year, c.month, c.day), c.serial)
        << c.year << "/" << c.month << "/" << c.day;
  }
}

TEST(CalendarArithmetic, SerialToDate) {
  struct Case {
    DaySerial serial;
    DayKind kind;
    int year, month, day;
  };
  using enum DayKind;
  const Case cases[] = {
      {1, kYearEnd, 1999, 12, 31},
      {2, kOtherDay, 2000, 1, 1},
      {32, kMonthEnd, 2000, 1, 31},
      {60, kMonthEnd, 2000, 2, 28},
      {61, kOtherDay, 2000, 3, 1},
      {366, kYearEnd, 2000, 12, 31},
      {367, kOtherDay, 2001, 1, 1},
      {2900, kOtherDay, 2007, 12, 9},
      {3319, kMonthEnd, 2009, 1, 31},
      {36525, kYearEnd, 2099, 12, 31},
      // Below serial 1 the year numbering of DateToSerial carries on.
      {0, kOtherDay, 1999, 12, 30},
      {-363, kOtherDay, 1999, 1, 1},
      {-364, kYearEnd, 1998, 12, 31},
  };
  for (const Case& c : cases) {
    const CalendarDate date = SerialToDate(c.serial);
    EXPECT_EQ(DayKindOf(date), c.kind) << c.serial;
    EXPECT_EQ(date, (CalendarDate{c.year, c.month, c.day})) << c.serial;
  }
}

TEST(CalendarArithmetic, TwentyNinthFebruary2000BecomesFirstOfMarch) {
  EXPECT_EQ(SerialToDate(DateToSerial(2000, 2, 29)), (CalendarDate{2000, 3, 1}));
}

TEST(CalendarArithmetic, WeekdayOf) {
  struct Case {
    int month, day, year;
    Weekday weekday;
  };
  const Case cases[] = {
      {12, 13, 2007, 4},
      {12, 9, 2007, 0},
      {12, 31, 1999, 5},
      {1, 1, 2000, 6},
      {2, 28, 2000, 1},
      {2, 29, 2000, 2},
      {3, 1, 2000, 3},
      {1, 1, 1921, 6},
      {12, 31, 2099, 4},
      {2, 0, 2008, 4},
      {1, 1, 99, 5},
      {1, 1, 108, 2},
      // Below 1921 and below day 0 the formula goes on as a floor modulo.
      {1, 1, 1901, 2},
      {7, 4, 1910, 1},
      {2, -1, 2008, 3},
      {3, -30, 2008, 3},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WeekdayOf(c.month, c.day, c.year), c.weekday)
        << c.month << "/" << c.day << "/" << c.year;
  }
}

TEST(CalendarArithmetic, WeekdayOfIsAlwaysAWeekday) {
  const int32_t extremes[] = {std::numeric_limits<int32_t>::min(), -1000, -1, 0, 1, 13, 99,
                              std::numeric_limits<int32_t>::max()};
  for (int32_t month : extremes) {
    for (int32_t day : extremes) {
      for (int32_t year : extremes) {
        const Weekday w = WeekdayOf(month, day, year);
        EXPECT_TRUE(w >= 0 && w <= 6) << month << " " << day << " " << year;
      }
    }
  }
}

// Every date of the calendar from 31 December 1999 to the end of 2099.
TEST(CalendarArithmetic, WholeRangeRoundTripsAndWeekdaysFollowSerials) {
  DaySerial expected = 1;
  for (int year = 1999; year <= 2099; ++year) {
    for (int month = year == 1999 ? 12 : 1; month <= 12; ++month) {
      for (int day = year == 1999 ? 31 : 1; day <= DaysInMonth(month, year); ++day) {
        const DaySerial serial = DateToSerial(year, month, day);
        ASSERT_EQ(serial, expected) << year << "/" << month << "/" << day;
        ASSERT_EQ(SerialToDate(serial), (CalendarDate{year, month, day}));
        // The weekday formula has a 29 February 2000; the serials do not.
        const Weekday weekday = serial <= 60 ? (serial + 4) % 7 : (serial + 5) % 7;
        ASSERT_EQ(WeekdayOf(month, day, year), weekday) << year << "/" << month << "/" << day;
        ++expected;
      }
    }
  }
  EXPECT_EQ(expected - 1, 36525);
}

// The conversions step year by year from 2000, each year as long as the leap
// rule makes it; far years must come out the same.
TEST(CalendarArithmetic, FarYearsFollowTheYearByYearCount) {
  DaySerial newYear = 2;  // 1 January 2000
  for (int year = 2000; year <= 9999; ++year) {
    ASSERT_EQ(DateToSerial(year, 1, 1), newYear) << year;
    const CalendarDate newYearsEve = SerialToDate(newYear - 1);
    ASSERT_EQ(DayKindOf(newYearsEve), DayKind::kYearEnd) << year;
    ASSERT_EQ(newYearsEve.year, year - 1);
    const CalendarDate sixtieth = SerialToDate(newYear + 59);
    ASSERT_EQ(DayKindOf(sixtieth), IsLeapYear(year) ? DayKind::kMonthEnd : DayKind::kOtherDay)
        << year;
    ASSERT_EQ(sixtieth.month, IsLeapYear(year) ? 2 : 3) << year;
    newYear += IsLeapYear(year) ? 366 : 365;
  }
}

TEST(CalendarArithmetic, ExtremeSerialsConvertToRealDates) {
  for (DaySerial serial : {std::numeric_limits<DaySerial>::min(), -5, DaySerial{0},
                           std::numeric_limits<DaySerial>::max()}) {
    const CalendarDate date = SerialToDate(serial);
    EXPECT_GE(date.month, 1) << serial;
    EXPECT_LE(date.month, 12) << serial;
    EXPECT_GE(date.day, 1) << serial;
    EXPECT_LE(date.day, DaysInMonth(date.month, date.year)) << serial;
  }
}

}  // namespace
}  // namespace wekset
