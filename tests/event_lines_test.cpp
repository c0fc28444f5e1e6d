// The body of the source file: what each kind of line does to the EventTable
// and to the console, the limits of the table, and input that must not break it.
#include "reading/event_lines.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory_resource>
#include <random>
#include <string>
#include <vector>

#include "reading/header_line.h"
#include "test_support.h"

namespace wekset {
namespace {

struct Entry {
  std::int32_t offset;
  std::string text;
  bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& entry, std::ostream* out) {
  *out << "{" << entry.offset << ", \"" << entry.text << "\"}";
}

std::vector<Entry> Entries(const EventTable& table) {
  std::vector<Entry> entries;
  for (const EventEntry& entry : table.entries) entries.push_back({entry.DayOffset, entry.DayText});
  return entries;
}

std::string NotProcessed(const std::string& line) {
  return "~~~~~~~~~~~~~\"calendar.txt\" format error. The following line is not processed.\n[" +
         line + "]\n";
}

// Reads a body under the header line "2008/02": the window starts on Sunday
// 27 January 2008, serial 2949, and holds 42 days. Returns the console.
std::string ReadBody(const std::string& body, EventTable& table) {
  TestSource source(body);
  TestConsole console;
  const CalendarWindow window = ComputeCalendarWindow({2008, 2, 0, 6, 6, 2});
  EXPECT_TRUE(ReadEventLines(source.stream(), window, table, console.console));
  return console.Text();
}

TEST(EventLines, EveryKindOfLine) {
  EventTable table;
  const std::string console = ReadBody(
      "-2008/02\n"
      "18 10:00PM Dentist\n"
      "   Tooth check\n"
      "\n"
      "      \n"
      "; a comment\n"
      "-----\n"
      "-2008\n"
      "-08/02/2008\n"
      "   a\n"
      "19 no month\n"
      "   after it\n"
      "-2008/02\n"
      "1 Dentist\n"
      "18\n"
      "7\n"
      "18 x\n"
      "00 zero day\n"
      "xx no digits\n"
      "30 Feb thirtieth\n"
      "   after a rejected line\n"
      "29 Leap day  \n"
      "5  one digit\n"
      "\t7 tab\n"
      "18 Second entry for the 18th\n"
      "-2008/05\n"
      "01 Outside the window\n"
      "-2008/13\n"
      "05 thirteenth month\n"
      "-2008/00\n"
      "05 month zero\n"
      "-1999/12\n"
      "31 First day of the calendar\n"
      "30 Before the calendar\n"
      "-2000/02\n"
      "29 No leap day in 2000\n"
      "-+008/02\n"
      "18 Year eight\n"
      "- 2008/03\n"
      "18 After a blank\n"
      "-2008/02\n"
      "--2008/03\n"
      "18 After two minus signs\n"
      "-2008/02\n"
      "-\t+1/03\n"
      "18 After a tab\n"
      "-2008/02\n"
      "- notes\n"
      "- - -\n"
      "-- notes\n"
      "18 After separators\n"
      "-2008/2\n"
      "20 One-digit month marker\n"
      "\xFF\xFE"
      " 12345\n"
      "21 ab\n"
      "21 Last line without a line feed",
      table);
  EXPECT_EQ(console,
            NotProcessed("-2008") + NotProcessed("-08/02/2008") + NotProcessed("19 no month") +
                NotProcessed("   after it") + NotProcessed("1 Dentist") + NotProcessed("18") +
                NotProcessed("7") + NotProcessed("00 zero day") + NotProcessed("xx no digits") +
                "Error in [year/month/day]:  [2008/2/30] became [2008/3/1].\n" +
                NotProcessed("30 Feb thirtieth") + NotProcessed("   after a rejected line") +
                "Error in [year/month/day]:  [2008/13/5] became [2009/1/5].\n" +
                NotProcessed("05 thirteenth month") +
                "Error in [year/month/day]:  [2008/0/5] became [2008/1/5].\n" +
                NotProcessed("05 month zero") + NotProcessed("30 Before the calendar") +
                "Error in [year/month/day]:  [2000/2/29] became [2000/3/1].\n" +
                NotProcessed("29 No leap day in 2000") + NotProcessed("18 Year eight") +
                NotProcessed("- 2008/03") + NotProcessed("18 After a blank") +
                NotProcessed("--2008/03") + NotProcessed("18 After two minus signs") +
                NotProcessed("-\t+1/03") + NotProcessed("18 After a tab") +
                NotProcessed("\xFF\xFE 12345"));
  EXPECT_EQ(Entries(table), (std::vector<Entry>{
                                {22, "10:00PM Dentist\\vskip1pt    Tooth check\\vskip1pt    a"},
                                {22, "x"},
                                {33, "Leap day"},
                                {9, "one digit"},
                                {11, "tab"},
                                {22, "Second entry for the 18th"},
                                {95, "Outside the window"},
                                {-2948, "First day of the calendar"},
                                {22, "After separators"},
                                {24, "One-digit month marker"},
                                {25, "ab"},
                                {25, "Last line without a line feed"},
                            }));
}

TEST(EventLines, EventLinesBeforeAnyMonthMarkerAreNotProcessed) {
  EventTable table;
  EXPECT_EQ(
      ReadBody("   no event yet\n18 Too early\n   no entry to continue\n-2008/02\n19 In time\n",
               table),
      NotProcessed("   no event yet") + NotProcessed("18 Too early") +
          NotProcessed("   no entry to continue"));
  EXPECT_EQ(Entries(table), (std::vector<Entry>{{23, "In time"}}));
}

TEST(EventLines, TextPassesThroughUnchanged) {
  const std::string text = "50% {\\bf bold} \\dayline $x_1$ & #1 ~ \xB0\xA1\xFF\x01\t\r end";
  EventTable table;
  EXPECT_EQ(ReadBody("-2008/02\n18 " + text + "\n", table), "");
  EXPECT_EQ(Entries(table), (std::vector<Entry>{{22, text}}));
}

TEST(EventLines, NulEndsTheLineAndCarriageReturnsBeforeLineFeedsAreDropped) {
  EventTable table;
  EXPECT_EQ(ReadBody(std::string("-2008/02\r\n18 before\0after\r\n   cont\r\n", 36), table), "");
  EXPECT_EQ(Entries(table), (std::vector<Entry>{{22, "before\\vskip1pt    cont"}}));
}

TEST(EventLines, ADayHoldsAtMost511Characters) {
  const std::string kTooMuch = "Too much text for one day: at most 511 characters.\n";
  const std::string full = std::string(510, 'a') + "b";
  const std::string over = std::string(512, 'c');
  EventTable table;
  EXPECT_EQ(ReadBody("-2008/02\n18 " + full + "\n19 " + over + "\n   more\n", table),
            kTooMuch + NotProcessed("19 " + over) + NotProcessed("   more"));
  EXPECT_EQ(Entries(table), (std::vector<Entry>{{22, full}}));

  // 10 characters of mark and 5 of line fill a text of 496 exactly.
  const std::string filled = std::string(496, 'd');
  EventTable filledTable;
  EXPECT_EQ(ReadBody("-2008/02\n18 " + filled + "\n   ef\n   gh\n", filledTable),
            kTooMuch + NotProcessed("   gh"));
  EXPECT_EQ(Entries(filledTable), (std::vector<Entry>{{22, filled + "\\vskip1pt    ef"}}));
}

TEST(EventLines, TheTableKeeps3659Entries) {
  std::string body = "-2008/02\n";
  for (int i = 0; i < 3659; ++i) body += "18 kept\n";
  body += "19 one too many\n   continues no stored event\n";
  EventTable table;
  EXPECT_EQ(ReadBody(body, table), "Too many events: at most 3659 are kept.\n" +
                                       NotProcessed("19 one too many") +
                                       NotProcessed("   continues no stored event"));
  ASSERT_EQ(table.EventCount(), 3659);
  EXPECT_STREQ(table.entries[3658].DayText, "kept");
}

TEST(EventLines, AnEntryThatCannotBeAllocatedIsReported) {
  EventTable table(std::pmr::null_memory_resource());
  EXPECT_EQ(ReadBody("-2008/02\n18 no memory\n   no entry to continue\n", table),
            NotProcessed("18 no memory") + NotProcessed("   no entry to continue"));
  EXPECT_EQ(table.EventCount(), 0);
}

TEST(DeleteChars, RemovesARunInPlaceOrRefuses) {
  struct Case {
    const char* text;
    std::int32_t position, count;
    bool removed;
    const char* after;
  };
  const Case cases[] = {
      {"18 10:00PM Dentist", 0, 3, true, "10:00PM Dentist"},
      {"abc", 1, 2, true, "a"},
      {"abc", 2, 2, false, "abc"},
      {"abc", 0, 0, false, "abc"},
      {"abc", -1, 2, false, "abc"},
      {"abc", 1, -1, false, "abc"},
      {"abc", 0, 3, true, ""},
      {"abcdef", 2, 1, true, "abdef"},
  };
  for (const Case& c : cases) {
    char text[32];
    std::strcpy(text, c.text);
    EXPECT_EQ(DeleteChars(text, c.position, c.count), c.removed) << c.text;
    EXPECT_STREQ(text, c.after) << c.text;
  }
}

void ExpectSoundTable(const EventTable& table) {
  ASSERT_LE(table.EventCount(), kMaxEvents);
  for (const EventEntry& entry : table.entries) {
    ASSERT_LE(strnlen(entry.DayText, kDayTextSize), kMaxDayTextLength);
  }
}

TEST(EventLines, NoInputBreaksIt) {
  std::mt19937 random(20261209);
  std::string noise(4 << 20, '\0');
  for (char& byte : noise) byte = static_cast<char>(random());
  // Random bytes, then the same bytes with many line feeds and "-2008/02"s.
  std::string lines = noise;
  for (std::size_t i = 0; i < lines.size(); i += 1 + random() % 40) lines[i] = '\n';
  for (std::size_t i = 0; i + 9 < lines.size(); i += 1 + random() % 2000) {
    lines.replace(i, 9, "\n-2008/02");
  }
  std::string longLines;
  for (int i = 0; i < 4; ++i) longLines += "18 " + std::string(100000 + i, 'x') + "\n   y\n";
  std::string million = "-2008/02\n";
  for (int i = 0; i < 1000000; ++i) {
    million += i % 4 == 0   ? "18 event\n"
               : i % 4 == 1 ? "   more text\n"
               : i % 4 == 2 ? "1x\n"
                            : ";\n";
  }
  for (const std::string* body : {&noise, &lines, &longLines, &million}) {
    EventTable table;
    TestSource source(*body);
    Console console{std::fopen("/dev/null", "w")};
    EXPECT_TRUE(ReadEventLines(source.stream(), ComputeCalendarWindow({2008, 2, 0, 6, 6, 2}), table,
                               console));
    std::fclose(console.stream);
    ExpectSoundTable(table);
    if (body == &million) {
      EXPECT_EQ(table.EventCount(), 3659);
    }
  }
}

}  // namespace
}  // namespace wekset
