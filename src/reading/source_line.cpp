// The line reader scans whole blocks with memchr rather than byte by byte: a
// body of hundreds of megabytes is read at close to the speed of the disk.
#include "reading/source_line.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace wekset {

namespace {

constexpr std::size_t kMaxLineLength = kLineBufferSize - 1;

bool Refill(SourceStream& source) {
  source.next = 0;
  source.end = 0;
  if (source.readFailed) return false;
  source.end = std::fread(source.block, 1, SourceStream::kBlockSize, source.file);
  if (std::ferror(source.file) != 0) source.readFailed = true;
  return source.end > 0;
}

LineEnd ReadLine(SourceStream& source, bool byteFFEndsLine) {
  char* const line = source.line;
  std::size_t length = 0;  // bytes of the line so far, kept or dropped
  bool endsInReturn = false;
  for (;;) {
    if (source.next == source.end && !Refill(source)) {
      line[std::min(length, kMaxLineLength)] = '\0';
      return source.readFailed ? LineEnd::kReadError : LineEnd::kEndOfStream;
    }
    const unsigned char* begin = source.block + source.next;
    std::size_t count = source.end - source.next;
    const void* stop = std::memchr(begin, '\n', count);
    LineEnd end = LineEnd::kLineFeed;
    if (stop != nullptr) count = static_cast<const unsigned char*>(stop) - begin;
    if (byteFFEndsLine) {
      if (const void* ff = std::memchr(begin, 0xFF, count)) {
        stop = ff;
        count = static_cast<const unsigned char*>(ff) - begin;
        end = LineEnd::kByteFF;
      }
    }

    if (length < kMaxLineLength) {
      std::memcpy(line + length, begin, std::min(count, kMaxLineLength - length));
    }
    length += count;
    if (count > 0) endsInReturn = begin[count - 1] == '\r';
    source.next += count;

    if (stop != nullptr) {
      ++source.next;
      if (end == LineEnd::kLineFeed && endsInReturn) --length;
      line[std::min(length, kMaxLineLength)] = '\0';
      return end;
    }
  }
}

}  // namespace

LineEnd ReadSourceLine(SourceStream& source) { return ReadLine(source, true); }

LineEnd ReadBodyLine(SourceStream& source) { return ReadLine(source, false); }

bool IsFieldSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }

void TrimTrailingSpaces(char* line) {
  std::size_t length = std::strlen(line);
  while (length > 0 && line[length - 1] == ' ') line[--length] = '\0';
}

std::int32_t FieldValue(std::string_view line, std::size_t first, std::size_t width) {
  const std::string_view field = first < line.size() ? line.substr(first, width) : "";
  std::size_t i = 0;
  while (i < field.size() && IsFieldSpace(field[i])) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative = field[i++] == '-';
  std::int64_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = std::min<std::int64_t>(value * 10 + (field[i] - '0'), INT32_MAX);
  }
  return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace wekset
