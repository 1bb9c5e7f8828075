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

// Transcripts of an independent implementation, and our own regression
// transcripts (checked by hand against the report layouts when made).
const fs::path kTests = KORVELIN_TESTS_DIR;

std::string masked(const std::string& text) {
  auto rows = lines(text);
  const std::string top = " ." + std::string(59, '-') + ".";
  const std::regex framed(R"( \|.{59}\|)");
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i] != top) continue;
    for (std::size_t off : {7u, 8u, 9u, 11u})
      if (i + off < rows.size() && std::regex_match(rows[i + off], framed)) rows[i + off] = " |<credit row>|";
  }
  std::string joined;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    joined += rows[i];
    if (i + 1 < rows.size() || (!text.empty() && text.back() == '\n')) joined += '\n';
  }
  static const std::regex status(R"((\*\* Error  ?status|cause =) +-?\d+)");
  return std::regex_replace(joined, status, "$1 <n>");
}

struct Case {
  std::string name;
  std::map<std::string, std::string> inputs;
  std::vector<std::string> answers;
};

Case loadCase(const fs::path& dir) {
  Case c{dir.filename().string(), {}, {}};
  for (const auto& entry : fs::directory_iterator(dir)) {
    const auto name = entry.path().filename().string();
    if (!entry.is_regular_file()) continue;
    if (name == "answers.txt")
      c.answers = lines(readTextFile(entry.path().string()));
    else
      c.inputs[name] = readTextFile(entry.path().string());
  }
  return c;
}

std::vector<fs::path> caseDirs() {
  std::vector<fs::path> dirs;
  for (const char* folder : {"conformance", "golden"}) {
    if (!fs::exists(kTests / folder)) continue;
    for (const auto& entry : fs::directory_iterator(kTests / folder))
      if (fs::exists(entry.path() / "answers.txt")) dirs.push_back(entry.path());
  }
  std::sort(dirs.begin(), dirs.end());
  return dirs;
}

TEST(Conformance, EveryReferenceTranscriptIsReproduced) {
  const auto dirs = caseDirs();
  ASSERT_GE(dirs.size(), 18u);
  for (const auto& dir : dirs) {
    SCOPED_TRACE(dir.parent_path().filename().string() + "/" + dir.filename().string());
    const Case c = loadCase(dir);
    const Transcript t = runSession(c.inputs, c.answers);
    const fs::path expected = dir / "expected";
    EXPECT_EQ(t.status, std::stoi(readTextFile((expected / "rc").string())));
    EXPECT_EQ(firstDifference(readTextFile((expected / "stdout").string()), masked(t.out)), "") << "stdout";
    EXPECT_EQ(firstDifference(readTextFile((expected / "stderr").string()), masked(t.err)), "") << "stderr";
    // Files the run created or changed, and nothing else (no scratch file).
    std::map<std::string, std::string> produced;
    for (const auto& [name, text] : t.files) {
      const auto input = c.inputs.find(name);
      if (input == c.inputs.end() || input->second != text) produced[name] = masked(text);
    }
    std::map<std::string, std::string> wanted;
    if (fs::exists(expected / "files"))
      for (const auto& entry : fs::directory_iterator(expected / "files"))
        wanted[entry.path().filename().string()] = readTextFile(entry.path().string());
    ASSERT_EQ(produced.size(), wanted.size());
    for (const auto& [name, text] : wanted) {
      ASSERT_EQ(produced.count(name), 1u) << name;
      EXPECT_EQ(firstDifference(text, produced[name]), "") << name;
    }
  }
}

}  // namespace
}  // namespace korvelin::testing
