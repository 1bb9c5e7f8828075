#include "input/table_file.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <map>
#include <new>

namespace korvelin {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Longer cell texts are cut in messages.
constexpr std::size_t kShownText = 30;

bool endsWithNoCase(std::string_view name, std::string_view ending) {
  if (name.size() < ending.size()) return false;
  return std::equal(ending.begin(), ending.end(), name.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char a, char b) { return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b); });
}

// The text with LF line ends only: CR LF and a CR alone each become LF. A
// CR inside quotes is part of a cell and stays.
std::string withLineFeeds(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '"') quoted = !quoted;
    if (text[i] != '\r' || quoted) {
      out += text[i];
    } else if (i + 1 == text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

// The delimiter the header row (the text up to the first line end outside
// quotes) holds most often; a tie goes to tab, then semicolon.
char detectDelimiter(std::string_view text) {
  constexpr std::array<char, 3> kCandidates = {'\t', ';', ','};
  std::array<int, 3> counts{};
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n') break;
    for (std::size_t k = 0; k < kCandidates.size(); ++k)
      if (c == kCandidates[k]) ++counts[k];
  }
  std::size_t best = 2;
  for (std::size_t k = 0; k < kCandidates.size(); ++k)
    if (counts[k] > counts[best] || (counts[k] == counts[best] && k < best)) best = k;
  return kCandidates[best];
}

// What the parser hands over: the rows (cells as text) up to the end or up
// to a quoting fault, and where that fault stands.
struct Rows {
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> cells;  // of the row being read
  bool fault = false;
  bool unclosed = false;  // the fault is a quoted cell still open at the end
  // No exception may pass through the C parser: memory running out in a
  // callback is noted here and thrown once the parser is done.
  bool outOfMemory = false;
};

void onCell(void* text, std::size_t size, void* data) {
  auto& rows = *static_cast<Rows*>(data);
  try {
    if (size == 0)
      rows.cells.emplace_back();
    else
      rows.cells.emplace_back(static_cast<const char*>(text), size);
  } catch (const std::bad_alloc&) {
    rows.outOfMemory = true;
  }
}

void onRowEnd(int, void* data) {
  auto& rows = *static_cast<Rows*>(data);
  try {
    rows.rows.push_back(std::move(rows.cells));
  } catch (const std::bad_alloc&) {
    rows.outOfMemory = true;
  }
  rows.cells.clear();
}

// Only blanks are trimmed around an unquoted cell: a tab may be the
// delimiter.
int isBlank(unsigned char c) { return c == ' ' ? 1 : 0; }

// Splits the text into rows with libcsv: strict quoting (a quote inside an
// unquoted cell, text after a closing quote and a quote never closed are
// faults), and every line end outside quotes ends a row, so that an empty
// line is an (empty) row and the row numbers stay right.
Rows parseRows(std::string_view text, char delimiter) {
  Rows rows;
  csv_parser parser;
  if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI | CSV_REPALL_NL) != 0) throw std::bad_alloc();
  csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
  csv_set_space_func(&parser, isBlank);
  const std::size_t used = csv_parse(&parser, text.data(), text.size(), onCell, onRowEnd, &rows);
  if (used != text.size()) {
    const int error = csv_error(&parser);
    csv_free(&parser);
    if (error != CSV_EPARSE || rows.outOfMemory) throw std::bad_alloc();
    rows.fault = true;
    return rows;
  }
  if (csv_fini(&parser, onCell, onRowEnd, &rows) != 0) {
    rows.fault = true;
    rows.unclosed = true;
  }
  csv_free(&parser);
  if (rows.outOfMemory) throw std::bad_alloc();
  return rows;
}

// A text as a message shows it: in quotes, line breaks and other control
// characters as blanks, cut when long.
std::string shown(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, kShownText)) out += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  if (text.size() > kShownText) out += "...";
  return "\"" + out + "\"";
}

bool allEmpty(const std::vector<std::string>& cells) {
  return std::all_of(cells.begin(), cells.end(), [](const std::string& c) { return c.empty(); });
}

class Messages {
 public:
  Messages(std::string_view file, const std::vector<std::string>& header) : file_(file), header_(header) {}

  // "** FILE row R, column C "LABEL": what"; the label when the header has
  // one for that column.
  std::string at(int row, std::size_t column, const std::string& what) const {
    std::string text = "** " + file_ + " row " + std::to_string(row) + ", column " + std::to_string(column + 1);
    if (column < header_.size() && !header_[column].empty()) text += " " + shown(header_[column]);
    return text + ": " + what;
  }
  std::string whole(const std::string& what) const { return "** " + file_ + " " + what; }

 private:
  std::string file_;
  const std::vector<std::string>& header_;
};

const std::string kScoreRule = "score 1 (band) or 0 (no band)";

// The first fault of a data row, or empty.
std::string checkRow(const Messages& say, int row, const std::vector<std::string>& cells, std::size_t width,
                     std::map<std::string, int>& names, std::vector<int>& scores) {
  const auto count = [&] {
    return " (the row has " + std::to_string(cells.size()) + " cells, the header " + std::to_string(width) + ")";
  };
  if (cells[0].empty()) return say.at(row, 0, "the sample name is empty");
  const auto [known, added] = names.emplace(cells[0], row);
  if (!added) return say.at(row, 0, shown(cells[0]) + " is already the name of row " + std::to_string(known->second));
  scores.clear();
  for (std::size_t c = 1; c < width; ++c) {
    if (c >= cells.size()) return say.at(row, c, "the cell is missing" + count());
    if (cells[c] == "1" || cells[c] == "0") {
      scores.push_back(cells[c][0] - '0');
    } else if (cells[c].empty()) {
      return say.at(row, c, "the cell is empty; " + kScoreRule);
    } else {
      return say.at(row, c, shown(cells[c]) + " is no score; " + kScoreRule);
    }
  }
  if (cells.size() > width) return say.at(row, width, shown(cells[width]) + " stands beyond the header" + count());
  return {};
}

}  // namespace

bool isTableFileName(std::string_view name) { return endsWithNoCase(name, ".csv") || endsWithNoCase(name, ".tsv"); }

ScoreTable readTable(std::string_view fileName, std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  const std::string lines = withLineFeeds(text);
  Rows parsed = parseRows(lines, detectDelimiter(lines));

  ScoreTable table;
  const std::vector<std::string> noHeader;
  const std::vector<std::string>& header = parsed.rows.empty() ? noHeader : parsed.rows.front();
  const Messages say(fileName, header);
  if (!parsed.rows.empty()) {
    table.hasHeader = true;
    table.sampleLabel = header.empty() ? std::string() : header.front();
    if (header.size() > 1) table.labels.assign(header.begin() + 1, header.end());
  }

  std::map<std::string, int> names;
  for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
    const auto& cells = parsed.rows[r];
    const int row = static_cast<int>(r) + 1;
    if (allEmpty(cells) || cells.front().starts_with('#')) continue;
    ScoreRow data{row, cells.front(), {}};
    table.error = checkRow(say, row, cells, std::max<std::size_t>(header.size(), 1), names, data.scores);
    if (!table.error.empty()) return table;
    table.rows.push_back(std::move(data));
  }

  if (parsed.fault) {
    const int row = static_cast<int>(parsed.rows.size()) + 1;
    const std::size_t column = parsed.cells.size();
    table.error = parsed.unclosed ? say.at(row, column, "a quoted cell is never closed")
                                  : say.at(row, column,
                                           "a quote breaks the CSV rules (a cell that holds a quote is quoted "
                                           "whole, and its quotes are doubled)");
  } else if (parsed.rows.empty()) {
    table.error = say.whole("is empty; its first row must be the header");
  } else if (table.rows.empty()) {
    table.error = say.whole("has no data rows below its header");
  }
  return table;
}

}  // namespace korvelin
