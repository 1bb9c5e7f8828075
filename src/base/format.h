#pragma once
// The two kinds of report line. A free-form line starts with one blank;
// integers take one blank and 11 right-aligned columns, and a text item
// after an integer gets one blank before it. A fixed-layout line is written
// exactly as built. Any integer too wide for its field prints as asterisks.

#include <string>
#include <string_view>
#include <vector>

namespace korvelin {

// `value` right-aligned in `width` columns, or `width` asterisks.
std::string intField(long long value, int width);
// The same field written at `at` (`width` at most 64); returns its end.
char* putField(char* at, long long value, int width);

// `text` padded with blanks to at least `width` characters.
std::string padded(std::string_view text, int width);

const std::string& ruler();

// Text typed or read from a file, safe to echo to a terminal: control
// characters (below 32 other than tab, and 127) show as "?".
std::string printable(std::string_view text);

class FreeLine {
 public:
  FreeLine& text(std::string_view t);
  FreeLine& num(long long value);
  // A name field of 60 characters, written whole and printable.
  FreeLine& name(std::string_view n);
  const std::string& str() const { return line_; }
  operator std::string() const { return line_; }

 private:
  std::string line_ = " ";
  bool afterNumber_ = false;
};

class FixedLine {
 public:
  FixedLine& text(std::string_view t);
  FixedLine& num(long long value, int width);
  // `t` right-aligned in `width` columns (written whole when wider).
  FixedLine& right(std::string_view t, int width);
  FixedLine& repeat(char ch, int count);
  const std::string& str() const { return line_; }
  operator std::string() const { return line_; }

 private:
  std::string line_;
};

// Items joined by `separator`, at most `perLine` items on a line; a line
// that is continued ends with the separator. The first line starts with
// `prefix`, continuation lines start with nothing.
std::vector<std::string> itemLines(std::string_view prefix, const std::vector<std::string>& items,
                                   int perLine, std::string_view separator);

// Reads the first item of a free-form line as an integer (blanks around it,
// a comma or slash after it, and the rest of the line are ignored).
enum class FreeInteger { Read, Blank, NotANumber };
FreeInteger readFreeInteger(std::string_view line, int& value);

// An Ezone as an item of an Ezone list: its number in 2 columns and its mark.
std::string zoneItem(int zone, char mark);

}  // namespace korvelin
