// The table reader: every table a spreadsheet may export, and every fault a
// scored table may hold, as cases in tests/data/table_file.json.

#include "input/table_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

namespace korvelin {
namespace {

using Strings = std::vector<std::string>;

// A data row as "row|name|scores".
std::string rowText(const ScoreRow& r) {
  std::string scores;
  for (int v : r.scores) scores += v == kUnscored ? '?' : static_cast<char>('0' + v);
  return std::to_string(r.row) + "|" + r.name + "|" + scores;
}

// Every case of tests/data/table_file.json.
TEST(TableFile, ReadsEveryExportAndNamesTheFirstFault) {
  std::ifstream file(KORVELIN_TESTS_DIR "/data/table_file.json");
  const auto cases = nlohmann::json::parse(file, nullptr, true, true);
  ASSERT_GE(cases.size(), 30u);
  for (const auto& c : cases) {
    SCOPED_TRACE(c["kind"].get<std::string>());
    const ScoreTable t = readTable("t.csv", c["text"].get<std::string>());
    EXPECT_EQ(t.error, c.value("error", ""));
    if (c.contains("error")) continue;
    EXPECT_EQ(t.labels, c["labels"].get<Strings>());
    EXPECT_TRUE(t.hasHeader);
    EXPECT_EQ(t.sampleLabel, "Sample");
    Strings rows;
    for (const auto& r : t.rows) rows.push_back(rowText(r));
    EXPECT_EQ(rows, c["rows"].get<Strings>());
  }
}

TEST(TableFile, TablesAreKnownByTheirNameEnding) {
  for (const char* name : {"p.csv", "P.CSV", "gel 3.Tsv", "a.b.csv"}) EXPECT_TRUE(isTableFileName(name)) << name;
  for (const char* name : {"p.dat", "csv", "p.csv.dat", "pcsv", "p.csvx", ""}) EXPECT_FALSE(isTableFileName(name)) << name;
}

}  // namespace
}  // namespace korvelin
