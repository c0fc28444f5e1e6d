// Reading the source file line by line, and the small operations on a line
// that the header line and the event lines share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace wekset {

/// The run's line buffer: a line keeps at most kLineBufferSize - 1 bytes.
inline constexpr std::size_t kLineBufferSize = 25600;

/// The source file, read in blocks, and the line read last. Both readers of a
/// run take their lines from the same SourceStream, so the body continues
/// right after the header.
struct SourceStream {
  static constexpr std::size_t kBlockSize = 64 * 1024;

  explicit SourceStream(std::FILE* source) : file(source) {}

  std::FILE* file;
  bool ended = false;    // the last line ended at the end of the stream
  bool failed = false;   // a read failed: the stream ended before the file did
  std::size_t next = 0;  // index of the next unread byte in block
  std::size_t end = 0;   // number of valid bytes in block
  unsigned char block[kBlockSize];
  char line[kLineBufferSize];  // the line read last, NUL-terminated
};

enum class LineEnd { LineFeed, ByteFF, EndOfStream };

/// Reads the next line into source.line and NUL-terminates it. A read error
/// ends the stream, and sets source.failed. The line ends at a line feed, at the
/// end of the stream, or, when byteFFEndsLine, at a byte 0xFF; the byte that ends it is consumed
/// and not stored. A carriage return directly before a line feed is dropped. Bytes beyond the
/// buffer are read and dropped up to the line's end.
LineEnd ReadLine(SourceStream& source, bool byteFFEndsLine);

/// The header search's reader: 1 at a line feed, -1 at the end of the stream
/// or at a byte 0xFF.
int ReadSourceLine(SourceStream& source);

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
