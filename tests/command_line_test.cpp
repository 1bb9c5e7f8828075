// Runs from the command line that need what the in-memory runs of
// tests/cases/command-line cannot give: a terminal, a real disk. And the
// default name of the report.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "base/format.h"
#include "harness.h"
#include "run/startup.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;

// Without -o the report takes the data file's name with ".out" for its
// extension, whatever that was.
TEST(CommandLine, DefaultReportName) {
  const std::pair<std::string, std::string> names[] = {
      {"gel.xlsx", "gel.out"}, {"gel.dat", "gel.out"}, {"x.CSV", "x.out"},      {"./pat009", "./pat009.out"},
      {"a.", "a.out"},         {".gel", ".gel.out"},   {"v1.2/gel", "v1.2/gel.out"}};
  for (const auto& [data, report] : names) EXPECT_EQ(defaultReportName(data), report) << data;
}

// A folder of its own on the real disk with a copy of an example, removed
// at the end; `run` gives the program's exit status there.
struct Folder {
  explicit Folder(const std::string& example)
      : dir(fs::temp_directory_path() / ("korvelin-" + std::to_string(::getpid()) + "-" + example)) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(fs::path(KORVELIN_EXAMPLES) / example, dir / example);
  }
  ~Folder() { fs::remove_all(dir); }
  int run(const std::string& args) const {
    const int status = std::system(("cd '" + dir.string() + "' && " + KORVELIN_BINARY + " " + args).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string operator[](const std::string& name) const { return readTextFile((dir / name).string()); }
  const fs::path dir;
};

// The progress line of a split request shows on a terminal and is erased at
// the end; never when standard error is a file.
TEST(CommandLine, ProgressLineOnlyOnATerminal) {
  const Folder folder("overlap.dat");
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::chdir(folder.dir.c_str()) != 0) ::_exit(120);
    ::execl(KORVELIN_BINARY, "korvelin", "overlap.dat", "--split", "3", "-o", "a.out", static_cast<char*>(nullptr));
    ::_exit(121);
  }
  std::string screen;
  char buffer[4096];
  for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) screen.append(buffer, static_cast<std::size_t>(n));
  int status = 0;
  ::waitpid(child, &status, 0);
  ::close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const auto shown = screen.rfind("\rSplitting Ezone 3: combination ");
  ASSERT_NE(shown, std::string::npos) << screen;
  const auto end = screen.find('\r', shown + 1);
  ASSERT_NE(end, std::string::npos);
  const std::size_t width = end - shown - 1;
  EXPECT_EQ(screen.substr(end, width + 2), "\r" + std::string(width, ' ') + "\r") << "the line is erased";
  EXPECT_NE(screen.find("Report: a.out"), std::string::npos);

  ASSERT_EQ(folder.run("overlap.dat --split 3 -o b.out > out.txt 2> err.txt"), 0);
  EXPECT_EQ(folder["err.txt"], "");
  EXPECT_EQ(folder["a.out"], folder["b.out"]);
  EXPECT_NE(folder["out.txt"].find("Hypothesis 1 (Ezone 3 split"), std::string::npos);
}

// What only a real disk shows: a folder reached through a link, a folder
// that does not exist, an appended report put in place whole, and the
// leftovers of a run killed outright (no process of that number) removed,
// while nothing of this run's own is left.
TEST(CommandLine, OnDiskNamesAndLeftovers) {
  const Folder folder("dimer.dat");
  const fs::path& dir = folder.dir;
  fs::create_directory_symlink(".", dir / "here");
  EXPECT_EQ(folder.run("dimer.dat -q --json here/dimer.out 2> err.txt"), 2);
  EXPECT_EQ(folder["err.txt"], "korvelin: here/dimer.out: the report file and the JSON would be one file\n");
  EXPECT_EQ(folder.run("dimer.dat -q --json nodir/d.json 2> err.txt"), 1);
  EXPECT_EQ(folder["err.txt"], "korvelin: nodir/d.json: cannot create: No such file or directory\n");
  EXPECT_FALSE(fs::exists(dir / "dimer.out"));

  const std::string dead = ".korvelin-2147483000-0";
  for (const char* suffix : {".new", ".scr"}) std::ofstream(dir / (dead + suffix)) << "left by a killed run";
  std::ofstream(dir / "dimer.out") << "old report without its line end";
  EXPECT_EQ(folder.run("dimer.dat -q --append --json d.json 2> err.txt"), 0) << folder["err.txt"];
  const std::string report = folder["dimer.out"];
  EXPECT_TRUE(report.starts_with("old report without its line end\n .---")) << report.substr(0, 80);
  EXPECT_TRUE(report.ends_with(ruler() + "\n"));
  EXPECT_TRUE(fs::exists(dir / "d.json"));
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".korvelin-")) << entry.path();
}

}  // namespace
}  // namespace korvelin::testing
