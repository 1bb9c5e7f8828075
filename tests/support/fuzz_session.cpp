#include "fuzz_session.h"

#include <algorithm>

#include "cli/command_line.h"
#include "harness.h"
#include "memory_platform.h"
#include "run/run.h"

namespace korvelin::testing {
namespace {

// Takes the scripted answers and drops the output (a long search should
// cost time, not memory), keeping only whether a run from the command line
// was refused before it started ("korvelin: ..." on standard error).
class QuietConsole : public ScriptedConsole {
 public:
  using ScriptedConsole::ScriptedConsole;
  void out(const std::string&) override {}
  void err(const std::string& line) override { refused = refused || line.starts_with("korvelin: "); }
  bool refused = false;
};

const char kOldReport[] = "an earlier report\nwhose last line has no line end";
const std::string_view kTableFlag = "%csv\n";

// The data file and an earlier report on a small disk: a long search for
// overlapping Ezones stops at "disk full", which keeps every run short
// enough for many runs a second.
void prepare(MemoryFileSystem& fs, const std::string& dataFile, const std::string& patterns) {
  fs.put(dataFile, patterns);
  fs.put("old.out", kOldReport);
  fs.setCapacity(std::size_t{1} << 19);
}

// The rules of every run: an orderly exit status (ended as asked, at a full
// disk, at unusable input or at the register's limit), no scratch file left,
// the data file untouched, an appended-to report kept whole. The data file
// is the one the run read: typed answers may name the earlier report as
// the data and the prepared data file as the report, which may then change.
std::string brokenRule(MemoryFileSystem& fs, const std::string& dataFile, const std::string& patterns, int status,
                       const std::string& read = "") {
  if (status < 0 || status > 3) return "exit status " + std::to_string(status);
  if (fs.scratchLeft()) return "scratch file left";
  if (read == "old.out" ? fs.contents("old.out") != kOldReport
                        : (read.empty() || read == dataFile) && fs.contents(dataFile) != patterns)
    return "data file changed";
  if (fs.exists("old.out") && fs.appendedTo("old.out") &&
      fs.contents("old.out").rfind(std::string(kOldReport) + "\n", 0) != 0)
    return "appending lost the earlier report";
  return {};
}

std::string runCommandLineInput(const std::string& input) {
  const std::size_t cut = input.find("\n%%\n");
  const std::vector<std::string> args = lines(input.substr(7, cut == std::string::npos ? std::string::npos : cut - 7));
  const std::string patterns = cut == std::string::npos ? "" : input.substr(cut + 4);
  MemoryFileSystem fs;
  prepare(fs, "f.dat", patterns);
  QuietConsole console(std::vector<std::string>(20, "y"));

  const int status = cli::runCommandLine(args, console, fs);
  if (const std::string broken = brokenRule(fs, "f.dat", patterns, status); !broken.empty()) return broken;
  if (console.answersRead() != 0) return "an answer was read";
  const auto names = fs.names();
  if ((console.refused || (status != 0 && status != 3)) && (names.size() != 2 || fs.contents("old.out") != kOldReport))
    return "a refused or failed run wrote a file";
  const bool mayChange = std::ranges::count(args, "--append") + std::ranges::count(args, "--overwrite") != 0;
  if (!mayChange && (!fs.exists("old.out") || fs.contents("old.out") != kOldReport))
    return "an earlier report changed without --append or --overwrite";
  return {};
}

}  // namespace

std::string runFuzzInput(const std::uint8_t* data, std::size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  if (input.starts_with("%%args\n")) return runCommandLineInput(input);
  const bool table = input.starts_with(kTableFlag);
  if (table) input.erase(0, kTableFlag.size());
  const std::string dataFile = table ? "f.csv" : "f.dat";
  const std::size_t cut = input.find("\n%%\n");
  const std::string patterns = cut == std::string::npos ? input : input.substr(0, cut);
  const std::string typed = cut == std::string::npos ? (table ? "f.csv\n" : "f\n") : input.substr(cut + 4);

  MemoryFileSystem fs;
  prepare(fs, dataFile, patterns);
  QuietConsole console(lines(typed));

  std::string read;
  const int status = runKorvelin(console, fs, SearchPath::Fast, [&read](Session& s) { read = s.settings().dataFile; });
  if (const std::string broken = brokenRule(fs, dataFile, patterns, status, read); !broken.empty()) return broken;
  if (fs.exists("old.out") && !fs.appendedTo("old.out") && status != 0 && status != 3 &&
      fs.contents("old.out") != kOldReport)
    return "a failed run overwrote the earlier report";
  return {};
}

}  // namespace korvelin::testing
