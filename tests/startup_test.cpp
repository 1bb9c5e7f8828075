// The start-up of a run, and what only the real program on a real disk
// meets: the format interpreter of the pattern file, the default report
// name, the files on the real disk, signals, a full disk, limits, locks, a
// terminal. The runs through the dialogue and the command line in memory are
// case folders under tests/cases/.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <functional>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "harness.h"
#include "input/record_format.h"
#include "run/startup.h"
#include "base/format.h"
#include "base/platform.h"

namespace korvelin::testing {
namespace {

using Ints = std::vector<int>;
using Strings = std::vector<std::string>;

struct Lines : LineSource {
  explicit Lines(Strings lines) : lines(std::move(lines)) {}
  bool next(std::string& line) override { return used < lines.size() && (line = lines[used++], true); }
  Strings lines;
  std::size_t used = 0;
};

// Pieces of `text` between `sep`s, empty ones kept; none for an empty text.
Strings pieces(const std::string& text, char sep) {
  Strings out;
  if (text.empty()) return out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(sep, from)) != std::string::npos; from = at + 1)
    out.push_back(text.substr(from, at - from));
  out.push_back(text.substr(from));
  return out;
}

Ints numbers(const std::string& text) {
  Ints values;
  std::istringstream in(text);
  for (int v; in >> v;) values.push_back(v);
  return values;
}

// The cases are in data/record_formats.txt.
TEST(RecordFormat, ReadsWritesAndRefuses) {
  std::ifstream cases(std::string(KORVELIN_TESTS_DIR) + "/data/record_formats.txt");
  ASSERT_TRUE(cases);
  int rows = 0;
  for (std::string row; std::getline(cases, row);) {
    if (row.empty() || row[0] == '#') continue;
    SCOPED_TRACE(row);
    ++rows;
    const Strings field = pieces(row, '\t');
    const auto format = RecordFormat::parse(field.at(1));
    if (field[0] == "bad") {
      EXPECT_EQ(format, nullptr);
      continue;
    }
    ASSERT_NE(format, nullptr);
    if (field[0] == "write") {
      EXPECT_EQ(format->write(numbers(field.at(2))), pieces(field.at(3), '|'));
      continue;
    }
    Lines src(pieces(field.at(2), '|'));
    Ints values;
    const bool end = field.at(3) == "end";
    const Ints want = end ? Ints{} : numbers(field[3]);
    EXPECT_EQ(format->read(src, end ? 2 : static_cast<int>(want.size()), values),
              end ? ReadStatus::EndOfFile : ReadStatus::Ok);
    if (!end) { EXPECT_EQ(values, want); }
  }
  EXPECT_GE(rows, 30);
}

namespace fs = std::filesystem;

// Without -o the report takes the data file's name with ".out" for its
// extension, whatever that was.
TEST(CommandLine, DefaultReportName) {
  const std::pair<std::string, std::string> names[] = {
      {"gel.xlsx", "gel.out"}, {"gel.dat", "gel.out"}, {"x.CSV", "x.out"},      {"./pat009", "./pat009.out"},
      {"a.", "a.out"},         {".gel", ".gel.out"},   {"v1.2/gel", "v1.2/gel.out"}};
  for (const auto& [data, report] : names) EXPECT_EQ(defaultReportName(data), report) << data;
}

// A fresh working directory of its own with copies of these examples,
// removed afterwards.
struct Folder {
  explicit Folder(const std::string& what, const Strings& examples = {})
      : path(fs::temp_directory_path() / ("korvelin-" + what + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path);
    fs::create_directories(path);
    for (const auto& e : examples) fs::copy_file(fs::path(KORVELIN_EXAMPLES) / e, path / e);
  }
  ~Folder() { fs::remove_all(path); }
  // Files the runs left that no run should leave: scratch files and the new
  // text of an overwrite.
  int leftovers() const {
    int n = 0;
    for (const auto& e : fs::directory_iterator(path)) n += e.path().extension() == ".scr" || e.path().extension() == ".new";
    return n;
  }
  std::string read(const std::string& name) const { return readTextFile((path / name).string()); }
  fs::path path;
};

// The real disk. Paths are relative to the working directory, as in a run.
TEST(DiskFiles, ReportFilesAndTheScratchFile) {
  const fs::path home = fs::current_path();
  const Folder dir("platform");
  fs::current_path(dir.path);
  const auto disk = makeDiskFileSystem();
  int status = -1;
  // Writes a line over the old contents `old` of `name`, then ends the file
  // as a run that ends well (or not) does; returns what the file holds.
  auto rewrite = [&](const std::string& name, const std::string& old, WriteMode mode, bool good = true) {
    std::ofstream(name, std::ios::binary) << old;
    if (auto out = disk->openWrite(disk->hold(name, status), mode, status)) {
      out->writeLine("new", status);
      if (good) out->close();  // else dropped
    }
    return readTextFile(name);
  };
  // Appending keeps the old report; its last line is closed if it has no line end.
  EXPECT_EQ(rewrite("a.out", "old 1\nunfinished", WriteMode::Append), "old 1\nunfinished\nnew\n");
  EXPECT_EQ(rewrite("b.out", "old\n", WriteMode::Append, false), "old\nnew\n");
  // Overwrites (committed only when the run ends well, keeping the old
  // file's permissions) and the lock that keeps one run per report file
  // are met by the real runs below.
  EXPECT_EQ(dir.leftovers(), 0);

  // Pipes, folders and links as report names are met by a real run below.
  EXPECT_EQ(disk->kindOf("/dev/null"), FileKind::Device);
  EXPECT_EQ(disk->kindOf(std::string("a.out\0x", 7)), FileKind::Other);  // no file has a NUL in its name

  // Only plain files are pattern files: a device might never end its first line.
  EXPECT_FALSE(disk->openRead("/dev/./zero", status));
  EXPECT_NE(status, 0);
  EXPECT_FALSE(disk->openRead(".", status));
  EXPECT_FALSE(disk->openRead(std::string("a.out\0x", 7), status));  // no name holds a NUL
  EXPECT_TRUE(disk->openRead("a.out", status));
  EXPECT_TRUE(disk->sameFile("a.out", "./a.out"));
  EXPECT_FALSE(disk->sameFile("a.out", "b.out"));
  // A file, made or not yet made, is the same through a link to its folder;
  // a folder that does not exist takes no file.
  fs::create_directory_symlink(".", "here");
  EXPECT_EQ(disk->identity("here/a.out") + disk->identity("here/new.out"),
            disk->identity("a.out") + disk->identity("new.out"));
  EXPECT_EQ(disk->creatable("nodir/d.json"), ENOENT);

  // The scratch file is created exclusively: a link planted under the name
  // the run would take first is neither followed nor truncated, and two
  // runs never share a file.
  std::ofstream("victim") << "keep me";
  fs::create_symlink("victim", ".korvelin-" + std::to_string(::getpid()) + "-0.scr");
  std::string first, second;
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
  fs::current_path(home);
}

// The real program in a working directory, with these arguments, typed
// into through a pipe, with what it writes to standard output and error read
// back. `inChild` runs in the new process before the program starts (limits,
// another standard output).
struct RealRun {
  explicit RealRun(const fs::path& dir, Strings args = {}, const std::function<void()>& inChild = {}) {
    std::signal(SIGPIPE, SIG_IGN);  // typing into a run that has ended
    std::vector<char*> argv{const_cast<char*>("korvelin")};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int p[3][2];
    for (auto& fds : p)
      if (::pipe(fds) != 0) throw std::runtime_error("pipe");
    if ((pid_ = ::fork()) == 0) {
      for (int fd = 0; fd < 3; ++fd) ::dup2(p[fd][fd == 0 ? 0 : 1], fd);
      for (auto& fds : p) ::close(fds[0]), ::close(fds[1]);
      if (::chdir(dir.c_str()) != 0) ::_exit(126);
      if (inChild) inChild();
      ::execv(KORVELIN_BINARY, argv.data());
      ::_exit(127);
    }
    ::close(p[0][0]), ::close(p[1][1]), ::close(p[2][1]);
    in_ = p[0][1], out_ = p[1][0], err_ = p[2][0];
  }
  ~RealRun() {
    if (pid_ > 0) finish();
  }
  void type(const std::string& text) { [[maybe_unused]] auto n = ::write(in_, text.data(), text.size()); }
  // Reads standard output until `text` has come `times` times.
  bool waitFor(const std::string& text, int times = 1) {
    while (count(out, text) < times)
      if (!readSome(out_, out)) return false;
    return true;
  }
  void signal(int number) { ::kill(pid_, number); }
  // Closes the keyboard and waits for the end: the exit status, or minus
  // the signal that killed the program.
  int finish() {
    ::close(in_);
    while (readSome(out_, out) || readSome(err_, err)) continue;
    ::close(out_), ::close(err_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }
  static bool readSome(int fd, std::string& into) {
    char chunk[4096];
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n > 0) into.append(chunk, static_cast<std::size_t>(n));
    return n > 0;
  }
  std::string out, err;
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1, err_ = -1;
};

// For the child of a real run: at most `bytes` of the resource.
std::function<void()> limited(int resource, rlim_t bytes) {
  return [resource, bytes] {
    const rlimit limit{bytes, bytes};
    ::setrlimit(resource, &limit);
  };
}

std::string example(const std::string& file) { return readTextFile(std::string(KORVELIN_EXAMPLES) + "/" + file); }

const std::string kGoodPatterns = "3\n(3I1)\n110\n011\n111\n010\n";
const std::string kInterrupted = " ** Interrupted - the run ends\n" + ruler() + "\n";

// One row per real run: what is typed, what the process meets (a limit,
// another standard output, a signal once the run waits at a prompt), its
// status and the one message it must show.
//  - A stop signal (Ctrl-C, a closed terminal, kill, Ctrl-\) ends the run in
//    order at the question or pause it waits at: the report keeps what was
//    written, then the message and the ruler; the status is 128 + the
//    signal. The handlers are in place before any file is made.
//  - A write that fails ends the run with status 1 and a message where it can
//    be seen: standard output to a full disk or a closed pipe, and a report
//    file beyond the file-size limit (SIGXFSZ is ignored: the write fails).
// Either way no scratch file and no new text of an overwrite is left, the
// old report stays, and the ruler is last.
TEST(RealRuns, StopSignalsAndFailedWritesEndTheRunInOrder) {
  const Folder dir("ends", {"dimer.dat", "overlap.dat"});
  std::ofstream(dir.path / "p.dat") << kGoodPatterns;
  std::string dimerAnswers = example("dimer.answers");
  dimerAnswers.erase(dimerAnswers.rfind("n\n"));  // up to the offer
  std::string dimerReport = example("expected/dimer.out");
  dimerReport.resize(dimerReport.size() - ruler().size() - 1);
  const std::string allEzones = "overlap\nf\n\nz\n\n\ny\n0\n8\n", writing = "in WRITing of standard output";
  struct Case {
    std::string typed;
    std::function<void()> inChild;
    int signal;           // sent once `waitFor` came `times` times: a prompt the run
    std::string waitFor;  // waits at, the scratch file or the new text of an
    int times;            // overwrite made by then
    int status;
    std::string message;  // on standard output, else on standard error
    bool onErr;
  };
  std::vector<Case> cases{
      {dimerAnswers, {}, SIGINT, "Yes=\"y\", No=\"n\"", 1, 128 + SIGINT, kInterrupted, false},
      {"p\nf\nold.out\no\n", {}, SIGTERM, "Type of pattern", 1, 128 + SIGTERM, kInterrupted, false},
      {allEzones, [] { ::dup2(::open("/dev/full", O_WRONLY), 1); }, 0, "", 0, 1, writing, true},
      {allEzones, [] { int p[2]; if (::pipe(p) == 0) ::dup2(p[1], 1), ::close(p[0]); }, 0, "", 0, 1, writing, true},
      {allEzones, limited(RLIMIT_FSIZE, 20000), 0, "", 0, 1, "in WRITing of overlap.out", false}};
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
    cases.push_back({"p\ns\nz\n\n", {}, signal, "<Press Return to continue>", 2, 128 + signal, kInterrupted, false});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed + std::to_string(c.signal) + c.message);
    for (const char* report : {"dimer.out", "overlap.out"}) fs::remove(dir.path / report);
    std::ofstream(dir.path / "old.out") << "old report\n";
    RealRun run(dir.path, {}, c.inChild);
    run.type(c.typed);
    if (c.signal) {
      ASSERT_TRUE(run.waitFor(c.waitFor, c.times));
      EXPECT_EQ(dir.leftovers(), 1);
      run.signal(c.signal);
    }
    EXPECT_EQ(run.finish(), c.status);
    const std::string& where = c.onErr ? run.err : run.out;
    EXPECT_EQ(count(where, c.message), 1) << where;
    EXPECT_TRUE(where.ends_with(c.signal ? kInterrupted : ruler() + "\n"));
    EXPECT_EQ(dir.leftovers(), 0);
    EXPECT_EQ(dir.read("old.out"), "old report\n");
    if (c.typed == dimerAnswers) { EXPECT_EQ(firstDifference(dimerReport + kInterrupted, dir.read("dimer.out")), ""); }
    if (c.message.ends_with("overlap.out")) { EXPECT_EQ(fs::file_size(dir.path / "overlap.out"), 20000u); }
  }
}

#if defined(__SANITIZE_ADDRESS__)
#define KORVELIN_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORVELIN_UNDER_ASAN 1
#endif
#endif

// Memory that runs out ends the run with a message and status 1: at once,
// and while a 60 MB pattern line is read (a failed read is no end of data).
TEST(RealRuns, MemoryExhausted) {
#ifdef KORVELIN_UNDER_ASAN
  GTEST_SKIP() << "the address sanitizer needs far more address space";
#else
  const Folder dir("memory");
  std::ofstream(dir.path / "p.dat") << "3\n(3I1)\n101\n" << std::string(60 << 20, '1') << "\n011\n";
  // Memory that runs out as the run starts: how much the program needs
  // before its first allocation depends on the libraries it loads, so the
  // limit is raised step by step from where the loader itself fails (127)
  // to where the run gets going. Every limit in between must end with the
  // message on standard error and status 1, never with an abort.
  int stoppedEarly = 0;
  for (rlim_t kilobytes = 4000; kilobytes <= 40000; kilobytes += 250) {
    RealRun early(dir.path, {}, limited(RLIMIT_AS, kilobytes << 10));
    early.type("p\ns\nz\n");
    const int status = early.finish();
    if (status == 127) continue;
    // Static objects of the libraries allocate before the program starts;
    // when they cannot, the C++ runtime aborts before a line of ours runs.
    if (status == -SIGABRT && early.out.empty() && early.err.starts_with("terminate called without an active exception"))
      continue;
    EXPECT_GE(status, 0) << kilobytes << ": killed by a signal";
    if (!early.err.ends_with(" ** The run stopped: memory exhausted\n")) break;  // the run got going
    EXPECT_EQ(status, 1) << kilobytes;
    ++stoppedEarly;
  }
  EXPECT_GT(stoppedEarly, 0);

  RealRun longLine(dir.path, {}, limited(RLIMIT_AS, rlim_t(60000) << 10));
  longLine.type("p\ns\nz\n\n\n");
  EXPECT_EQ(longLine.finish(), 1);
  EXPECT_EQ(count(longLine.out, " in READing line            4  of p.dat"), 1) << longLine.out;
  EXPECT_EQ(dir.leftovers(), 0);
#endif
}

// Only a plain file that no other run holds takes the report: a named pipe,
// a directory, a symbolic link (dangling or not) and a locked file are each
// refused with a message and the name is asked again; nothing is followed,
// created or hung on.
TEST(RealRuns, OnlyAFreePlainFileTakesTheReport) {
  const Folder dir("names");
  std::ofstream(dir.path / "p.dat") << kGoodPatterns;
  std::ofstream(dir.path / "victim") << "keep me";
  fs::create_directory(dir.path / "dir.out");
  fs::create_symlink("victim", dir.path / "link.out");
  fs::create_symlink("nowhere", dir.path / "dangling.out");
  ASSERT_EQ(::mkfifo((dir.path / "fifo.out").c_str(), 0600), 0);
  std::ofstream(dir.path / "held.out") << "another run's report\n";
  const int other = ::open((dir.path / "held.out").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(other, LOCK_EX), 0);
  RealRun run(dir.path);
  run.type("p\nf\nfifo.out\ndir.out\nlink.out\ndangling.out\nheld.out\np.out\nz\n" + std::string(20, '\n'));
  EXPECT_EQ(run.finish(), 0);
  ::close(other);
  for (const std::string refusal : {"fifo.out is a named pipe", "dir.out is a directory", "link.out is a symbolic link",
                                    "dangling.out is a symbolic link", "held.out is in use by another run"})
    EXPECT_EQ(count(run.out, "\n ** " + refusal), 1) << refusal << "\n" << run.out;
  EXPECT_EQ(dir.read("victim"), "keep me");
  EXPECT_EQ(dir.read("held.out"), "another run's report\n");
  EXPECT_FALSE(fs::exists(dir.path / "nowhere"));
  EXPECT_TRUE(dir.read("p.out").ends_with(ruler() + "\n"));

  // An overwrite that ends well replaces the old report and keeps its permissions.
  fs::permissions(dir.path / "p.out", fs::perms::owner_read | fs::perms::owner_write);
  RealRun again(dir.path);
  again.type("p\nf\np.out\no\nz\n" + std::string(20, '\n'));
  EXPECT_EQ(again.finish(), 0);
  EXPECT_EQ(count(dir.read("p.out"), "K O R V E L I N"), 1);
  EXPECT_EQ(fs::status(dir.path / "p.out").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(dir.leftovers(), 0);
}

// The progress line of a split request shows on a terminal and is erased at
// the end; never when standard error is a file.
TEST(CommandLine, ProgressLineOnlyOnATerminal) {
  const Folder dir("progress", {"overlap.dat"});
  int terminal = -1, screen = -1;
  ASSERT_EQ(::openpty(&terminal, &screen, nullptr, nullptr, nullptr), 0);
  RealRun run(dir.path, {"overlap.dat", "--split", "3", "-o", "a.out"}, [screen] { ::dup2(screen, 2); });
  ::close(screen);
  std::string shown;
  while (RealRun::readSome(terminal, shown)) continue;
  ::close(terminal);
  EXPECT_EQ(run.finish(), 0);
  const auto line = shown.rfind("\rSplitting Ezone 3: combination ");
  ASSERT_NE(line, std::string::npos) << shown;
  const auto end = shown.find('\r', line + 1);
  ASSERT_NE(end, std::string::npos);
  const std::size_t width = end - line - 1;
  EXPECT_EQ(shown.substr(end, width + 2), "\r" + std::string(width, ' ') + "\r") << "the line is erased";
  EXPECT_NE(run.out.find("Report: a.out"), std::string::npos);

  RealRun plain(dir.path, {"overlap.dat", "--split", "3", "-o", "b.out"});
  EXPECT_EQ(plain.finish(), 0);
  EXPECT_EQ(plain.err, "");
  EXPECT_EQ(dir.read("a.out"), dir.read("b.out"));
  EXPECT_NE(plain.out.find("Hypothesis 1 (Ezone 3 split"), std::string::npos);
}

// What only a real disk shows: an appended report put in place whole, and
// the leftovers of a run killed outright (no process of that number)
// removed, while nothing of this run's own is left.
TEST(CommandLine, OnDiskAppendAndLeftovers) {
  const Folder dir("disk", {"dimer.dat"});
  const std::string dead = ".korvelin-2147483000-0";
  for (const char* suffix : {".new", ".scr"}) std::ofstream(dir.path / (dead + suffix)) << "left by a killed run";
  std::ofstream(dir.path / "dimer.out") << "old report without its line end";
  RealRun append(dir.path, {"dimer.dat", "-q", "--append", "--json", "d.json"});
  EXPECT_EQ(append.finish(), 0) << append.err;
  const std::string report = dir.read("dimer.out");
  EXPECT_TRUE(report.starts_with("old report without its line end\n .---")) << report.substr(0, 80);
  EXPECT_TRUE(report.ends_with(ruler() + "\n"));
  EXPECT_TRUE(fs::exists(dir.path / "d.json"));
  for (const auto& entry : fs::directory_iterator(dir.path))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".korvelin-")) << entry.path();
}

}  // namespace
}  // namespace korvelin::testing
