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
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "harness.h"
#include "base/format.h"
#include "version.h"

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
    EXPECT_FALSE(scratchLeft(t));
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

// A GenePop file read as the format describes it, by a reader of its own
// (nothing of the writer's): a title line; the locus names, one a line or
// several on a line separated by commas, up to the first line "Pop" (in any
// case); then each "Pop" line opens a population, and every other line is an
// individual, "name," then one genotype per locus, separated by spaces, each
// of six digits (two alleles of three digits; 000 missing). Gives the file
// as "title", "loci", then per population its individuals "name: codes";
// a line that breaks the format gives "BAD LINE n".
std::string readGenePop(const std::string& text) {
  std::istringstream in(text);
  std::string line, out, title;
  std::getline(in, title);
  if (const auto at = title.find(kVersion); at != std::string::npos) title.replace(at, std::string(kVersion).size(), "VERSION");
  out += "title: " + title + "\n";
  std::vector<std::string> loci;
  int number = 1, populations = 0;
  const auto trim = [](std::string t) {
    const auto a = t.find_first_not_of(" \t\r"), b = t.find_last_not_of(" \t\r");
    return a == std::string::npos ? std::string() : t.substr(a, b - a + 1);
  };
  const auto isPop = [&](const std::string& l) {
    std::string t = trim(l);
    for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return t == "pop";
  };
  while (std::getline(in, line)) {
    ++number;
    if (isPop(line)) {
      if (populations++ == 0) {
        out += "loci:";
        for (const std::string& l : loci) out += " " + l;
        out += "\n";
      }
      out += "pop " + std::to_string(populations) + "\n";
      continue;
    }
    if (populations == 0) {
      std::istringstream names(line);
      for (std::string name; std::getline(names, name, ',');)
        if (!trim(name).empty()) loci.push_back(trim(name));
      continue;
    }
    const auto comma = line.find(',');
    if (comma == std::string::npos) return out + "BAD LINE " + std::to_string(number) + "\n";
    std::istringstream codes(line.substr(comma + 1));
    std::string genotypes;
    std::size_t count = 0;
    for (std::string code; codes >> code; ++count) {
      if (code.size() != 6 || code.find_first_not_of("0123456789") != std::string::npos)
        return out + "BAD LINE " + std::to_string(number) + "\n";
      genotypes += " " + code;
    }
    if (count != loci.size()) return out + "BAD LINE " + std::to_string(number) + "\n";
    out += "  " + trim(line.substr(0, comma)) + ":" + genotypes + "\n";
  }
  return out;
}

// The tables a lab really has, one case file each in tests/tables: the data
// file and the options ("data:", "args:"), then what the command line gives:
// the exit status, standard error and, after a run that ended in order, the
// genotype table, the JSON "input" object and the HTML page's lists of
// individuals, and with "genepop: yes" the GenePop file as readGenePop reads
// it. A case "same outputs as"
// another must give that case's outputs. With
// KORVELIN_UPDATE_CASES=1 set the case files are written anew from what the
// runs give (then read the differences before keeping them).
TEST(TableInput, LabTablesGiveTheirCaseFiles) {
  const fs::path dir = fs::path(KORVELIN_TESTS_DIR) / "tables";
  const bool update = std::getenv("KORVELIN_UPDATE_CASES") != nullptr;
  std::map<std::string, std::string> outputs;
  std::vector<std::pair<std::string, std::string>> sameAs;
  std::size_t cases = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".case") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    ++cases;
    const std::string text = readTextFile(entry.path().string());
    const std::size_t cut = text.find("--- status\n");
    std::map<std::string, std::string> header;
    for (const std::string& line : lines(text.substr(0, cut)))
      if (const auto colon = line.find(": "); colon != std::string::npos)
        header[line.substr(0, colon)] = line.substr(colon + 2);
    const std::string data = header["data"];
    Strings args{data, "--json", "t.json", "--genotypes", "t.csv", "--html", "t.html"};
    std::istringstream words(header["args"]);
    for (std::string word; words >> word;) args.push_back(word);
    const bool genepop = header["genepop"] == "yes";
    if (genepop) args.insert(args.end(), {"--genepop", "t.gp"});
    const Transcript t = runCommandLineSession({{data, readTextFile((dir / data).string())}}, args);

    std::string got = "--- status\n" + std::to_string(t.status) + "\n--- stderr\n" + t.err;
    if (t.status == 0) {
      std::string table = t.files.at("t.csv");
      std::erase(table, '\r');
      // The JSON "input" a field a line, and each element of a list a line.
      std::string input;
      const auto doc = nlohmann::ordered_json::parse(t.files.at("t.json"));
      for (const auto& [key, value] : doc["input"].items()) {
        if (key == "file") continue;
        if (!value.is_array() || value.empty() || !value.front().is_object()) {
          input += key + ": " + value.dump() + "\n";
          continue;
        }
        input += key + ":\n";
        for (const auto& element : value) input += "  " + element.dump() + "\n";
      }
      // The page's individuals: the lanes' lists, the populations, those left out.
      const std::string& page = t.files.at("t.html");
      const auto from = page.find("<ol class=\"individuals\">");
      std::string individuals = from == std::string::npos ? "" : page.substr(from, page.find("</section>", from) - from);
      for (std::size_t at = 0; (at = individuals.find("><", at)) != std::string::npos; at += 2) individuals.insert(at + 1, "\n");
      outputs[name] = "--- genotypes\n" + table + "--- json input\n" + input + "--- html individuals\n" +
                      individuals + "\n";
      if (genepop) outputs[name] += "--- genepop read back\n" + readGenePop(t.files.at("t.gp"));
      got += outputs[name];
    }
    if (header.contains("same outputs as")) sameAs.emplace_back(name, header["same outputs as"]);
    if (update) {
      std::ofstream(entry.path(), std::ios::binary) << text.substr(0, cut) << got;
      continue;
    }
    EXPECT_EQ(firstDifference(cut == std::string::npos ? "" : text.substr(cut), got), "");
  }
  for (const auto& [name, other] : sameAs) {
    ASSERT_TRUE(outputs.contains(name) && outputs.contains(other)) << name;
    EXPECT_EQ(outputs[name], outputs[other]) << name << " and " << other;
  }
  EXPECT_GE(cases, 15u);
}

}  // namespace
}  // namespace korvelin::testing
