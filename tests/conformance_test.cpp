// Reference transcripts: each folder under tests/conformance holds the data
// files of one run, the answers typed, and the console, standard error and
// output file that the run must produce, byte for byte. The credit rows of
// the banner and the numbers of error statuses are masked on both sides.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "harness.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;

std::string masked(const std::string& text) {
  auto rows = lines(text);
  const std::regex framed(R"( \|.{59}\|)");
  std::string joined;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] == " ." + std::string(59, '-') + ".")
      for (std::size_t off : {7u, 8u, 9u, 11u})
        if (i + off < rows.size() && std::regex_match(rows[i + off], framed)) rows[i + off] = " |<credit row>|";
    joined += rows[i] + (i + 1 < rows.size() || text.ends_with('\n') ? "\n" : "");
  }
  return std::regex_replace(joined, std::regex(R"((\*\* Error  ?status|cause =) +-?\d+)"), "$1 <n>");
}

// Transcripts of an independent implementation (conformance), and our own
// regression transcripts (golden, checked by hand against the report
// layouts when made).
TEST(Conformance, EveryReferenceTranscriptIsReproduced) {
  std::vector<fs::path> dirs;
  for (const char* folder : {"conformance", "golden"})
    for (const auto& entry : fs::directory_iterator(fs::path(KORVELIN_TESTS_DIR) / folder))
      if (fs::exists(entry.path() / "answers.txt")) dirs.push_back(entry.path());
  ASSERT_GE(dirs.size(), 18u);
  for (const auto& dir : dirs) {
    SCOPED_TRACE(dir.parent_path().filename().string() + "/" + dir.filename().string());
    const auto inputs = filesIn(dir.string()), expected = filesIn((dir / "expected").string()),
               wanted = filesIn((dir / "expected/files").string());
    const Transcript t = runSession(inputs, lines(readTextFile((dir / "answers.txt").string())));
    EXPECT_EQ(t.status, std::stoi(expected.at("rc")));
    EXPECT_EQ(firstDifference(expected.at("stdout"), masked(t.out)), "") << "stdout";
    EXPECT_EQ(firstDifference(expected.at("stderr"), masked(t.err)), "") << "stderr";
    // Files the run created or changed, and nothing else (no scratch file).
    std::map<std::string, std::string> produced;
    for (const auto& [name, text] : t.files)
      if (!inputs.contains(name) || inputs.at(name) != text) produced[name] = masked(text);
    EXPECT_EQ(produced.size(), wanted.size());
    for (const auto& [name, text] : wanted) {
      ASSERT_TRUE(produced.contains(name)) << name;
      EXPECT_EQ(firstDifference(text, produced[name]), "") << name;
    }
  }
}

// The worked examples for users: each runs unattended from its answers file
// (as `korvelin < name.answers` does) to the end of the run, and gives the
// console transcript and the report file kept beside it.
TEST(Examples, EveryExampleRunsUnattendedToItsReport) {
  const fs::path dir = KORVELIN_EXAMPLES;
  int examples = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".answers") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    ++examples;
    const Transcript t = runSession({{name + ".dat", readTextFile((dir / (name + ".dat")).string())}},
                                    lines(readTextFile(entry.path().string())));
    EXPECT_EQ(t.status, 0);
    EXPECT_FALSE(scratchLeft(t));
    EXPECT_EQ(t.out.find("** End of input"), std::string::npos) << "the answers ran out";
    EXPECT_EQ(firstDifference(readTextFile((dir / "expected" / (name + ".console")).string()), t.out), "");
    ASSERT_TRUE(t.files.contains(name + ".out"));
    EXPECT_EQ(firstDifference(readTextFile((dir / "expected" / (name + ".out")).string()), t.files.at(name + ".out")),
              "");
  }
  EXPECT_GE(examples, 7);
}

}  // namespace
}  // namespace korvelin::testing
