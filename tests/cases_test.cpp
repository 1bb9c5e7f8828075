// Whole runs as data: each case folder holds the files of one run, what was
// typed (answers.txt, one answer a line) or the arguments given (args.txt,
// one a line), optionally the faults the run meets (setup.txt), and what the
// run must produce (expected/: stdout, stderr, rc and files/ with every file
// the run created or changed). Folders: conformance/ (transcripts of an
// independent implementation), golden/ (our own, checked by hand against the
// report layouts when made) and cases/ (the ways a run can go and end).
//
// The same rules hold for every case: the exit status, the console, standard
// error and the files byte for byte (credit rows of the banner, the numbers
// of error statuses and the time of a run masked); no scratch file left; the
// data files untouched; no control character written; a dialogue ends with
// the ruler (unless the screen or the scratch file fails); a command line
// reads no answer (its keyboard holds 50 "y"). A case with both answers.txt
// and args.txt is run both ways (the command line's outputs in
// expected/args/), and the files both runs write must be equal.
//
// KORVELIN_UPDATE_CASES=1 writes what the runs give into expected/ of the
// golden/ and cases/ folders (never conformance/); read the diff before
// committing it.
//
// setup.txt, one fault a line ('#' starts a comment):
//   room BYTES               output files may still take BYTES (a full disk)
//   screen BYTES             standard output takes BYTES, then fails
//   unreadable NAME          NAME exists but cannot be opened
//   kind NAME KIND           NAME is a directory, fifo, device or link
//   held NAME                another run holds NAME
//   link ALIAS TARGET        ALIAS names TARGET (a final '/': a folder)
//   fail-create NAME ERRNO   making NAME fails with ERRNO (a number)
//   fail-read NAME LINE      reading NAME fails at LINE
//   fail-scratch             the scratch file cannot be made
//   stop-after-answers N SIG the signal SIG comes once N answers were read
//   stop-after-lines N SIG   ... once standard output took N lines
//   at NAME LINE WHAT        before line LINE of NAME is written: WHAT is
//                            bad_alloc (memory exhausted) or a signal number
//   at NAME LINE put FILE    ... another run makes FILE ("another run's file")
//   jobs N                   split trials on N threads

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <optional>
#include <set>
#include <fstream>
#include <new>
#include <regex>
#include <sstream>

#include "base/format.h"
#include "harness.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

const std::set<std::string> kCaseFiles{"answers.txt", "args.txt", "setup.txt"};

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
  return std::regex_replace(withRunTimeMasked(joined), std::regex(R"((\*\* Error  ?status|cause =) +-?\d+)"), "$1 <n>");
}

bool hasControls(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    return (static_cast<unsigned char>(ch) < 32 && ch != '\n' && ch != '\t' && ch != '\f' && ch != '\r') ||
           ch == 127;
  });
}

const std::map<std::string, FileKind> kKinds{
    {"directory", FileKind::Directory}, {"fifo", FileKind::Fifo}, {"device", FileKind::Device}, {"link", FileKind::Link}};

std::string caseFile(const fs::path& dir, const char* name) {
  return fs::exists(dir / name) ? readTextFile((dir / name).string()) : "";
}

// A run of the case, with only the files it created or changed.
Transcript run(const fs::path& dir, const Files& inputs, bool commandLine) {
  std::map<std::pair<std::string, std::size_t>, std::string> at;
  const auto prepare = [&](ScriptedConsole& console, MemoryFileSystem& files, RunSettings& settings) {
    auto held = std::make_shared<std::vector<std::unique_ptr<HeldFile>>>();
    std::istringstream setup(caseFile(dir, "setup.txt"));
    for (std::string row; std::getline(setup, row);) {
      std::istringstream words(row.substr(0, row.find('#')));
      std::string what, a, b, c, d;
      if (!(words >> what)) continue;
      words >> a >> b >> c >> d;
      if (what == "room") files.setCapacity(std::stoul(a));
      else if (what == "screen") console.setOutCapacity(std::stoul(a));
      else if (what == "unreadable") files.makeUnreadable(a);
      else if (what == "kind") files.setKind(a, kKinds.at(b));
      else if (what == "link") files.link(a, b);
      else if (what == "fail-create") files.failCreating(a, std::stoi(b));
      else if (what == "fail-read") files.failReadingAt(a, std::stoi(b));
      else if (what == "fail-scratch") files.failScratch();
      else if (what == "stop-after-answers") console.stopAfter(std::stoul(a), std::stoi(b));
      else if (what == "stop-after-lines") console.stopAfterLines(std::stoul(a), std::stoi(b));
      else if (what == "at") at[{a, std::stoul(b)}] = c == "put" ? d : c;
      else if (what == "jobs") settings.jobs = std::stoi(a);
      else if (what == "held") {
        int status = 0;
        held->push_back(files.hold(a, status));
      } else throw std::invalid_argument("setup.txt: unknown fault " + row);
    }
    ScriptedConsole* screen = &console;
    MemoryFileSystem* disk = &files;
    if (!at.empty())
      files.beforeWrite = [&at, screen, disk](const std::string& name, std::size_t line) {
        const auto it = at.find({name, line});
        if (it == at.end()) return;
        if (it->second == "bad_alloc") throw std::bad_alloc();
        if (std::isdigit(static_cast<unsigned char>(it->second[0]))) screen->raise(std::stoi(it->second));
        else disk->put(it->second, "another run's file\n");
      };
    return held;
  };
  const auto args = lines(caseFile(dir, "args.txt"));
  Transcript t = commandLine ? runInMemory(inputs, std::vector<std::string>(50, "y"), prepare, &args)
                             : runInMemory(inputs, lines(caseFile(dir, "answers.txt")), prepare);
  EXPECT_TRUE(!commandLine || t.answersRead == 0) << "the command line read an answer";
  std::erase_if(t.files, [&](const auto& f) { return inputs.contains(f.first) && inputs.at(f.first) == f.second; });
  return t;
}

void writeFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The rules every case keeps, and its expected outputs.
void check(const fs::path& dir, const Files& inputs, const Transcript& o,
           const fs::path& expectedDir, bool dialogue, bool update) {
  EXPECT_FALSE(o.scratchLeft) << "a scratch file is left";
  for (const auto& [name, text] : o.files) {
    EXPECT_FALSE(inputs.contains(name) && std::regex_search(name, std::regex(R"(\.(dat|csv|tsv|txt|xlsx)$)", std::regex::icase)))
        << "the data file " << name << " was changed";
    EXPECT_FALSE(hasControls(text)) << name << " holds a control character";
  }
  EXPECT_FALSE(hasControls(o.out) || hasControls(o.err)) << "a control character on the console";
  // A screen that fails takes no ruler; without a scratch file the run stops at once.
  const std::string setup = caseFile(dir, "setup.txt");
  if (dialogue && setup.find("screen") == std::string::npos && setup.find("fail-scratch") == std::string::npos) {
    EXPECT_TRUE(o.out.ends_with(ruler() + "\n")) << "the ruler is not last";
  }
  if (update) {
    fs::remove_all(expectedDir / "files");
    writeFile(expectedDir / "rc", std::to_string(o.status) + "\n");
    writeFile(expectedDir / "stdout", masked(o.out));
    writeFile(expectedDir / "stderr", masked(o.err));
    for (const auto& [name, text] : o.files) writeFile(expectedDir / "files" / name, masked(text));
    return;
  }
  const auto expected = filesIn(expectedDir.string()), wanted = filesIn((expectedDir / "files").string());
  ASSERT_TRUE(expected.contains("rc")) << expectedDir << " has no rc";
  EXPECT_EQ(o.status, std::stoi(expected.at("rc")));
  EXPECT_EQ(firstDifference(expected.at("stdout"), masked(o.out)), "") << "stdout";
  EXPECT_EQ(firstDifference(expected.at("stderr"), masked(o.err)), "") << "stderr";
  for (const auto& [name, text] : o.files) EXPECT_TRUE(wanted.contains(name)) << "unexpected file " << name;
  for (const auto& [name, text] : wanted) {
    ASSERT_TRUE(o.files.contains(name)) << "missing file " << name;
    EXPECT_EQ(firstDifference(text, masked(o.files.at(name))), "") << name;
  }
}

std::vector<fs::path> caseFolders() {
  std::vector<fs::path> dirs;
  for (const char* folder : {"conformance", "golden", "cases"})
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(KORVELIN_TESTS_DIR) / folder))
      if (entry.is_directory() && (fs::exists(entry.path() / "answers.txt") || fs::exists(entry.path() / "args.txt")))
        dirs.push_back(entry.path());
  std::sort(dirs.begin(), dirs.end());
  return dirs;
}

TEST(Cases, EveryCaseGivesItsExpectedRun) {
  const char* env = std::getenv("KORVELIN_UPDATE_CASES");
  const bool updating = env && std::string(env) == "1";
  const auto dirs = caseFolders();
  ASSERT_GE(dirs.size(), 25u);
  for (const auto& dir : dirs) {
    const std::string name = fs::relative(dir, KORVELIN_TESTS_DIR).string();
    SCOPED_TRACE(name);
    const bool update = updating && !name.starts_with("conformance");
    Files inputs;
    for (const auto& [file, text] : filesIn(dir.string()))
      if (!kCaseFiles.contains(file)) inputs[file] = text;
    std::optional<Transcript> dialogue, commandLine;
    if (fs::exists(dir / "answers.txt")) {
      dialogue = run(dir, inputs, false);
      check(dir, inputs, *dialogue, dir / "expected", true, update);
    }
    if (fs::exists(dir / "args.txt")) {
      commandLine = run(dir, inputs, true);
      check(dir, inputs, *commandLine, dialogue ? dir / "expected/args" : dir / "expected", false, update);
    }
    for (const auto& [file, text] : dialogue && commandLine ? commandLine->files : Files{}) {
      EXPECT_TRUE(!dialogue->files.contains(file) || dialogue->files.at(file) == text)
          << file << ": command line and dialogue differ";
    }
  }
}

// The worked examples for users: each runs unattended from its answers file
// (as `korvelin < name.answers` does) to the end of the run, and gives the
// console transcript and the report file kept beside it.
TEST(Examples, EveryExampleRunsUnattendedToItsReport) {
  const auto examples = shippedRuns(KORVELIN_EXAMPLES);
  EXPECT_GE(examples.size(), 7u);
  for (const ShippedRun& example : examples) {
    SCOPED_TRACE(example.name);
    const std::string stem = example.name.substr(9), expected = KORVELIN_EXAMPLES "/expected/" + stem;
    const Transcript t = runSession(example.files, example.answers);
    EXPECT_EQ(t.status, 0);
    EXPECT_FALSE(t.scratchLeft);
    EXPECT_EQ(t.out.find("** End of input"), std::string::npos) << "the answers ran out";
    EXPECT_EQ(firstDifference(readTextFile(expected + ".console"), t.out), "");
    ASSERT_TRUE(t.files.contains(stem + ".out"));
    EXPECT_EQ(firstDifference(readTextFile(expected + ".out"), t.files.at(stem + ".out")), "");
  }
}

}  // namespace
}  // namespace korvelin::testing
