#include "input/record_format.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

namespace korvelin {

struct FormatNode {
  enum class Kind { Group, Int, Skip, Tab, TabLeft, TabRight, NextRecord, Literal };
  Kind kind = Kind::Group;
  int repeat = 1;   // groups, integer fields and "/"
  int size = 0;     // field width, columns to move, or tab column
  int digits = -1;  // m of Iw.m, -1 without it
  std::string text;
  std::vector<FormatNode> items;
  bool hasInt = false;
  // Columns and steps one pass over the node may take; bounds the work of a
  // pass so that a format like "(9999(9999(9999X)))" is refused up front.
  std::int64_t cost = 0;
};

namespace {

using Kind = FormatNode::Kind;

// Largest number accepted in a format and largest cost of one pass.
constexpr std::int64_t kLimit = std::int64_t{1} << 24;
// Deeper nesting than any real format; keeps the parser's recursion bounded.
constexpr int kMaxDepth = 200;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  bool parse(FormatNode& root) {
    skipBlanks();
    if (i_ >= s_.size() || s_[i_] != '(') return false;
    ++i_;
    // Whatever follows the closing parenthesis is ignored.
    return list(root, 0) && finish(root);
  }

 private:
  void skipBlanks() {
    while (i_ < s_.size() && isBlank(s_[i_])) ++i_;
  }

  // A number whose digits may be separated by blanks, as blanks are
  // insignificant in a format. Empty when there are no digits.
  std::optional<int> number() {
    skipBlanks();
    if (i_ >= s_.size() || s_[i_] < '0' || s_[i_] > '9') return std::nullopt;
    std::int64_t v = 0;
    for (;;) {
      v = v * 10 + (s_[i_] - '0');
      if (v > kLimit) {
        tooBig_ = true;
        v = kLimit;
      }
      ++i_;
      skipBlanks();
      if (i_ >= s_.size() || s_[i_] < '0' || s_[i_] > '9') break;
    }
    return static_cast<int>(v);
  }

  // Items up to and including the group's closing parenthesis.
  bool list(FormatNode& group, int depth) {
    if (depth > kMaxDepth) return false;
    for (;;) {
      skipBlanks();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == ')') {
        ++i_;
        return true;
      }
      if (s_[i_] == ',') {
        ++i_;
        continue;
      }
      FormatNode item;
      if (!this->item(item, depth)) return false;
      group.items.push_back(std::move(item));
    }
  }

  bool item(FormatNode& node, int depth) {
    const std::optional<int> count = number();
    if (tooBig_ || i_ >= s_.size()) return false;
    const char c = upper(s_[i_]);
    if (count && *count == 0) return false;
    const int n = count.value_or(1);
    if (c != '\'' && c != '"') ++i_;
    switch (c) {
      case '(':
        node.kind = Kind::Group;
        node.repeat = n;
        return list(node, depth + 1) && finish(node);
      case 'I': {
        node.kind = Kind::Int;
        node.repeat = n;
        const std::optional<int> w = number();
        if (!w || *w == 0) return false;
        node.size = *w;
        skipBlanks();
        if (i_ < s_.size() && s_[i_] == '.') {
          ++i_;
          const std::optional<int> m = number();
          if (!m) return false;
          node.digits = *m;
        }
        break;
      }
      case 'X':
        node.kind = Kind::Skip;
        node.size = n;
        break;
      case '/':
        node.kind = Kind::NextRecord;
        node.repeat = n;
        break;
      case 'H':
        if (!count || s_.size() - i_ < static_cast<std::size_t>(n)) return false;
        node.kind = Kind::Literal;
        node.text = std::string(s_.substr(i_, static_cast<std::size_t>(n)));
        i_ += static_cast<std::size_t>(n);
        break;
      case 'T': {
        if (count) return false;
        skipBlanks();
        node.kind = Kind::Tab;
        if (i_ < s_.size() && (upper(s_[i_]) == 'L' || upper(s_[i_]) == 'R')) {
          node.kind = upper(s_[i_]) == 'L' ? Kind::TabLeft : Kind::TabRight;
          ++i_;
        }
        const std::optional<int> to = number();
        if (!to || *to == 0) return false;
        node.size = *to;
        break;
      }
      case '\'':
      case '"':
        if (count) return false;
        node.kind = Kind::Literal;
        return quoted(node.text) && finish(node);
      default:
        return false;
    }
    return !tooBig_ && finish(node);
  }

  // Text between quotes, a doubled quote standing for one.
  bool quoted(std::string& text) {
    const char q = s_[i_++];
    for (;;) {
      if (i_ >= s_.size()) return false;
      if (s_[i_] == q) {
        if (i_ + 1 < s_.size() && s_[i_ + 1] == q) {
          text += q;
          i_ += 2;
          continue;
        }
        ++i_;
        return true;
      }
      text += s_[i_++];
    }
  }

  // Sets the derived fields once the node is complete.
  static bool finish(FormatNode& node) {
    std::int64_t one = 1;
    switch (node.kind) {
      case Kind::Group:
        one = 0;
        for (const FormatNode& item : node.items) {
          node.hasInt = node.hasInt || item.hasInt;
          one = std::min(one + item.cost, kLimit + 1);
        }
        one = std::max<std::int64_t>(one, 1);
        break;
      case Kind::Int:
        node.hasInt = true;
        one = node.size;
        break;
      case Kind::Skip:
      case Kind::Tab:
      case Kind::TabRight:
        one = node.size;
        break;
      case Kind::Literal:
        one = std::max<std::int64_t>(static_cast<std::int64_t>(node.text.size()), 1);
        break;
      case Kind::TabLeft:
      case Kind::NextRecord:
        break;
    }
    node.cost = std::min(one * node.repeat, kLimit + 1);
    return node.cost <= kLimit;
  }

  std::string_view s_;
  std::size_t i_ = 0;
  bool tooBig_ = false;
};

enum class Flow { Continue, Stop };

template <class Handler>
Flow walk(const std::vector<FormatNode>& items, std::size_t from, Handler& h) {
  for (std::size_t k = from; k < items.size(); ++k) {
    const FormatNode& item = items[k];
    for (int r = 0; r < item.repeat; ++r) {
      const Flow f = item.kind == Kind::Group ? walk(item.items, 0, h) : h.step(item);
      if (f == Flow::Stop) return Flow::Stop;
    }
  }
  return Flow::Continue;
}

// Column after a move by a non-data descriptor; nullopt for other kinds.
std::optional<std::size_t> moved(const FormatNode& node, std::size_t pos) {
  const auto n = static_cast<std::size_t>(node.size);
  switch (node.kind) {
    case Kind::Skip:
    case Kind::TabRight:
      return pos + n;
    case Kind::Tab:
      return n - 1;
    case Kind::TabLeft:
      return pos > n ? pos - n : 0;
    default:
      return std::nullopt;
  }
}

class Reader {
 public:
  Reader(LineSource& source, std::size_t count, std::vector<int>& values)
      : source_(source), count_(count), values_(values) {}

  ReadStatus status = ReadStatus::Ok;

  Flow step(const FormatNode& node) {
    if (node.kind == Kind::Int) {
      int v = 0;
      if (!field(static_cast<std::size_t>(node.size), v)) {
        status = ReadStatus::Error;
        return Flow::Stop;
      }
      values_.push_back(v);
      // The rest of the record is not looked at once the values are in.
      return wantsMore() ? Flow::Continue : Flow::Stop;
    }
    if (node.kind == Kind::NextRecord) return nextRecord() ? Flow::Continue : Flow::Stop;
    if (node.kind == Kind::Literal) {
      pos_ += node.text.size();
    } else if (const auto to = moved(node, pos_)) {
      pos_ = *to;
    }
    return Flow::Continue;
  }

  bool wantsMore() const { return values_.size() < count_; }
  void noIntField() { status = ReadStatus::Error; }

  bool nextRecord() {
    if (!source_.next(line_)) {
      status = ReadStatus::EndOfFile;
      return false;
    }
    pos_ = 0;
    return true;
  }

 private:
  // Columns past the end of the line read as blanks, and blanks count for
  // nothing, so a short or blank field reads as 0.
  bool field(std::size_t width, int& out) {
    bool negative = false, sign = false, digit = false;
    std::int64_t v = 0;
    for (std::size_t k = 0; k < width; ++k) {
      const std::size_t at = pos_ + k;
      const char c = at < line_.size() ? line_[at] : ' ';
      if (c == ' ') continue;
      if (c == '+' || c == '-') {
        if (sign || digit) return false;
        sign = true;
        negative = c == '-';
        continue;
      }
      if (c < '0' || c > '9') return false;
      digit = true;
      v = v * 10 + (c - '0');
      if (v > std::int64_t{std::numeric_limits<int>::max()} + 1) return false;
    }
    pos_ += width;
    if (sign && !digit) return false;
    if (negative) v = -v;
    if (v > std::numeric_limits<int>::max()) return false;
    out = static_cast<int>(v);
    return true;
  }

  LineSource& source_;
  std::size_t count_;
  std::vector<int>& values_;
  std::string line_;
  std::size_t pos_ = 0;
};

// Iw.m: at least m digits, and no digits at all for 0 with m = 0.
std::string intText(int value, int width, int digits) {
  const std::int64_t v = value;
  std::string body = std::to_string(v < 0 ? -v : v);
  if (digits >= 0) {
    if (v == 0 && digits == 0) body.clear();
    if (body.size() < static_cast<std::size_t>(digits))
      body.insert(0, static_cast<std::size_t>(digits) - body.size(), '0');
  }
  if (v < 0) body.insert(0, 1, '-');
  const auto w = static_cast<std::size_t>(width);
  if (body.size() > w) return std::string(w, '*');
  return std::string(w - body.size(), ' ') + body;
}

class Writer {
 public:
  explicit Writer(const std::vector<int>& values) : values_(values) {}

  Flow step(const FormatNode& node) {
    switch (node.kind) {
      case Kind::Int:
        // Output ends at the first integer field that has no value left.
        if (next_ == values_.size()) return Flow::Stop;
        put(intText(values_[next_++], node.size, node.digits));
        break;
      case Kind::Literal:
        put(node.text);
        break;
      case Kind::NextRecord:
        nextRecord();
        break;
      default:
        if (const auto to = moved(node, pos_)) pos_ = *to;
        break;
    }
    return Flow::Continue;
  }

  bool wantsMore() const { return next_ < values_.size(); }
  void noIntField() {}

  bool nextRecord() {
    lines_.push_back(std::move(record_));
    record_.clear();
    pos_ = 0;
    return true;
  }

  std::vector<std::string> finish() {
    nextRecord();
    return std::move(lines_);
  }

 private:
  // Skipped columns turn into blanks only when text lands beyond them;
  // text written after a left tab overwrites what is there.
  void put(const std::string& text) {
    if (record_.size() < pos_) record_.resize(pos_, ' ');
    record_.replace(pos_, std::min(text.size(), record_.size() - pos_), text);
    pos_ += text.size();
  }

  const std::vector<int>& values_;
  std::size_t next_ = 0;
  std::vector<std::string> lines_;
  std::string record_;
  std::size_t pos_ = 0;
};

// Applies the format until the handler stops it or has all it wants,
// reverting to the last top-level group on a new record as needed.
template <class Handler>
void drive(const FormatNode& root, std::size_t revertFrom, bool revertHasInt, Handler& h) {
  std::size_t from = 0;
  for (;;) {
    if (walk(root.items, from, h) == Flow::Stop || !h.wantsMore()) return;
    if (!revertHasInt) {
      h.noIntField();
      return;
    }
    if (!h.nextRecord()) return;
    from = revertFrom;
  }
}

}  // namespace

RecordFormat::RecordFormat() = default;
RecordFormat::~RecordFormat() = default;

std::unique_ptr<RecordFormat> RecordFormat::parse(std::string_view text) {
  auto root = std::make_unique<FormatNode>();
  if (!Parser(text).parse(*root)) return nullptr;
  std::unique_ptr<RecordFormat> format(new RecordFormat);
  const auto& items = root->items;
  for (std::size_t k = items.size(); k-- > 0;) {
    if (items[k].kind == Kind::Group) {
      format->revertFrom_ = k;
      break;
    }
  }
  format->revertHasInt_ = std::any_of(items.begin() + static_cast<std::ptrdiff_t>(format->revertFrom_),
                                      items.end(), [](const FormatNode& n) { return n.hasInt; });
  format->root_ = std::move(root);
  return format;
}

ReadStatus RecordFormat::read(LineSource& source, int count, std::vector<int>& values) const {
  values.clear();
  if (count < 0) return ReadStatus::Error;
  // A format without any integer field can never read a pattern; say so
  // at once rather than after it has used up lines (a format of "/" only).
  if (count > 0 && !revertHasInt_ && !std::any_of(root_->items.begin(), root_->items.end(),
                                                  [](const FormatNode& n) { return n.hasInt; }))
    return ReadStatus::Error;
  Reader reader(source, static_cast<std::size_t>(count), values);
  if (!reader.nextRecord()) return reader.status;
  if (count > 0) drive(*root_, revertFrom_, revertHasInt_, reader);
  return reader.status;
}

std::vector<std::string> RecordFormat::write(const std::vector<int>& values) const {
  Writer writer(values);
  drive(*root_, revertFrom_, revertHasInt_, writer);
  return writer.finish();
}

}  // namespace korvelin
