// Runs from the command line: the same report as the dialogue given the
// same choices, the usage errors, the refused existing report, the report
// on standard output, the quiet run, several split requests, and the
// progress line on a terminal, and the data files written beside the report.

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <new>
#include <set>

#include "cli/command_line.h"
#include "harness.h"
#include "base/format.h"
#include "run/startup.h"
#include "version.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// The files a run created or changed.
std::map<std::string, std::string> produced(const std::map<std::string, std::string>& inputs, const Transcript& t) {
  std::map<std::string, std::string> files;
  for (const auto& [name, text] : t.files)
    if (!inputs.contains(name) || inputs.at(name) != text) files[name] = text;
  return files;
}

// Each worked example and each reference run that writes a report, with the
// options that say what its answers say.
struct Equivalent {
  std::string folder;  // under tests/, or "examples/<name>"
  Strings args;
};
const Equivalent kEquivalents[] = {
    {"examples/competing", {"competing.dat"}},
    {"examples/dimer", {"dimer.dat"}},
    {"examples/dna", {"dna.dat", "--dna"}},
    {"examples/interlocus", {"interlocus.dat"}},
    {"examples/modified", {"modified.dat"}},
    {"examples/monomer", {"monomer.dat"}},
    {"examples/null", {"null.dat"}},
    {"examples/overlap", {"overlap.dat", "--split", "3"}},
    {"conformance/dialogue-output-file-exists-append", {"bad.dat", "--append"}},
    {"conformance/rand-007", {"rand-007.dat"}},
    {"conformance/rand-016", {"rand-016.txt"}},
    {"conformance/real-002", {"real-002.dat"}},
    {"conformance/real-009", {"./pat009", "-o", "patout"}},
    {"conformance/real-014", {"real-014.dat"}},
    {"conformance/real-016", {"real-016.dat"}},
    {"conformance/real-022", {"real-022.dat", "-o", "result022.lst"}},
    {"conformance/real-039", {"--dna", "real-039.dat"}},
    {"conformance/real-048", {"real-048.dat", "--split", "all", "--max-n", "3"}},
    {"conformance/real-053", {"real-053.dat", "--split=2"}},
    {"golden/report-dna-nulls", {"dnanul.dat", "--dna"}},
    {"golden/report-hybrids-ptm", {"hyb.dat"}},
    {"golden/split-all-maximal-n", {"twofixed.dat", "--split", "0", "--max-n", "2"}},
    {"golden/split-overlap-recovered", {"overlap.dat", "--split", "2"}},
    {"golden/short-name-blank-lines", {"a.", "-o", "out"}},
};

// The data files and the answers of a case.
std::pair<std::map<std::string, std::string>, Strings> dialogueOf(const std::string& folder) {
  ShippedRun run = shippedRun(KORVELIN_EXAMPLES, KORVELIN_TESTS_DIR, folder);
  return {std::move(run.files), std::move(run.answers)};
}

TEST(CommandLine, WritesTheReportTheDialogueWrites) {
  std::set<std::string> covered;
  for (const auto& [folder, args] : kEquivalents) {
    SCOPED_TRACE(folder);
    covered.insert(folder);
    const auto [inputs, answers] = dialogueOf(folder);
    const Transcript dialogue = runSession(inputs, answers);
    const Transcript line = runCommandLineSession(inputs, args);
    EXPECT_EQ(line.status, dialogue.status);
    EXPECT_EQ(line.answersRead, 0u);
    EXPECT_FALSE(scratchLeft(line));
    const auto want = produced(inputs, dialogue), got = produced(inputs, line);
    ASSERT_EQ(want.size(), 1u);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got.begin()->first, want.begin()->first);
    EXPECT_EQ(firstDifference(want.begin()->second, got.begin()->second), "");
    // Standard output: a line for each hypothesis, the totals, the report.
    EXPECT_EQ(count(line.out, "Total: "), count(want.begin()->second, " Total number of hypotheses found")) << line.out;
    EXPECT_EQ(count(line.out, "Hypothesis "), count(want.begin()->second, " Hypothesis ")) << line.out;
    const auto out = lines(line.out);
    ASSERT_FALSE(out.empty());
    EXPECT_TRUE(out.back().starts_with("Report: ") && out.back().ends_with(want.begin()->first)) << out.back();
    // Standard error: the hint when the strict search found nothing, and
    // the messages that the dialogue shows on its console.
    const std::string& report = want.begin()->second;
    const bool none = count(report, " Total number of hypotheses found") > 0 && count(report, " Hypothesis ") == 0;
    const std::string hint = "Note: no hypothesis was found.";
    EXPECT_EQ(count(line.err, hint), none ? 1 : 0);
    for (const auto& message : lines(line.err)) {
      if (message.starts_with(hint)) continue;
      EXPECT_TRUE(message.starts_with(" ** ")) << message;
      EXPECT_TRUE(hasLines(dialogue.out, {message})) << message;
    }
  }
  // Every case that writes a report is in the table.
  for (const ShippedRun& run : shippedRuns(KORVELIN_EXAMPLES, KORVELIN_TESTS_DIR)) {
    if (run.name.starts_with("examples/") || fs::exists(fs::path(KORVELIN_TESTS_DIR) / run.name / "expected/files")) {
      EXPECT_TRUE(covered.contains(run.name)) << run.name;
    }
  }
}

// Repeated --split: successive menu answers, each request to its end; the
// second may name the Ezone that the first split added (empty here).
TEST(CommandLine, RepeatedSplitsAreSuccessiveMenuAnswers) {
  const auto [inputs, answers] = dialogueOf("golden/split-overlap-recovered");
  Strings typed = answersBeforeOffer(inputs, fileAnswers("overlap.dat", 200));
  typed.insert(typed.end(), {"y", "2", "3", "5", "-1"});
  const Transcript dialogue = runSession(inputs, typed);
  const Transcript line = runCommandLineSession(inputs, {"overlap.dat", "--split", "2", "--split", "3", "--split", "5"});
  EXPECT_EQ(line.files.at("overlap.out"), dialogue.files.at("overlap.out"));
  EXPECT_EQ(count(line.files.at("overlap.out"), " Running through possible combinations"), 1);
  // The totals of the first analysis and of each request, empty Ezone 5 too.
  EXPECT_EQ(count(line.out, "Total: "), 4);
  EXPECT_EQ(count(line.files.at("overlap.out"), " Total number of hypotheses found"), 4);
  EXPECT_EQ(line.err, " ** Ezone   5 is empty in all patterns\n");
  EXPECT_TRUE(line.out.starts_with("Total: 0 hypotheses, 0 with genetically closed patterns\n"
                                   "Hypothesis 1 (Ezone 2 split, combination ")) << line.out;
}

const std::string kDimer = readTextFile(std::string(KORVELIN_EXAMPLES) + "/dimer.dat");

// A table of command-line cases (tests/command_line/NAME.json).
nlohmann::json cases(const std::string& name) {
  return nlohmann::json::parse(readTextFile(std::string(KORVELIN_TESTS_DIR) + "/command_line/" + name + ".json"));
}

// Each bad form once: one line naming the problem, the hint, status 2,
// and nothing written.
TEST(CommandLine, UsageErrors) {
  const std::string table = readTextFile(std::string(KORVELIN_EXAMPLES) + "/dimer.csv");
  for (const auto& c : cases("usage_errors")) {
    const std::string problem = c["problem"];
    std::map<std::string, std::string> files{{"dimer.dat", kDimer}, {"dimer.csv", table}};
    if (c.contains("dimer_as")) files[c["dimer_as"]] = kDimer;
    const Transcript t = runCommandLineSession(files, c["args"].get<Strings>());
    EXPECT_EQ(t.status, 2) << problem;
    EXPECT_EQ(t.err, "korvelin: " + problem + "\nTry 'korvelin --help'\n");
    EXPECT_EQ(t.out, "");
    EXPECT_EQ(t.files, files) << problem;
  }
}

// Without -o the report takes the data file's name with ".out" for its
// extension, whatever that was.
TEST(CommandLine, DefaultReportName) {
  const std::pair<std::string, std::string> names[] = {
      {"gel.xlsx", "gel.out"}, {"gel.dat", "gel.out"}, {"x.CSV", "x.out"},      {"./pat009", "./pat009.out"},
      {"a.", "a.out"},         {".gel", ".gel.out"},   {"v1.2/gel", "v1.2/gel.out"}};
  for (const auto& [data, report] : names) EXPECT_EQ(defaultReportName(data), report) << data;
}

// A run of dimer.csv with what a case of a table sets up: files already
// there, links, names that cannot be made, a disk or standard output that
// fills up, and something that happens before a line of a file is written
// (memory exhausted, a signal, another run's file put in place). Checks the
// status, standard error, and which files the run made or changed.
void runCase(const nlohmann::json& c) {
  const std::string name = c["name"];
  SCOPED_TRACE(name);
  std::map<std::string, std::string> before{{"dimer.csv", readTextFile(std::string(KORVELIN_EXAMPLES) + "/dimer.csv")}};
  const auto object = [&c](const char* key) { return c.value(key, nlohmann::json::object()); };
  const nlohmann::json files = object("files"), links = object("links"), unmakeable = object("unmakeable");
  for (const auto& [file, text] : files.items()) before[file] = text;
  ScriptedConsole console({});
  if (c.contains("out_room")) console.setOutCapacity(c["out_room"]);
  MemoryFileSystem fs;
  for (const auto& [file, text] : before) fs.put(file, text);
  for (const auto& [alias, target] : links.items()) fs.link(alias, target);
  for (const auto& [file, code] : unmakeable.items()) fs.failCreating(file, code);
  fs.setCapacity(c.value("room", std::size_t(-1)));
  const std::string planted = "another run's file\n";
  if (c.contains("at")) {
    const nlohmann::json at = c["at"];
    fs.beforeWrite = [&, at](const std::string& file, std::size_t line) {
      if (file != at["file"] || line != at["line"]) return;
      if (at.contains("throw")) throw std::bad_alloc();
      if (at.contains("signal")) console.raise(at["signal"]);
      if (at.contains("put")) fs.put(at["put"], planted);
    };
  }
  const int status = cli::runCommandLine(c["args"].get<Strings>(), console, fs);
  EXPECT_EQ(status, c["status"].get<int>());
  if (c.contains("err_starts")) {
    EXPECT_TRUE(console.stderrText().starts_with(c["err_starts"].get<std::string>())) << console.stderrText();
  } else {
    EXPECT_EQ(console.stderrText(), c["err"].get<std::string>());
  }
  EXPECT_TRUE(console.stdoutText().starts_with(c.value("out_starts", ""))) << console.stdoutText();
  // Made or changed: only what the case names; a planted file stays as it was put.
  std::set<std::string> made;
  for (const std::string& file : fs.names())
    if (!before.contains(file) || before.at(file) != fs.contents(file)) made.insert(file);
  EXPECT_EQ(made, c.value("made", std::set<std::string>()));
  if (c.contains("at") && c["at"].contains("put")) {
    EXPECT_EQ(fs.contents(c["at"]["put"]), planted);
  }
  EXPECT_FALSE(fs.scratchLeft());
}

// One file named twice (by another spelling, through a link) is refused
// before the run, all conflicts at once; a file that another run makes
// meanwhile is left alone.
TEST(CommandLine, OutputNameClashes) {
  for (const auto& c : cases("clashes")) runCase(c);
}

// However a run fails or is stopped, it leaves no new file and changes none.
TEST(CommandLine, FailuresLeaveNothing) {
  for (const auto& c : cases("failures")) runCase(c);
}

// The help comes before what the values mean (not before what the parser
// refuses) and fits a terminal of 80 columns.
TEST(CommandLine, HelpAndVersion) {
  for (const Strings& args : {Strings{"--help"}, Strings{"dimer.dat", "-h"}, Strings{"-h", "--split", "x"}}) {
    const Transcript t = runCommandLineSession({{"dimer.dat", kDimer}}, args);
    EXPECT_EQ(t.status, 0);
    EXPECT_TRUE(t.out.starts_with("Usage: korvelin [OPTIONS] DATAFILE\n")) << t.out;
    for (const char* option : {"--output FILE", "--append", "--overwrite", "--dna", "--split EZONE", "--max-n N",
                               "--quiet", "--help", "--version"})
      EXPECT_NE(t.out.find(option), std::string::npos) << option;
    for (const std::string& line : lines(t.out)) EXPECT_LE(line.size(), 79u) << line;
    EXPECT_EQ(t.files.size(), 1u);
  }
  EXPECT_EQ(runCommandLineSession({}, {"-h", "--bogus"}).status, 2);
  for (const Strings& args : {Strings{"-V"}, Strings{"dimer.dat", "-V"}}) {
    const Transcript t = runCommandLineSession({}, args);
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(t.out, "korvelin " + std::string(kVersion) + "\n");
  }
}

// A script never silently destroys or extends a report: it says which.
TEST(CommandLine, ExistingReport) {
  const std::string old = "an earlier report\n";
  const std::map<std::string, std::string> files{{"dimer.dat", kDimer}, {"dimer.out", old}};
  const Transcript refused = runCommandLineSession(files, {"dimer.dat"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "korvelin: dimer.out: the report file exists (--append or --overwrite to use it)\n");
  EXPECT_EQ(refused.out, "");
  EXPECT_EQ(refused.files, files);

  const std::string report = runCommandLineSession({{"dimer.dat", kDimer}}, {"dimer.dat"}).files.at("dimer.out");
  const Transcript appended = runCommandLineSession(files, {"dimer.dat", "--append"});
  EXPECT_EQ(appended.status, 0);
  EXPECT_EQ(appended.files.at("dimer.out"), old + report);
  const Transcript overwritten = runCommandLineSession(files, {"--overwrite", "dimer.dat"});
  EXPECT_EQ(overwritten.status, 0);
  EXPECT_EQ(overwritten.files.at("dimer.out"), report);

  const Transcript missing = runCommandLineSession(files, {"dimmer.dat"});
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err, "korvelin: dimmer.dat: no such file\n");
}

// -o -: the report file's lines on standard output and nothing else;
// --quiet: nothing on standard output; messages still on standard error.
TEST(CommandLine, ReportOnStandardOutputAndQuietRuns) {
  const std::map<std::string, std::string> dimer{{"dimer.dat", kDimer}};
  const std::string report = runCommandLineSession(dimer, {"dimer.dat"}).files.at("dimer.out");
  for (const Strings& args : {Strings{"dimer.dat", "-o", "-"}, Strings{"-q", "-o-", "dimer.dat"}}) {
    const Transcript t = runCommandLineSession(dimer, args);
    EXPECT_EQ(t.status, 0);
    EXPECT_EQ(firstDifference(report, t.out), "");
    EXPECT_EQ(t.files, dimer);
    EXPECT_EQ(t.err, "");
  }
  const Transcript quiet = runCommandLineSession(dimer, {"dimer.dat", "--quiet", "-o", "d.out"});
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.files.at("d.out"), report);

  // A message that ends the run: on standard error, and in the report.
  const std::map<std::string, std::string> bad{{"bad.dat", "3\n(3I1)\n1x0\n"}};
  for (const Strings& args : {Strings{"bad.dat", "-q"}, Strings{"bad.dat", "-o", "-"}}) {
    const Transcript t = runCommandLineSession(bad, args);
    EXPECT_TRUE(t.err.starts_with(" ** Error  status ")) << t.err;
    EXPECT_EQ(count(t.err, "\n"), 1);
    EXPECT_TRUE(t.out.empty() || t.out.ends_with(ruler() + "\n"));
    EXPECT_EQ(t.answersRead, 0u);
    EXPECT_FALSE(scratchLeft(t));
  }
}

// The line of a hypothesis gives the numbers of its box.
TEST(CommandLine, HypothesisLines) {
  const std::tuple<std::string, Strings, Strings> cases[] = {
      {"golden/report-dna-nulls",
       {"dnanul.dat", "--dna"},
       {"Hypothesis 1: 1 locus, null allele at 1 locus, 4 patterns expected, 4 found, genetically closed",
        "Hypothesis 2: 2 loci, null alleles at 2 loci, 4 patterns expected, 4 found, genetically closed"}},
      {"golden/split-overlap-recovered",
       {"overlap.dat", "--split", "2"},
       {"Hypothesis 2 (Ezone 2 split, combination 22 of 39): 1 locus, no null allele, 8 patterns expected, 6 found, "
        "not closed"}},
  };
  for (const auto& [folder, args, want] : cases) {
    const Transcript t = runCommandLineSession(dialogueOf(folder).first, args);
    EXPECT_TRUE(hasLines(t.out, want)) << t.out;
  }
}

// The progress line of a split request shows on a terminal and is erased at
// the end; never when standard error is a file.
TEST(CommandLine, ProgressLineOnlyOnATerminal) {
  const fs::path dir = fs::temp_directory_path() / ("korvelin-progress-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::copy_file(fs::path(KORVELIN_EXAMPLES) / "overlap.dat", dir / "overlap.dat");
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::chdir(dir.c_str()) != 0) ::_exit(120);
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

  const std::string command = "cd '" + dir.string() + "' && " + KORVELIN_BINARY +
                              " overlap.dat --split 3 -o b.out > out.txt 2> err.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(readTextFile((dir / "err.txt").string()), "");
  EXPECT_EQ(readTextFile((dir / "a.out").string()), readTextFile((dir / "b.out").string()));
  EXPECT_NE(readTextFile((dir / "out.txt").string()).find("Hypothesis 1 (Ezone 3 split"), std::string::npos);
  fs::remove_all(dir);
}

// What only a real disk shows: a folder reached through a link, a folder
// that does not exist, an appended report put in place whole, and the
// leftovers of a run killed outright (no process of that number) removed,
// while nothing of this run's own is left.
TEST(CommandLine, OnDiskNamesAndLeftovers) {
  const fs::path dir = fs::temp_directory_path() / ("korvelin-disk-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(fs::path(KORVELIN_EXAMPLES) / "dimer.dat", dir / "dimer.dat");
  fs::create_directory_symlink(".", dir / "here");
  const auto run = [&](const std::string& args) {
    const std::string command = "cd '" + dir.string() + "' && " + KORVELIN_BINARY + " dimer.dat -q " + args +
                                " 2> err.txt";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const auto err = [&] { return readTextFile((dir / "err.txt").string()); };
  EXPECT_EQ(run("--json here/dimer.out"), 2);
  EXPECT_EQ(err(), "korvelin: here/dimer.out: the report file and the JSON would be one file\n");
  EXPECT_EQ(run("--json nodir/d.json"), 1);
  EXPECT_EQ(err(), "korvelin: nodir/d.json: cannot create: No such file or directory\n");
  EXPECT_FALSE(fs::exists(dir / "dimer.out"));

  const std::string dead = ".korvelin-2147483000-0";
  for (const char* suffix : {".new", ".scr"}) std::ofstream(dir / (dead + suffix)) << "left by a killed run";
  std::ofstream(dir / "dimer.out") << "old report without its line end";
  EXPECT_EQ(run("--append --json d.json"), 0) << err();
  const std::string report = readTextFile((dir / "dimer.out").string());
  EXPECT_TRUE(report.starts_with("old report without its line end\n .---")) << report.substr(0, 80);
  EXPECT_TRUE(report.ends_with(ruler() + "\n"));
  EXPECT_TRUE(fs::exists(dir / "d.json"));
  for (const auto& entry : fs::directory_iterator(dir))
    EXPECT_FALSE(entry.path().filename().string().starts_with(".korvelin-")) << entry.path();
  fs::remove_all(dir);
}

// The data files of a run from a spreadsheet table: the JSON and the
// genotype table name the individuals by their sample names, and each file
// is written whole or not at all, never over an existing one unasked.
TEST(CommandLine, DataFilesNameTheIndividuals) {
  const std::string table = readTextFile(std::string(KORVELIN_EXAMPLES) + "/dimer.csv");
  const std::map<std::string, std::string> files{{"dimer.csv", table}};
  const Strings data{"dimer.csv", "--json", "d.json", "--genotypes", "g.csv", "--html", "d.html"};
  const Transcript t = runCommandLineSession(files, data);
  ASSERT_EQ(t.status, 0) << t.err;
  EXPECT_EQ(count(t.out, "Fit of hypothesis "), count(t.out, "Hypothesis "));
  const auto json = nlohmann::json::parse(t.files.at("d.json"));
  EXPECT_EQ(json["input"]["ezone_labels"][0]["label"], "Rf 62");
  EXPECT_EQ(json["ended"]["status"], 0);
  std::multiset<std::string> names;
  for (const auto& pattern : json["input"]["patterns"])
    for (const auto& name : pattern["individuals"]) names.insert(name.get<std::string>());
  EXPECT_EQ(names.size(), json["input"]["individuals"].get<std::size_t>());
  EXPECT_EQ(names.count("Hainberg 01"), 1u);
  EXPECT_FALSE(json["hypotheses"][0]["fit"].is_null());
  // Every individual once per hypothesis and locus, by its name.
  const auto rows = lines(t.files.at("g.csv"));
  EXPECT_EQ(rows.front(), "hypothesis,individual,pattern,locus,genotype\r");
  std::size_t cells = 0;
  for (const auto& h : json["hypotheses"]) cells += h["loci"].size() * names.size();
  EXPECT_EQ(rows.size(), cells + 1);
  EXPECT_TRUE(hasLines(t.files.at("g.csv"), {"1,Hainberg 01,100000,1,1/1\r"})) << t.files.at("g.csv");
  EXPECT_NE(t.files.at("d.html").find("data-hypothesis=\"1\""), std::string::npos);

  // An existing data file is refused before anything is written; with
  // --overwrite it is replaced.
  std::map<std::string, std::string> old = files;
  old["d.json"] = "keep me\n";
  const Transcript refused = runCommandLineSession(old, {"dimer.csv", "--json", "d.json"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(refused.err, "korvelin: d.json: the JSON exists (--overwrite to replace it)\n");
  EXPECT_EQ(refused.files, old);
  const Transcript replaced = runCommandLineSession(old, {"dimer.csv", "--json", "d.json", "--overwrite"});
  EXPECT_EQ(replaced.status, 0);
  EXPECT_EQ(replaced.files.at("d.json"), t.files.at("d.json"));
}

}  // namespace
}  // namespace korvelin::testing
