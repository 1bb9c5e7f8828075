#pragma once
// A gel scored in a spreadsheet and exported as a table (CSV with comma or
// semicolon, or tab-separated text): a header row, then one row per
// individual with its name and a score for every Ezone: 1 (band), 0 (no
// band), or "not scored" (an empty cell, "?", "NA" or "-").
//
// The header's first cell names the sample column. A column headed
// "population", "pop" or "site" (any case), or the one the caller names,
// holds each individual's population; columns the caller names are left
// out; every further cell is the label of one Ezone (any text, empty too).
// The delimiter is the one of comma, semicolon and tab that the header row
// holds most often. Quoting follows RFC 4180: a quoted cell may hold the
// delimiter, doubled quotes and line breaks. A byte-order mark at the start
// is dropped, and CR LF or a CR alone ends a line as LF does. Blanks around
// an unquoted cell are dropped. After the header, rows whose cells are all
// empty and rows whose first cell starts with '#' are skipped.
//
// A text that is not valid UTF-8 is taken as Windows-1252 (what Western
// European spreadsheet programs save as "CSV") and converted to UTF-8; one
// that starts with a UTF-16 byte-order mark (Excel's "Unicode Text") is
// converted from UTF-16.
//
// Row numbers count the rows as a spreadsheet shows them: the header is row
// 1, and a skipped row counts too (a line break inside a quoted cell does
// not start a row).

#include <string>
#include <string_view>
#include <vector>

namespace korvelin {

// What the user says of the label columns: each is a header label (any
// case) or a column number counted from 1.
struct TableColumns {
  std::string population;           // empty: the column headed population, pop or site, if any
  std::vector<std::string> ignore;  // columns left out
};

// A score that was not given.
inline constexpr int kUnscored = -1;

struct ScoreRow {
  int row = 0;
  std::string name;
  std::string population;  // empty when the table has no population column
  // One per Ezone label: 1 band, 0 no band, kUnscored.
  std::vector<int> scores;
  bool scoredWhole() const;
};

struct ScoreTable {
  // Whether a header row was read and its columns told apart (then
  // `labels` holds its Ezone labels).
  bool hasHeader = false;
  std::string sampleLabel;
  std::string populationLabel;  // the population column's header; empty when none
  std::vector<std::string> labels;
  // The data rows in file order, those with an unscored Ezone included.
  std::vector<ScoreRow> rows;
  // What the user should know about how the file was read (one line each).
  std::vector<std::string> notes;
  // Empty, or the one message of the first fault found ("** " and the file
  // name, the row, the column and the cell's text). `rows` is then
  // incomplete and must not be analysed.
  std::string error;
};

// Whether a data file of this name is a table: it ends in ".csv" or ".tsv",
// in any case.
bool isTableFileName(std::string_view name);

// What a data file holds, told from its name and its first line that is not
// blank (as read: a byte-order mark and line end included).
enum class DataFileKind {
  Patterns,       // a pattern file: its first line begins with the Ezone count
  Table,          // named as a table
  TableByHeader,  // not named as one, but its first line is a delimited header
  Workbook,       // a spreadsheet program's own file (.xlsx, .ods, .xls)
};
DataFileKind dataFileKind(std::string_view name, std::string_view firstLine);

// Reads the whole text of the table file `fileName` (the name only goes into
// messages).
ScoreTable readTable(std::string_view fileName, std::string_view text, const TableColumns& columns = {});

// A Windows-1252 text in UTF-8.
std::string windows1252ToUtf8(std::string_view text);
bool isValidUtf8(std::string_view text);

}  // namespace korvelin
