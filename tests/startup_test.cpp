// The start-up of a run: the format interpreter of the pattern file, the
// files on disk, and whole sessions through the dialogue and the pattern
// input, with the ways a run can end, where the transcripts do not show them
// (every transcript also checks that no scratch file is left). Carriage
// returns, a 2 or a leading 9 ending the data, (5I1) for ten Ezones and a
// letter in a pattern are met in the reference transcripts.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <tuple>

#include "harness.h"
#include "input/record_format.h"
#include "run/format.h"
#include "run/memory_platform.h"
#include "run/platform.h"
#include "run/run.h"

namespace korvelin::testing {
namespace {

using Ints = std::vector<int>;
using Strings = std::vector<std::string>;

struct Lines : LineSource {
  explicit Lines(Strings lines) : lines(std::move(lines)) {}
  bool next(std::string& line) override {
    if (used == lines.size()) return false;
    line = lines[used++];
    return true;
  }
  Strings lines;
  std::size_t used = 0;
};

// A format that the parser rejects fails the test (gtest reports the exception).
std::unique_ptr<RecordFormat> parsed(const char* text) {
  if (auto f = RecordFormat::parse(text)) return f;
  throw std::invalid_argument(std::string("format rejected: ") + text);
}

// The formats that the data files of the examples and reference runs use
// ((nI1), (2X,3I2), (2(5I1,1X),1I1), (4I1) over two lines, ...) are read
// and echoed in those whole-session transcripts; these are the rest.
TEST(RecordFormat, ReadsFieldsSkipsAndGroups) {
  const std::tuple<const char*, Strings, Ints> cases[] = {
      {"(5I1)", {"1 1"}, {1, 0, 1, 0, 0}},  // short line padded; a blank field is 0
      {"(3I3)", {"1 0  1   "}, {10, 1, 0}},  // blanks inside a field are ignored
      {"(4I3)", {" -1+2 - 3 +0"}, {-1, 2, -3, 0}},
      {"(2I11)", {"-2147483648 2147483647"}, {-2147483648, 2147483647}},
      {"(t5,I1,tl3,I1,TR2,i1)", {"9876543"}, {5, 7, 4}},
      {"(3Hxyz,I1)", {"abc7"}, {7}},
      {"(2I1/2I1,2/I1)", {"12", "34", "x", "5"}, {1, 2, 3, 4, 5}},
      {"(2(2(I1,1X),I1))", {"1 2 34 5 6"}, {1, 2, 3, 4, 5, 6}},
      // Reversion repeats the last top-level group with its count, not the 1X before it ...
      {"(1X,2(2I1))", {"x1234", "5678", "9"}, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      // ... the whole group, not its inner one, and goes on past it.
      {"(I1,2(1X,(I1)),I2)", {"1 2 345", " 6 789"}, {1, 2, 3, 45, 6, 7, 89}},
  };
  for (const auto& [format, in, want] : cases) {
    Lines src(in);
    Ints values;
    EXPECT_EQ(parsed(format)->read(src, static_cast<int>(want.size()), values), ReadStatus::Ok);
    EXPECT_EQ(values, want) << format;
  }
  // Fields that are no integers and formats that cannot be used are in the
  // table of bad inputs; a file may also end inside a pattern.
  for (const auto& [format, in] : {std::pair<const char*, Strings>{"(5I1)", {}}, {"(I1/I1)", {"1"}}}) {
    Lines src(in);
    Ints values;
    EXPECT_EQ(parsed(format)->read(src, 2, values), ReadStatus::EndOfFile) << format;
  }
  for (const char* bad : {"(F5.2)", "((I1)", "(I)", "(0I1)", "(I1.)", "(T0)", "(2T5)", "(4096(4096(4096X)))"})
    EXPECT_EQ(RecordFormat::parse(bad), nullptr) << bad;
}

// Output stops at the first integer field after the last value.
TEST(RecordFormat, Writes) {
  const std::tuple<const char*, Ints, Strings> cases[] = {
      {"(1H ,2(2i1))", {1, 2, 3, 4, 5, 6}, {" 1234", "56"}},  // a new line from the last group on
      {"(1h ,(4I1))", {}, {" "}},
      {"(I1,3H ab,I1)", {1}, {"1 ab"}},
      {"(I1,/)", {1}, {"1", ""}},
      {"(I1,(1X))", {1, 2}, {"1"}},
      {"(I2,I2)", {100, -5}, {"**-5"}},
      {"(I4.3)", {-7}, {"-007"}},
      {"(2I1,3X)", {1, 2}, {"12"}},
      {"(T4,I1,T1,I1)", {1, 2}, {"2  1"}},
      {"('x''y',I1)", {1}, {"x'y1"}},
  };
  for (const auto& [format, values, want] : cases) EXPECT_EQ(parsed(format)->write(values), want) << format;
}

namespace fs = std::filesystem;

// The real disk, in a fresh working directory of its own: scratch-file names
// are relative to it, as in a real run.
TEST(DiskFiles, ReportFilesAndTheScratchFile) {
  const fs::path home = fs::current_path();
  const fs::path dir = fs::temp_directory_path() / ("korvelin-platform-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::current_path(dir);
  const auto disk = makeDiskFileSystem();
  // Writes a line over the old contents `old` of `name`; returns the result.
  auto rewrite = [&](const std::string& name, const std::string& old, WriteMode mode) {
    std::ofstream(name, std::ios::binary) << old;
    int status = -1;
    if (auto out = disk->openWrite(name, mode, status); out && status == 0) out->writeLine("new", status);
    return readTextFile(name);
  };
  // Appending keeps the old report; its last line is closed if it has no line end.
  EXPECT_EQ(rewrite("a.out", "old 1\nold 2\n", WriteMode::Append), "old 1\nold 2\nnew\n");
  EXPECT_EQ(rewrite("b.out", "old 1\nunfinished", WriteMode::Append), "old 1\nunfinished\nnew\n");
  EXPECT_EQ(rewrite("c.out", std::string(500, 'x') + "\n", WriteMode::Overwrite), "new\n");
  int status = -1;

  // Only plain files are pattern files: a device might never end its first line.
  EXPECT_FALSE(disk->openRead("/dev/./zero", status));
  EXPECT_NE(status, 0);
  EXPECT_FALSE(disk->openRead(".", status));
  EXPECT_TRUE(disk->openRead("a.out", status));
  EXPECT_TRUE(disk->sameFile("a.out", "./a.out"));
  EXPECT_FALSE(disk->sameFile("a.out", "b.out"));

  // The scratch file is created exclusively: a link planted under the name
  // the run would take first is neither followed nor truncated, and two
  // runs never share a file.
  std::ofstream("victim") << "keep me";
  fs::create_symlink("victim", ".korvelin-" + std::to_string(::getpid()) + "-0.scr");
  std::string first;
  std::string second;
  auto store = disk->createScratch(first, status);
  ASSERT_TRUE(store);
  auto other = disk->createScratch(second, status);
  ASSERT_TRUE(other);
  EXPECT_NE(first, second);
  EXPECT_FALSE(fs::is_symlink(first));
  store->write(3, 7);  // 4-byte records from 1
  store.reset();
  const std::int32_t seven = 7;
  EXPECT_EQ(readTextFile(first), std::string(8, '\0') + std::string(reinterpret_cast<const char*>(&seven), 4));
  EXPECT_EQ(readTextFile("victim"), "keep me");
  disk->remove(first);
  EXPECT_FALSE(disk->exists(first));

  // A full disk: the loss is reported by the write or, for what was still
  // buffered, by the close.
  if (fs::exists("/dev/full")) {
    auto full = disk->openWrite("/dev/full", WriteMode::Overwrite, status);
    ASSERT_TRUE(full);
    bool written = true;
    for (int i = 0; i < 20000 && written; ++i) written = full->writeLine(std::string(70, '='), status);
    EXPECT_FALSE(written);
    EXPECT_EQ(status, ENOSPC);
    auto small = disk->openWrite("/dev/full", WriteMode::Overwrite, status);
    ASSERT_TRUE(small);
    EXPECT_TRUE(small->writeLine("one line", status));
    EXPECT_EQ(small->close(), ENOSPC);
  }
  fs::current_path(home);
  fs::remove_all(dir);
}

// Stopped by a signal while it waits at a pause (Ctrl-C, a closed
// terminal, kill, a closed pipe), the real program still takes its scratch
// file away.
TEST(DiskFiles, ScratchFileGoesWhenTheRunIsStopped) {
  const fs::path dir = fs::temp_directory_path() / ("korvelin-signal-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "p.dat") << "3\n(3I1)\n110\n011\n111\n010\n";
  auto scratchFiles = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += e.path().extension() == ".scr";
    return n;
  };
  for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    int keyboard[2];
    ASSERT_EQ(::pipe(keyboard), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::dup2(keyboard[0], 0);
      ::close(keyboard[1]);
      if (::freopen("/dev/null", "w", stdout) == nullptr || ::chdir(dir.c_str()) != 0) ::_exit(2);
      ::execl(KORVELIN_BINARY, "korvelin", static_cast<char*>(nullptr));
      ::_exit(3);
    }
    ::close(keyboard[0]);
    // The file dialogue and the first pause; the run then waits at the next.
    const std::string typed = "p\ns\nz\n\n";
    ASSERT_EQ(::write(keyboard[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    for (int wait = 0; wait < 500 && scratchFiles() == 0; ++wait) ::usleep(10000);
    EXPECT_EQ(scratchFiles(), 1) << signal;
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(keyboard[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    EXPECT_EQ(scratchFiles(), 0) << signal;
  }
  fs::remove_all(dir);
}

// Two hypotheses, so the second report is announced by "For results see".
const std::string kPat = "3\n(3I1)\n110\n011\n111\n010\n9\n";
const std::string kRuler = ruler() + "\n";

Transcript run(const std::string& data) { return runSession({{"p.dat", data}}, consoleAnswers("p.dat")); }

// The echo (with the redundancy note) up to the pause, and the found line of
// the drawing: the sample size and how often each pattern was seen.
TEST(Indata, PatternsAreStoredOnceCountedAndEchoed) {
  auto note = [](int n) {
    return " Note: Original data contained   " + std::to_string(n) + " patterns more than once (redundant)";
  };
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"4\n(4I1)\n1010\n0110\n1010\n9\n", {" 1010", " 0110", note(1)}, "[  3]   2  1"},
      {"\xEF\xBB\xBF" "4\n(4I1)\n1010\n0110\n1010", {" 1010", " 0110", note(1)}, "[  3]   2  1"},  // no end line
      {"3\n(3I1)\n101\n101\n101\n101\n", {" 101", note(3)}, "[  4]   4"},
      {"3\n(3I1)\n", {}, "[  0] "},
  };
  for (auto [file, echo, found] : cases) {
    const std::string out = run(file).out;
    echo.insert(echo.begin(), " Banding patterns as input (each line represents a pattern):");
    echo.push_back(" <Press Return to continue>");
    EXPECT_TRUE(hasLines(out, echo)) << out;
    EXPECT_EQ(count(out, "\n No.found   " + found + "\n"), 1) << out;
  }
}

// Appending (the default) is met in a reference transcript.
TEST(Dialogue, ExistingOutputFileOverwritten) {
  std::vector<std::string> answers{"pat", "f", "my out", "O", "z"};
  answers.resize(200);  // the pauses
  const auto t = runSession({{"pat.dat", kPat}, {"my out", "OLD 1\nOLD 2"}}, answers);
  EXPECT_TRUE(t.files.at("my out").starts_with(" ." + std::string(59, '-') + "."));  // the banner first
  EXPECT_EQ(count(t.out, " For results see output file <my>\n"), 1);  // the name up to its first blank
}

}  // namespace
}  // namespace korvelin::testing
