#include "fuzz_session.h"

#include "harness.h"
#include "run/memory_platform.h"
#include "run/run.h"

namespace korvelin::testing {
namespace {

// Takes the scripted answers and drops the output: a long search should
// cost time, not memory.
class QuietConsole : public ScriptedConsole {
 public:
  using ScriptedConsole::ScriptedConsole;
  void out(const std::string&) override {}
  void err(const std::string&) override {}
};

const char kOldReport[] = "an earlier report\nwhose last line has no line end";

}  // namespace

std::string runFuzzInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = input.find("\n%%\n");
  const std::string patterns = cut == std::string::npos ? input : input.substr(0, cut);
  const std::string typed = cut == std::string::npos ? "f\n" : input.substr(cut + 4);

  MemoryFileSystem fs;
  fs.put("f.dat", patterns);
  fs.put("old.out", kOldReport);
  // A small disk: a long search for overlapping Ezones stops at "disk full",
  // which keeps every run short enough for many runs a second.
  fs.setCapacity(std::size_t{1} << 19);
  QuietConsole console(lines(typed));

  const int status = runKorvelin(console, fs);
  // Ends as asked, at a full disk, at unusable input or at the register's limit.
  if (status < 0 || status > 3) return "exit status " + std::to_string(status);
  if (fs.scratchLeft()) return "scratch file left";
  if (fs.contents("f.dat") != patterns) return "data file changed";
  if (fs.exists("old.out") && fs.appendedTo("old.out") &&
      fs.contents("old.out").rfind(std::string(kOldReport) + "\n", 0) != 0)
    return "appending lost the earlier report";
  if (fs.exists("old.out") && !fs.appendedTo("old.out") && status != 0 && status != 3 &&
      fs.contents("old.out") != kOldReport)
    return "a failed run overwrote the earlier report";
  return {};
}

}  // namespace korvelin::testing
