// Spreadsheet tables as data files. Every worked example, turned into a
// table with made-up sample names (in memory, with each delimiter, CR LF
// line ends, a byte-order mark, comment and blank rows and quoted names),
// must give the example's report and console transcript, except that the
// file-name line names the table and the echo shows each pattern as its
// digits, as the format (nI1) would. The sample then holds the names behind
// every distinct pattern, and the Ezone labels.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>

#include "harness.h"
#include "base/format.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// The patterns of a pattern file, one per individual in the order of the
// file, as a run of it reads them: each individual is named by its line.
Strings patternsOf(const std::string& name, const std::string& file) {
  const Transcript t = runSession({{name, file}}, consoleAnswers(name));
  std::map<int, std::string> byLine;
  for (std::size_t p = 0; p < t.sample.individuals.size(); ++p)
    for (const std::string& line : t.sample.individuals[p]) byLine[std::stoi(line)] = t.results.input.patterns.at(p);
  Strings patterns;
  for (const auto& [line, pattern] : byLine) patterns.push_back(pattern);
  return patterns;
}

// A made-up sample name; some need quotes (delimiters, quotes, a line break).
std::string sampleName(std::size_t i) {
  if (i % 5 == 4) return "Kiel, \"bed " + std::to_string(i) + "\"";
  if (i % 7 == 6) return "Lund; row " + std::to_string(i) + "\nsecond plot";
  return "Ind\t" + std::to_string(i + 1);
}

std::string cell(const std::string& text, char delimiter) {
  if (text.find_first_of(std::string(1, delimiter) + "\"\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

struct Layout {
  char delimiter;
  std::string lineEnd;
  bool byteOrderMark;
  bool commentRows;
};

std::string tableOf(const Strings& patterns, const Layout& l) {
  const std::string d(1, l.delimiter);
  std::string text = l.byteOrderMark ? "\xEF\xBB\xBF" : "";
  text += cell("Sample name", l.delimiter);
  for (std::size_t z = 0; z < patterns.at(0).size(); ++z) text += d + cell("band " + std::to_string(z + 1), l.delimiter);
  text += l.lineEnd;
  if (l.commentRows) text += "# scored from gel photo 3" + d + "1" + d + "2" + l.lineEnd + l.lineEnd;
  for (std::size_t i = 0; i < patterns.size(); ++i) {
    text += cell(sampleName(i), l.delimiter);
    for (char score : patterns[i]) text += d + score;
    text += l.lineEnd;
    if (l.commentRows && i == patterns.size() / 2) text += d + d + l.lineEnd;
  }
  return text;
}

// The example's expected text as the table's run gives it: the name line
// names the table, and each echo line (checked against the pattern) shows
// one blank and the digits.
std::string asTableRun(const std::string& text, const std::string& dat, const std::string& table,
                       const Strings& distinct) {
  std::string out;
  Strings rows = lines(text);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] == FreeLine().text("Input data file: ").name(dat).str())
      rows[i] = FreeLine().text("Input data file: ").name(table).str();
    if (rows[i] == " Banding patterns as input (each line represents a pattern):") {
      for (std::size_t p = 0; p < distinct.size(); ++p) {
        std::string& echo = rows.at(i + 1 + p);
        std::erase(echo, ' ');
        EXPECT_EQ(echo, distinct[p]) << "echo line " << p + 1;
        echo = " " + distinct[p];
      }
    }
    out += rows[i] + "\n";
  }
  return out;
}

TEST(TableInput, EveryExampleAsATableGivesTheExamplesReport) {
  const fs::path dir = KORVELIN_EXAMPLES;
  const Layout layouts[] = {
      {',', "\n", false, false}, {';', "\r\n", true, true}, {'\t', "\n", false, true}, {',', "\r\n", true, false}};
  std::size_t examples = 0;
  for (const ShippedRun& example : shippedRuns(KORVELIN_EXAMPLES)) {
    const std::string stem = example.name.substr(9), dat = stem + ".dat";
    const Strings patterns = patternsOf(dat, example.files.at(dat));
    const Layout& layout = layouts[examples % std::size(layouts)];
    const std::string table = stem + (layout.delimiter == '\t' ? ".tsv" : examples % 2 ? ".CSV" : ".csv");
    SCOPED_TRACE(table);
    ++examples;

    Strings distinct;
    std::vector<Strings> names;
    for (std::size_t i = 0; i < patterns.size(); ++i) {
      const auto at = std::find(distinct.begin(), distinct.end(), patterns[i]) - distinct.begin();
      if (at == static_cast<long>(distinct.size())) {
        distinct.push_back(patterns[i]);
        names.emplace_back();
      }
      names[static_cast<std::size_t>(at)].push_back(sampleName(i));
    }

    const std::string text = tableOf(patterns, layout);
    Strings answers = example.answers;
    answers.at(0) = table;
    const Transcript t = runSession({{table, text}}, answers);
    EXPECT_EQ(t.status, 0);
    EXPECT_FALSE(t.scratchLeft);
    const std::string expected = (dir / "expected" / stem).string();
    EXPECT_EQ(firstDifference(asTableRun(readTextFile(expected + ".console"), dat, table, distinct), t.out), "");
    ASSERT_TRUE(t.files.contains(stem + ".out"));
    EXPECT_EQ(firstDifference(asTableRun(readTextFile(expected + ".out"), dat, table, distinct),
                              t.files.at(stem + ".out")),
              "");

    const Sample& sample = t.sample;
    EXPECT_EQ(sample.individuals, names);
    ASSERT_EQ(sample.ezoneLabels.size(), patterns.at(0).size());
    EXPECT_EQ(sample.ezoneLabels.back(), "band " + std::to_string(patterns[0].size()));
  }
  EXPECT_GE(examples, 7u);
}

// The shipped table example gives its pattern-file twin's report.
TEST(TableInput, ShippedTableMatchesItsTwin) {
  const fs::path dir = KORVELIN_EXAMPLES;
  Strings answers = lines(readTextFile((dir / "dimer.answers").string()));
  answers.at(0) = "dimer.csv";
  const Transcript t = runSession({{"dimer.csv", readTextFile((dir / "dimer.csv").string())}}, answers);
  const std::string twin = readTextFile((dir / "expected/dimer.out").string());
  const Strings distinct = {"100000", "100101", "111000", "000001", "001011", "001000"};
  ASSERT_TRUE(t.files.contains("dimer.out"));
  EXPECT_EQ(firstDifference(asTableRun(twin, "dimer.dat", "dimer.csv", distinct), t.files.at("dimer.out")), "");
}

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
