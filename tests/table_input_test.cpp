// Spreadsheet tables as data files. The runs are case folders under
// tests/cases/tables: among them every worked example as a table with
// made-up sample names (each delimiter, CR LF line ends, a byte-order mark,
// comment and blank rows, quoted names with delimiters, quotes and line
// breaks), which gives the example's report and console transcript but for
// the name of the data file and the echo of each pattern as its digits, and
// the command line's genotype table names every individual; and the shipped
// table example (examples/dimer.csv), which gives its pattern-file twin's
// report the same way.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "harness.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;

// The three encodings of one table (Windows-1252, UTF-8 with a byte-order
// mark, UTF-16), and the columns named by number or by label, give the same
// files (the case folders of tests/cases/tables).
TEST(TableInput, OneTableOneResult) {
  const fs::path dir = fs::path(KORVELIN_TESTS_DIR) / "cases/tables";
  const std::pair<std::string, std::string> same[] = {
      {"lab-1252", "lab-utf8"}, {"lab-utf16", "lab-utf8"}, {"population-by-number", "population-named"}};
  for (const auto& [one, other] : same) {
    const auto files = filesIn((dir / one / "expected/files").string());
    EXPECT_FALSE(files.empty()) << one;
    EXPECT_EQ(files, filesIn((dir / other / "expected/files").string())) << one << " and " << other;
  }
}

// Every GenePop file the cases expect, read as the format describes it by a
// reader of its own (nothing of the writer's): a title line; the locus names,
// one a line or several on a line separated by commas, up to the first line
// "Pop" (in any case); then each "Pop" line opens a population, and every
// other line is an individual, "name," then one genotype per locus,
// separated by spaces, each of six digits (two alleles of three digits).
TEST(TableInput, GenePopFilesReadAsTheFormatSays) {
  std::size_t files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(fs::path(KORVELIN_TESTS_DIR) / "cases")) {
    if (entry.path().extension() != ".gp") continue;
    SCOPED_TRACE(entry.path().string());
    ++files;
    std::istringstream in(readTextFile(entry.path().string()));
    std::string line;
    std::getline(in, line);
    std::size_t loci = 0, populations = 0, individuals = 0;
    while (std::getline(in, line)) {
      std::string word, more;
      std::istringstream(line) >> word >> more;
      std::transform(word.begin(), word.end(), word.begin(), [](unsigned char c) { return std::tolower(c); });
      if (word == "pop" && more.empty()) {
        ++populations;
      } else if (populations == 0) {
        std::istringstream names(line);
        for (std::string name; std::getline(names, name, ',');)
          loci += name.find_first_not_of(" \t\r") != std::string::npos;
      } else {
        const auto comma = line.find(',');
        ASSERT_NE(comma, std::string::npos) << line;
        std::istringstream codes(line.substr(comma + 1));
        std::size_t genotypes = 0;
        for (std::string code; codes >> code; ++genotypes)
          EXPECT_TRUE(code.size() == 6 && code.find_first_not_of("0123456789") == std::string::npos) << line;
        EXPECT_EQ(genotypes, loci) << line;
        ++individuals;
      }
    }
    EXPECT_TRUE(loci > 0 && populations > 0 && individuals > 0);
  }
  EXPECT_GE(files, 1u);
}

}  // namespace
}  // namespace korvelin::testing
