// Reading the source file line by line, and the small operations on a line
// that the header line and the event lines share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/limits.h"

namespace wekset {

/// The source file, read in blocks, and the line read last. Both readers of a
/// run take their lines from the same SourceStream, so the body continues
/// right after the header. At about 90 KB it is best kept off small stacks.
struct SourceStream {
  static constexpr std::size_t kBlockSize = 64 * 1024;

  explicit SourceStream(std::FILE* source) : file(source) {}

  std::FILE* file;
  bool readFailed = false;  // once a read has failed, every later line says so
  std::size_t next = 0;     // index of the next unread byte in block
  std::size_t end = 0;      // number of valid bytes in block
  unsigned char block[kBlockSize];
  char line[kLineBufferSize];  // the line read last, NUL-terminated
};

/// What ended a line.
enum class LineEnd {
  kLineFeed,
  kByteFF,       // only where a byte 0xFF ends lines
  kEndOfStream,  // the line holds what followed the last line end, maybe nothing
  kReadError,    // a read failed: the line may be cut short, and nothing follows
};

/// Reads the next line into source.line and NUL-terminates it, as the header
/// search does: a line ends at a line feed, at a byte 0xFF or at the end of
/// the stream; the byte that ends it is consumed and not stored. A carriage
/// return directly before a line feed is dropped. Bytes beyond the buffer are
/// read and dropped up to the line's end.
LineEnd ReadSourceLine(SourceStream& source);

/// Reads the next line as ReadSourceLine does, but as the body is read: a
/// byte 0xFF is line data like any other.
LineEnd ReadBodyLine(SourceStream& source);

/// Blank, tab, vertical tab, form feed or carriage return: what a field may
/// begin with.
bool IsFieldSpace(char c);

/// Removes trailing blanks; tabs and other bytes stay.
void TrimTrailingSpaces(char* line);

/// The decimal value of the width bytes from index first, fewer where the
/// line ends sooner: leading white space, one optional sign, then digits.
/// A field without digits is 0.
std::int32_t FieldValue(std::string_view line, std::size_t first, std::size_t width);

}  // namespace wekset
