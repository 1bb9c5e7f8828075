#include "base/format.h"

#include <algorithm>
#include <charconv>

namespace korvelin {

namespace {

constexpr int kWidest = 64;

// Appends `value` right-aligned in `width` columns, or `width` asterisks.
// (Built in place and appended at once: the drawings of a split request
// write millions of these.)
void appendField(std::string& line, long long value, int width) {
  if (width > kWidest) {  // wider than any number
    line.append(static_cast<std::size_t>(width - kWidest), ' ');
    width = kWidest;
  }
  char field[kWidest];
  line.append(field, static_cast<std::size_t>(putField(field, value, width) - field));
}

}  // namespace

char* putField(char* at, long long value, int width) {
  // (Fields are a few characters wide, and their numbers mostly small: plain
  // loops beat library calls.)
  const int columns = std::clamp(width, 0, kWidest);
  char* const end = at + columns;
  if (value >= 0 && value < 1000 && columns >= 3) {
    char* digit = end;
    do {
      *--digit = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value > 0);
    while (digit != at) *--digit = ' ';
    return end;
  }
  char digits[24];
  const int size = static_cast<int>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
  if (size > columns) {
    while (at != end) *at++ = '*';
    return end;
  }
  for (const char* const digitsAt = end - size; at != digitsAt;) *at++ = ' ';
  for (int i = 0; i < size; ++i) *at++ = digits[i];
  return end;
}

std::string intField(long long value, int width) {
  std::string field;
  appendField(field, value, width);
  return field;
}

std::string padded(std::string_view text, int width) {
  std::string s(text);
  if (static_cast<int>(s.size()) < width) s.append(static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

const std::string& ruler() {
  static const std::string line(66, '=');
  return line;
}

std::string printable(std::string_view text) {
  std::string safe(text);
  for (char& c : safe)
    if ((static_cast<unsigned char>(c) < 32 && c != '\t') || c == 127) c = '?';
  return safe;
}

FreeLine& FreeLine::text(std::string_view t) {
  if (afterNumber_) line_ += ' ';
  line_ += t;
  afterNumber_ = false;
  return *this;
}

FreeLine& FreeLine::num(long long value) {
  line_ += ' ';
  appendField(line_, value, 11);
  afterNumber_ = true;
  return *this;
}

FreeLine& FreeLine::name(std::string_view n) { return text(padded(printable(n), 60)); }

FixedLine& FixedLine::text(std::string_view t) {
  line_ += t;
  return *this;
}

FixedLine& FixedLine::num(long long value, int width) {
  appendField(line_, value, width);
  return *this;
}

FixedLine& FixedLine::right(std::string_view t, int width) {
  if (static_cast<int>(t.size()) < width) line_.append(static_cast<std::size_t>(width) - t.size(), ' ');
  line_ += t;
  return *this;
}

FixedLine& FixedLine::repeat(char ch, int count) {
  line_.append(static_cast<std::size_t>(count), ch);
  return *this;
}

std::vector<std::string> itemLines(std::string_view prefix, const std::vector<std::string>& items,
                                   int perLine, std::string_view separator) {
  std::vector<std::string> lines;
  std::string line(prefix);
  int onLine = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (onLine == perLine) {
      line += separator;
      lines.push_back(line);
      line.clear();
      onLine = 0;
    } else if (onLine > 0) {
      line += separator;
    }
    line += items[i];
    ++onLine;
  }
  lines.push_back(line);
  return lines;
}

FreeInteger readFreeInteger(std::string_view line, int& value) {
  const auto at = line.find_first_not_of(" \t");
  if (at == std::string_view::npos) return FreeInteger::Blank;
  auto end = line.find_first_of(" \t,/", at);
  if (end == std::string_view::npos) end = line.size();
  std::string_view token = line.substr(at, end - at);
  if (!token.empty() && token[0] == '+') token.remove_prefix(1);
  if (token.empty()) return FreeInteger::NotANumber;
  const auto [ptr, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && ptr == token.data() + token.size() ? FreeInteger::Read : FreeInteger::NotANumber;
}

std::string zoneItem(int zone, char mark) { return intField(zone, 2) + mark; }

}  // namespace korvelin
