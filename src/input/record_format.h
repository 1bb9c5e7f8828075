#pragma once
// The edit-descriptor format of a pattern file's line 2, such as "(22I1)"
// or "(2X,3I2)", applied to read one pattern and to echo it.
//
// Supported descriptors (upper or lower case, blanks ignored outside
// Hollerith text, commas between descriptors optional):
//   Iw, Iw.m   integer field of w columns
//   nX         skip n columns
//   Tn TLn TRn tab to column n, n columns left, n columns right
//   /          go on at the next line (record)
//   nHtext     literal text (written on output, skipped on input)
//   r(...)     repeated group, nested to any depth; rIw, rX repeat counts
// When the format holds fewer integer fields than values, it is applied again
// from the last top-level group (with its repeat count), or from the start
// when there is none, on the next line: a pattern then spans several lines.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvelin {

// Supplies the physical lines of a record sequence.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // Next line without its line end; false at end of file.
  virtual bool next(std::string& line) = 0;
};

enum class ReadStatus { Ok, EndOfFile, Error };

struct FormatNode;

class RecordFormat {
 public:
  // Null when `text` is no usable format (unbalanced parentheses, an unknown
  // descriptor, a field width of 0, ...).
  static std::unique_ptr<RecordFormat> parse(std::string_view text);
  ~RecordFormat();

  // Reads `count` integers starting on a new line. A short line reads as if
  // padded with blanks; a blank field reads as 0; blanks inside a field are
  // ignored; a leading sign is allowed. EndOfFile when a line is needed and
  // none is left; Error for a field that is not an integer, a value beyond
  // 32 bits, or a format without any integer field.
  ReadStatus read(LineSource& source, int count, std::vector<int>& values) const;

  // Writes the values as lines (records). An integer too wide for its field
  // prints as w asterisks; Iw.m pads with zeros to m digits. Output stops at
  // the first integer field or the end of the format after the last value.
  std::vector<std::string> write(const std::vector<int>& values) const;

 private:
  RecordFormat();
  std::unique_ptr<FormatNode> root_;
  // Where reversion restarts among the top-level items, and whether the
  // items from there on hold an integer field (if not, reverting cannot
  // make progress).
  std::size_t revertFrom_ = 0;
  bool revertHasInt_ = false;
};

}  // namespace korvelin
