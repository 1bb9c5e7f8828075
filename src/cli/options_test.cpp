// What the options set; their misuse is in the table of usage errors of the
// command-line runs.

#include "cli/options.h"

#include <gtest/gtest.h>

namespace korvelin::cli {
namespace {

using Strings = std::vector<std::string>;
using Existing = RunSettings::Existing;
using ReportTo = RunSettings::ReportTo;

TEST(Options, SettingsOfARun) {
  struct Case {
    Strings args;
    std::string dataFile, reportFile;
    ReportTo reportTo;
    Existing existing;
    bool dna, quiet;
    std::vector<int> splits;
    int maximalN;
  };
  const Case cases[] = {
      {{"d.dat"}, "d.dat", "", ReportTo::File, Existing::Refuse, false, false, {}, 0},
      {{"-o", "r.out", "--append", "d"}, "d", "r.out", ReportTo::File, Existing::Append, false, false, {}, 0},
      {{"--output=r.out", "--overwrite", "d"}, "d", "r.out", ReportTo::File, Existing::Overwrite, false, false, {}, 0},
      {{"-o", "-", "-q", "--dna", "d"}, "d", "", ReportTo::StandardOutput, Existing::Refuse, true, true, {}, 0},
      {{"--split", "3", "d", "--split=12", "--split", "all", "--max-n", "4"},
       "d", "", ReportTo::File, Existing::Refuse, false, false, {3, 12, 0}, 4},
      {{"--split", "0", "--", "-d.dat"}, "-d.dat", "", ReportTo::File, Existing::Refuse, false, false, {0}, 0},
  };
  for (const auto& c : cases) {
    const Options o = parseOptions(c.args);
    ASSERT_EQ(o.action, Options::Action::Run) << o.problem;
    const RunSettings& s = o.settings;
    EXPECT_TRUE(s.unattended);
    EXPECT_EQ(s.dataFile, c.dataFile);
    EXPECT_EQ(s.reportFile, c.reportFile);
    EXPECT_EQ(s.reportTo, c.reportTo);
    EXPECT_EQ(s.existing, c.existing);
    EXPECT_EQ(s.dna, c.dna);
    EXPECT_EQ(s.quiet, c.quiet);
    EXPECT_EQ(s.splits, c.splits);
    EXPECT_EQ(s.maximalN, c.maximalN);
  }
  // The help comes before what the values mean, not before what the parser refuses.
  EXPECT_EQ(parseOptions({"-h", "--split", "x"}).action, Options::Action::Help);
  EXPECT_EQ(parseOptions({"-h", "--bogus"}).action, Options::Action::UsageError);
  EXPECT_EQ(parseOptions({"d", "-V"}).action, Options::Action::Version);
}

// The help fits a terminal of 80 columns.
TEST(Options, HelpLinesFitEightyColumns) {
  const std::string help = helpText();
  std::size_t start = 0;
  for (auto end = help.find('\n'); end != std::string::npos; start = end + 1, end = help.find('\n', start))
    EXPECT_LE(end - start, 79u) << help.substr(start, end - start);
}

}  // namespace
}  // namespace korvelin::cli
