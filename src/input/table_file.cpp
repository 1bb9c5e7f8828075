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

// Cells that say "not scored".
bool isUnscored(std::string_view cell) {
  return cell.empty() || cell == "?" || cell == "-" || ((cell.size() == 2) && (cell[0] == 'N' || cell[0] == 'n') &&
                                                        (cell[1] == 'A' || cell[1] == 'a'));
}

bool sameNoCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

enum class Column { Name, Population, Ignored, Ezone };

// The columns a user's COLUMN names: those whose label it is (any case), or
// else the column of that number.
std::vector<std::size_t> columnsNamed(const std::vector<std::string>& header, std::string_view wanted) {
  std::vector<std::size_t> found;
  for (std::size_t c = 0; c < header.size(); ++c)
    if (sameNoCase(header[c], wanted)) found.push_back(c);
  if (!found.empty() || wanted.empty() || wanted.size() > 4) return found;
  if (!std::all_of(wanted.begin(), wanted.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) return found;
  const std::size_t number = static_cast<std::size_t>(std::stoi(std::string(wanted)));
  if (number >= 1 && number <= header.size()) found.push_back(number - 1);
  return found;
}

// "column 3 "Site"", as messages name a column.
std::string columnName(const std::vector<std::string>& header, std::size_t c) {
  std::string text = "column " + std::to_string(c + 1);
  if (c < header.size() && !header[c].empty()) text += " " + shown(header[c]);
  return text;
}

// How a column is named on the command line: by its label, or by its number
// when it has none.
std::string optionValue(const std::vector<std::string>& header, std::size_t c) {
  if (c < header.size() && !header[c].empty() && header[c].find('"') == std::string::npos)
    return "\"" + header[c] + "\"";
  return std::to_string(c + 1);
}

// What each column of the header is; the first fault, or empty.
std::string classify(const Messages& say, const std::vector<std::string>& header, const TableColumns& wanted,
                     std::vector<Column>& kinds) {
  kinds.assign(header.size(), Column::Ezone);
  if (!kinds.empty()) kinds[0] = Column::Name;
  for (const std::string& ignore : wanted.ignore) {
    const auto found = columnsNamed(header, ignore);
    if (found.empty()) return say.whole("has no column " + shown(ignore) + " to leave out (--ignore)");
    for (std::size_t c : found) {
      if (c == 0) return say.whole(columnName(header, 0) + " holds the sample names; it cannot be left out");
      kinds[c] = Column::Ignored;
    }
  }
  std::vector<std::size_t> population;
  if (!wanted.population.empty()) {
    population = columnsNamed(header, wanted.population);
    if (population.empty())
      return say.whole("has no column " + shown(wanted.population) + " for the population (--population)");
    if (population.size() > 1)
      return say.whole("has " + std::to_string(population.size()) + " columns " + shown(wanted.population) +
                       ": name the population column by its number");
  } else {
    for (std::size_t c = 1; c < header.size(); ++c)
      if (kinds[c] == Column::Ezone &&
          (sameNoCase(header[c], "population") || sameNoCase(header[c], "pop") || sameNoCase(header[c], "site")))
        population.push_back(c);
    if (population.size() > 1)
      return say.whole("has more than one population column, " + columnName(header, population[0]) + " and " +
                       columnName(header, population[1]) + ": name one with --population, and leave the other " +
                       "out with --ignore");
  }
  if (population.empty()) return {};
  const std::size_t c = population.front();
  if (c == 0) return say.whole(columnName(header, 0) + " holds the sample names, not the population");
  if (kinds[c] == Column::Ignored)
    return say.whole(columnName(header, c) + " is named by both --population and --ignore");
  kinds[c] = Column::Population;
  return {};
}

// The first fault of a data row, or empty.
std::string checkRow(const Messages& say, const std::vector<std::string>& header, const std::vector<Column>& kinds,
                     const std::vector<std::string>& cells, std::map<std::string, int>& names, ScoreRow& data) {
  const std::size_t width = std::max<std::size_t>(kinds.size(), 1);
  const auto count = [&] {
    return " (the row has " + std::to_string(cells.size()) + " cells, the header " + std::to_string(width) + ")";
  };
  if (cells[0].empty()) return say.at(data.row, 0, "the sample name is empty");
  const auto [known, added] = names.emplace(cells[0], data.row);
  if (!added)
    return say.at(data.row, 0, shown(cells[0]) + " is already the name of row " + std::to_string(known->second));
  for (std::size_t c = 1; c < width; ++c) {
    // A row may end before the columns left out (a notes column kept empty).
    if (c >= cells.size() && kinds[c] == Column::Ignored) continue;
    if (c >= cells.size()) return say.at(data.row, c, "the cell is missing" + count());
    const std::string& cell = cells[c];
    switch (kinds[c]) {
      case Column::Name:
      case Column::Ignored:
        break;
      case Column::Population:
        if (cell.empty()) return say.at(data.row, c, "the population is empty");
        data.population = cell;
        break;
      case Column::Ezone:
        if (cell == "1" || cell == "0") {
          data.scores.push_back(cell[0] - '0');
        } else if (isUnscored(cell)) {
          data.scores.push_back(kUnscored);
        } else {
          return say.at(data.row, c,
                        shown(cell) + " is no score; " + kScoreRule + ", or leave the column out with --ignore " +
                            optionValue(header, c));
        }
        break;
    }
  }
  if (cells.size() > width)
    return say.at(data.row, width, shown(cells[width]) + " stands beyond the header" + count());
  return {};
}

// Windows-1252 0x80..0x9F; the five bytes it leaves free stand for the C1
// controls of the same number, as in every common decoder.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
    return;
  }
  if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
  }
  out += static_cast<char>(0x80 | (code & 0x3F));
}

// A UTF-16 text after its byte-order mark (Excel's "Unicode Text") in
// UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(std::string_view text, bool littleEndian) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(text[i + 1]);
    return littleEndian ? a | (b << 8u) : (a << 8u) | b;
  };
  for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
    unsigned code = unit(i);
    if (code >= 0xD800 && code <= 0xDBFF && i + 3 < text.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code <= 0xDFFF) {
      code = 0xFFFD;
    }
    appendUtf8(out, code);
  }
  return out;
}

}  // namespace

bool ScoreRow::scoredWhole() const {
  return std::none_of(scores.begin(), scores.end(), [](int v) { return v == kUnscored; });
}

bool isValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    std::size_t more = 0;
    unsigned min = 0, code = 0;
    if (c >= 0xC2 && c <= 0xDF) {
      more = 1, min = 0x80, code = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
      more = 2, min = 0x800, code = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
      more = 3, min = 0x10000, code = c & 0x07u;
    } else {
      return false;
    }
    if (i + more >= text.size()) return false;
    for (std::size_t k = 1; k <= more; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0u) != 0x80u) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += more + 1;
  }
  return true;
}

std::string windows1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out += ch;
      continue;
    }
    appendUtf8(out, c < 0xA0 ? kWindows1252High[c - 0x80u] : c);
  }
  return out;
}

bool isTableFileName(std::string_view name) { return endsWithNoCase(name, ".csv") || endsWithNoCase(name, ".tsv"); }

DataFileKind dataFileKind(std::string_view name, std::string_view firstLine) {
  // Office Open XML and OpenDocument files are zip archives; the old Excel
  // format is a compound document.
  if (firstLine.starts_with("PK\x03\x04") || firstLine.starts_with("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"))
    return DataFileKind::Workbook;
  if (isTableFileName(name)) return DataFileKind::Table;
  if (firstLine.starts_with(kByteOrderMark)) firstLine.remove_prefix(kByteOrderMark.size());
  const auto at = firstLine.find_first_not_of(" \t");
  if (at == std::string_view::npos) return DataFileKind::Patterns;
  std::string_view rest = firstLine.substr(at);
  if (rest.starts_with('+') || rest.starts_with('-')) rest.remove_prefix(1);
  if (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') return DataFileKind::Patterns;
  return firstLine.find_first_of("\t,;") == std::string_view::npos ? DataFileKind::Patterns
                                                                    : DataFileKind::TableByHeader;
}

ScoreTable readTable(std::string_view fileName, std::string_view text, const TableColumns& columns) {
  ScoreTable table;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  std::string converted;
  if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
    converted = utf16ToUtf8(text.substr(2), text[0] == '\xFF');
    text = converted;
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    table.notes.push_back("Note: " + std::string(fileName) + " is UTF-16: read as such and converted to UTF-8");
  } else if (!isValidUtf8(text)) {
    converted = windows1252ToUtf8(text);
    text = converted;
    table.notes.push_back("Note: " + std::string(fileName) +
                          " is not UTF-8: read as Windows-1252 (Western European) and converted");
  }
  const std::string lines = withLineFeeds(text);
  Rows parsed = parseRows(lines, detectDelimiter(lines));

  const std::vector<std::string> noHeader;
  const std::vector<std::string>& header = parsed.rows.empty() ? noHeader : parsed.rows.front();
  const Messages say(fileName, header);
  std::vector<Column> kinds;
  if (!parsed.rows.empty()) {
    table.sampleLabel = header.empty() ? std::string() : header.front();
    table.error = classify(say, header, columns, kinds);
    if (!table.error.empty()) return table;
    table.hasHeader = true;
    for (std::size_t c = 1; c < header.size(); ++c) {
      if (kinds[c] == Column::Ezone) table.labels.push_back(header[c]);
      if (kinds[c] == Column::Population) table.populationLabel = header[c];
    }
  }

  std::map<std::string, int> names;
  for (std::size_t r = 1; r < parsed.rows.size(); ++r) {
    const auto& cells = parsed.rows[r];
    ScoreRow data;
    data.row = static_cast<int>(r) + 1;
    if (allEmpty(cells) || cells.front().starts_with('#')) continue;
    data.name = cells.front();
    table.error = checkRow(say, header, kinds, cells, names, data);
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
  } else if (std::none_of(table.rows.begin(), table.rows.end(), [](const ScoreRow& r) { return r.scoredWhole(); })) {
    const ScoreRow& first = table.rows.front();
    std::size_t z = 0;
    while (first.scores[z] != kUnscored) ++z;
    std::size_t c = 0;
    for (std::size_t seen = 0; c < kinds.size(); ++c)
      if (kinds[c] == Column::Ezone && seen++ == z) break;
    table.error = say.whole("has no individual scored in every Ezone (an empty cell, ?, NA or - is not scored), "
                            "so none is left to analyse; row " +
                            std::to_string(first.row) + " " + shown(first.name) + " is not scored in " +
                            columnName(header, c));
  }
  return table;
}

}  // namespace korvelin
