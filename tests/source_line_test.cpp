// Reading source lines: line ends, 0xFF, carriage returns, long lines, fields.
#include "reading/source_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"

namespace wekset {

void PrintTo(LineEnd end, std::ostream* out) {
  constexpr const char* kNames[] = {"line feed", "0xFF", "end of stream", "read error"};
  *out << kNames[static_cast<int>(end)];
}

namespace {

using Lines = std::vector<std::pair<std::string, LineEnd>>;

Lines ReadSourceLines(std::string_view bytes, int count) {
  TestSource source(bytes);
  Lines lines;
  for (int i = 0; i < count; ++i) {
    const LineEnd end = ReadSourceLine(source.stream());
    lines.emplace_back(source.stream().line, end);
  }
  return lines;
}

constexpr LineEnd kLF = LineEnd::kLineFeed;
constexpr LineEnd kFF = LineEnd::kByteFF;
constexpr LineEnd kEnd = LineEnd::kEndOfStream;

TEST(ReadSourceLine, EndsLinesAtLineFeedsEndOfStreamAndByteFF) {
  EXPECT_EQ(ReadSourceLines("abc\ndef", 4),
            (Lines{{"abc", kLF}, {"def", kEnd}, {"", kEnd}, {"", kEnd}}));
  EXPECT_EQ(ReadSourceLines("ab\xFF"
                            "cd\n\n",
                            3),
            (Lines{{"ab", kFF}, {"cd", kLF}, {"", kLF}}));
  EXPECT_EQ(ReadSourceLines("", 2), (Lines{{"", kEnd}, {"", kEnd}}));
  // Only a carriage return directly before a line feed is dropped.
  EXPECT_EQ(ReadSourceLines("ab\r\ncd\r\r\ne\rf\r\n\r", 4),
            (Lines{{"ab", kLF}, {"cd\r", kLF}, {"e\rf", kLF}, {"\r", kEnd}}));
  EXPECT_EQ(ReadSourceLines("a\r\xFF"
                            "b\n",
                            2),
            (Lines{{"a\r", kFF}, {"b", kLF}}));
}

TEST(ReadSourceLine, NulEndsTheLineForLaterSteps) {
  const Lines lines = ReadSourceLines(std::string("ab\0cd\nef\n", 9), 2);
  EXPECT_EQ(lines, (Lines{{"ab", kLF}, {"ef", kLF}}));
}

TEST(ReadSourceLine, CarriageReturnAndLineFeedInDifferentBlocks) {
  // The first line fills the first block but for "a\r"; the "\n" opens the next.
  std::string bytes(SourceStream::kBlockSize - 3, 'x');
  bytes += "\na\r\nb\n";
  const Lines lines = ReadSourceLines(bytes, 3);
  EXPECT_EQ(lines[1], (std::pair<std::string, LineEnd>{"a", kLF}));
  EXPECT_EQ(lines[2], (std::pair<std::string, LineEnd>{"b", kLF}));
}

TEST(ReadSourceLine, KeepsTheFirst25599BytesOfALongLineAndDropsTheRest) {
  const std::size_t kept = kLineBufferSize - 1;
  struct Case {
    std::string bytes;
    std::size_t length;
  };
  const Case cases[] = {
      {std::string(kept, 'a') + "\nnext\n", kept},
      {std::string(kept + 1, 'a') + "\nnext\n", kept},
      {std::string(3 * SourceStream::kBlockSize, 'a') + "\nnext\n", kept},
      {std::string(kept, 'a') + "\r\nnext\n", kept},
      {std::string(kept - 1, 'a') + "\r\nnext\n", kept - 1},
      {std::string(kept + 5, 'a') + "\xFFnext\n", kept},
  };
  for (const Case& c : cases) {
    const Lines lines = ReadSourceLines(c.bytes, 2);
    EXPECT_EQ(lines[0].first, std::string(c.length, 'a')) << c.bytes.size();
    EXPECT_EQ(lines[1], (std::pair<std::string, LineEnd>{"next", kLF})) << c.bytes.size();
  }
}

TEST(ReadBodyLine, KeepsByteFFAndTellsTheEndOfTheStream) {
  TestSource source(
      "a\xFF"
      "b\r\nlast");
  EXPECT_EQ(ReadBodyLine(source.stream()), kLF);
  EXPECT_STREQ(source.stream().line,
               "a\xFF"
               "b");
  EXPECT_EQ(ReadBodyLine(source.stream()), kEnd);
  EXPECT_STREQ(source.stream().line, "last");
}

TEST(TrimTrailingSpaces, RemovesTrailingBlanksOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"2008/02   ", "2008/02"}, {"2008/02\t", "2008/02\t"}, {"   ", ""},      {"", ""},
      {" a b ", " a b"},         {"a \r", "a \r"},           {"a\t  ", "a\t"},
  };
  for (auto [input, trimmed] : cases) {
    char line[16];
    std::strcpy(line, input);
    TrimTrailingSpaces(line);
    EXPECT_STREQ(line, trimmed) << '"' << input << '"';
  }
}

TEST(FieldValue, ReadsDecimalFieldsByPosition) {
  struct Case {
    const char* line;
    std::size_t first, width;
    std::int32_t value;
  };
  const Case cases[] = {
      {" 6", 0, 2, 6},
      {"6x", 0, 2, 6},
      {"-3", 0, 2, -3},
      {"x6", 0, 2, 0},
      {"", 0, 2, 0},
      {"+7", 0, 2, 7},
      {"\t9", 0, 2, 9},
      {"- 5", 0, 3, 0},
      {"2007/12/13", 8, 2, 13},
      {"2007/12/1", 8, 2, 1},
      {"2007/12", 8, 2, 0},
      {"12345", 0, 4, 1234},
      {"\v\f\r 4", 0, 5, 4},
      {"99999999999", 0, 11, 2147483647},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FieldValue(c.line, c.first, c.width), c.value) << '"' << c.line << '"';
  }
}

}  // namespace
}  // namespace wekset
