#pragma once
// A gel scored in a spreadsheet and exported as a table (CSV with comma or
// semicolon, or tab-separated text): a header row, then one row per
// individual with its name and a 1 (band) or 0 (no band) for every Ezone.
//
// The header's first cell names the sample column; every further cell is
// the label of one Ezone (any text, empty too). The delimiter is the one of
// comma, semicolon and tab that the header row holds most often. Quoting
// follows RFC 4180: a quoted cell may hold the delimiter, doubled quotes and
// line breaks. A byte-order mark at the start is dropped, and CR LF or a CR
// alone ends a line as LF does. Blanks around an unquoted cell are dropped.
// After the header, rows whose cells are all empty and rows whose first cell
// starts with '#' are skipped.
//
// Row numbers count the rows as a spreadsheet shows them: the header is row
// 1, and a skipped row counts too (a line break inside a quoted cell does
// not start a row).

#include <string>
#include <string_view>
#include <vector>

namespace korvelin {

struct ScoreRow {
  int row = 0;
  std::string name;
  // One per Ezone label: 1 band, 0 no band.
  std::vector<int> scores;
};

struct ScoreTable {
  // Whether a header row was read (then `labels` holds its Ezone labels).
  bool hasHeader = false;
  std::string sampleLabel;
  std::vector<std::string> labels;
  // The data rows in file order.
  std::vector<ScoreRow> rows;
  // Empty, or the one message of the first fault found ("** " and the file
  // name, the row, the column and the cell's text). `rows` is then
  // incomplete and must not be analysed.
  std::string error;
};

// Whether a data file of this name is a table: it ends in ".csv" or ".tsv",
// in any case.
bool isTableFileName(std::string_view name);

// Reads the whole text of the table file `fileName` (the name only goes into
// messages).
ScoreTable readTable(std::string_view fileName, std::string_view text);

}  // namespace korvelin
