// The table reader: every table a spreadsheet may export, and every fault a
// scored table may hold, in one table of texts with what each must give.

#include "input/table_file.h"

#include <gtest/gtest.h>

namespace korvelin {
namespace {

using Strings = std::vector<std::string>;

// A data row as "row|name|scores".
std::string rowText(const ScoreRow& r) {
  std::string scores;
  for (int v : r.scores) scores += v == kUnscored ? '?' : static_cast<char>('0' + v);
  return std::to_string(r.row) + "|" + r.name + "|" + scores;
}

std::string with23Labels() {
  std::string header = "Sample", row = "A";
  for (int z = 1; z <= 23; ++z) {
    header += ",E" + std::to_string(z);
    row += ",1";
  }
  return header + "\n" + row + "\n";
}

struct Case {
  std::string kind;
  std::string text;
  std::string error;  // the message, or empty when the table is good
  Strings labels = {};
  Strings rows = {};
};

// The rule, and how to leave the column out.
std::string rule(const std::string& column) {
  return "score 1 (band) or 0 (no band), or leave the column out with --ignore " + column;
}

std::vector<Case> cases() {
  return {
      // Good tables.
      {"comma", "Sample,E1,E2\nA,1,0\nB,0,1\n", "", {"E1", "E2"}, {"2|A|10", "3|B|01"}},
      {"semicolon", "Sample;E1;E2\nA;1;0\n", "", {"E1", "E2"}, {"2|A|10"}},
      {"tab", "Sample\tE1\tE2\nA\t1\t0\n", "", {"E1", "E2"}, {"2|A|10"}},
      {"byte-order mark", "\xEF\xBB\xBFSample,E1\nA,1\n", "", {"E1"}, {"2|A|1"}},
      {"CR LF line ends", "Sample,E1\r\nA,1\r\nB,0\r\n", "", {"E1"}, {"2|A|1", "3|B|0"}},
      {"CR line ends, no last line end", "Sample,E1\rA,1\rB,0", "", {"E1"}, {"2|A|1", "3|B|0"}},
      {"comment and blank rows counted, not read", "Sample,E1,E2\n# gel 3\n\nA,1,0\n,,\n  ,  \nB,0,1\n", "",
       {"E1", "E2"}, {"4|A|10", "7|B|01"}},
      {"quoted names with delimiter, line break and quotes",
       "Sample,E1\n\"Smith, J.\",1\n\"two\nlines\",0\n\"say \"\"hi\"\"\",1\nC,0\n", "", {"E1"},
       {"2|Smith, J.|1", "3|two\nlines|0", "4|say \"hi\"|1", "5|C|0"}},
      {"a carriage return inside quotes stays", "Sample,E1\r\n\"a\rb\",1\r\n", "", {"E1"}, {"2|a\rb|1"}},
      {"empty and repeated labels", "Sample,,E,E\nA,1,0,1\n", "", {"", "E", "E"}, {"2|A|101"}},
      {"blanks around cells", "Sample , E1 ,E2\n A  , 1 ,0 \n", "", {"E1", "E2"}, {"2|A|10"}},
      {"semicolons outnumber commas in the labels", "Sample;E1,2;E3,4;E5\nA;1;0;1\n", "", {"E1,2", "E3,4", "E5"},
       {"2|A|101"}},
      {"a quoted delimiter does not count", "Sample;\"E,1\"\nA;1\n", "", {"E,1"}, {"2|A|1"}},
      // The Ezone limit is the input's to check, with the pattern file's message.
      {"23 label columns", with23Labels(), "",
       {"E1", "E2", "E3", "E4", "E5", "E6", "E7", "E8", "E9", "E10", "E11", "E12", "E13", "E14", "E15", "E16",
        "E17", "E18", "E19", "E20", "E21", "E22", "E23"},
       {"2|A|11111111111111111111111"}},

      // Bad tables: one message, naming the file, row, column and cell.
      {"2 in a cell", "Sample,E1,E2\nA,1,0\nB,2,0\n", "** t.csv row 3, column 2 \"E1\": \"2\" is no score; " + rule("\"E1\"")},
      {"yes in a cell", "Sample;E1\nA;yes\n", "** t.csv row 2, column 2 \"E1\": \"yes\" is no score; " + rule("\"E1\"")},
      {"missing cell", "Sample,E1,E2\nA,1\n",
       "** t.csv row 2, column 3 \"E2\": the cell is missing (the row has 2 cells, the header 3)"},
      {"extra cell", "Sample,E1,E2\nA,1,0,1\n",
       "** t.csv row 2, column 4: \"1\" stands beyond the header (the row has 4 cells, the header 3)"},
      {"duplicate name", "Sample,E1\nA,1\nB,0\nA,0\n",
       "** t.csv row 4, column 1 \"Sample\": \"A\" is already the name of row 2"},
      {"empty name", "Sample,E1\nA,1\n,1\n", "** t.csv row 3, column 1 \"Sample\": the sample name is empty"},
      {"empty quoted name", "Sample,E1\n\"\",1\n", "** t.csv row 2, column 1 \"Sample\": the sample name is empty"},
      {"no data rows", "Sample,E1\n# nothing scored yet\n\n", "** t.csv has no data rows below its header"},
      {"header only", "Sample,E1", "** t.csv has no data rows below its header"},
      {"empty file", "", "** t.csv is empty; its first row must be the header"},
      {"byte-order mark only", "\xEF\xBB\xBF", "** t.csv is empty; its first row must be the header"},
      {"quote never closed", "Sample,E1\nA,1\n\"B,0\nC,1\n",
       "** t.csv row 3, column 1 \"Sample\": a quoted cell is never closed"},
      {"quote inside an unquoted cell", "Sample,E1\nA,1\nB\"x,0\n",
       "** t.csv row 3, column 1 \"Sample\": a quote breaks the CSV rules (a cell that holds a quote is quoted "
       "whole, and its quotes are doubled)"},
      {"text after a closing quote", "Sample,E1\nA,\"1\"0\n",
       "** t.csv row 2, column 2 \"E1\": a quote breaks the CSV rules (a cell that holds a quote is quoted whole, "
       "and its quotes are doubled)"},
      {"quote fault in the header", "Sample,\"E1\nA,1\n", "** t.csv row 1, column 2: a quoted cell is never closed"},
      {"the first fault wins", "Sample,E1\nA,x\n\"B,1\n", "** t.csv row 2, column 2 \"E1\": \"x\" is no score; " + rule("\"E1\"")},
      {"column without label", "Sample,,E2\nA,x,0\n", "** t.csv row 2, column 2: \"x\" is no score; " + rule("2")},
      {"line break shown as a blank", "Sample,E1\nA,\"1\n0\"\n",
       "** t.csv row 2, column 2 \"E1\": \"1 0\" is no score; " + rule("\"E1\"")},
      {"long text cut", "Sample,E1\nB,\"" + std::string(40, '1') + "\"\n",
       "** t.csv row 2, column 2 \"E1\": \"" + std::string(30, '1') + "...\" is no score; " + rule("\"E1\"")},
  };
}

TEST(TableFile, ReadsEveryExportAndNamesTheFirstFault) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.kind);
    const ScoreTable t = readTable("t.csv", c.text);
    EXPECT_EQ(t.error, c.error);
    if (!c.error.empty()) continue;
    EXPECT_EQ(t.labels, c.labels);
    EXPECT_TRUE(t.hasHeader);
    EXPECT_EQ(t.sampleLabel, "Sample");
    Strings rows;
    for (const auto& r : t.rows) rows.push_back(rowText(r));
    EXPECT_EQ(rows, c.rows);
  }
}

TEST(TableFile, TablesAreKnownByTheirNameEnding) {
  for (const char* name : {"p.csv", "P.CSV", "gel 3.Tsv", "a.b.csv"}) EXPECT_TRUE(isTableFileName(name)) << name;
  for (const char* name : {"p.dat", "csv", "p.csv.dat", "pcsv", "p.csvx", ""}) EXPECT_FALSE(isTableFileName(name)) << name;
}

}  // namespace
}  // namespace korvelin
