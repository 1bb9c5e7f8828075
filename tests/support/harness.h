#pragma once
// Runs a whole KORVELIN session in-process: data files in an in-memory
// directory, answers as typed lines, and back what the console, standard
// error and the files received.

#include <map>
#include <string>
#include <vector>

#include "results/sample.h"
#include "results/results.h"
#include "memory_platform.h"
#include "base/session.h"

namespace korvelin::testing {

struct Transcript {
  std::string out;
  std::string err;
  int status = -1;
  // Every file left in the directory at the end, inputs included.
  std::map<std::string, std::string> files;
  std::size_t answersRead = 0;
  bool scratchLeft = false;
  // The results as data and the individuals, as the session left them.
  Results results;
  Sample sample;
};

Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      SearchPath path = SearchPath::Fast);
// The same with `jobs` threads for split trials (0: the cores available),
// and, when `stopAfterLines` is given, a stop signal (SIGINT) once standard
// output has taken that many lines.
Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      int jobs, std::size_t stopAfterLines = std::size_t(-1));

// An unattended run of these patterns (data file case.dat, report
// case.out), by the strict or the incomplete-sample search, on the path given.
Transcript runPatterns(const std::vector<std::string>& patterns, bool incomplete, SearchPath path = SearchPath::Fast,
                       bool dna = false);
// The same with these files and the data file named (a table, say).
Transcript runUnattended(const std::map<std::string, std::string>& files, const std::string& dataFile,
                         bool incomplete, SearchPath path = SearchPath::Fast, bool dna = false);

// A run from the command line (`args` without the program name). The
// keyboard holds answers, so that `answersRead` shows whether any was taken.
// `room`: the bytes the disk still takes.
Transcript runCommandLineSession(const std::map<std::string, std::string>& files,
                                 const std::vector<std::string>& args, std::size_t room = std::size_t(-1),
                                 std::size_t stopAfterLines = std::size_t(-1));

// The files of a folder by name (without answers.txt); empty when there is
// no such folder.
std::map<std::string, std::string> filesIn(const std::string& dir);

// A shipped run: the data files and typed answers of a worked example
// (<name>.dat with <name>.answers) or of a reference case (a folder of files
// with its answers.txt), named "examples/<name>" or "<folder>/<case>".
struct ShippedRun {
  std::string name;
  std::map<std::string, std::string> files;
  std::vector<std::string> answers;
};
ShippedRun shippedRun(const std::string& examples, const std::string& tests, const std::string& name);
// Every example of `examples` (sorted), then, when `tests` is not empty,
// every case with answers under its conformance/ and golden/ folders.
std::vector<ShippedRun> shippedRuns(const std::string& examples, const std::string& tests = "");

// The answers typed at the start-up dialogue for a console-only run of a
// zymogram file `name`, followed by `pauses` empty lines.
std::vector<std::string> consoleAnswers(const std::string& name, int pauses = 200, char type = 'z');
// The same for a run that writes the report to the default output file.
std::vector<std::string> fileAnswers(const std::string& name, int pauses = 200, char type = 'z');
// The answers that a run of these files reads before the offer to search for
// overlapping Ezones, page pauses included; empty when the run ends sooner.
std::vector<std::string> answersBeforeOffer(const std::map<std::string, std::string>& files,
                                            std::vector<std::string> answers);

// A pattern file: the Ezone count, the format (nI1) and one line per pattern.
std::string patternFile(const std::vector<std::string>& patterns, bool endLine = true);
// The same patterns straight into the state: `nzymos`, `nzones` and `m`.
void setPatterns(State& st, const std::vector<std::string>& patterns);

// Lines of a text (split at '\n'; a final empty piece is dropped).
std::vector<std::string> lines(const std::string& text);
// How often `what` occurs in `text`.
int count(const std::string& text, const std::string& what);
// Whether `rows` stand in `text` as consecutive whole lines.
bool hasLines(const std::string& text, const std::vector<std::string>& rows);

// Whether any scratch file of the band-origin store is left in the files.
bool scratchLeft(const Transcript& t);

std::string readTextFile(const std::string& path);

// Empty when the texts are equal, else the first line that differs.
std::string firstDifference(const std::string& want, const std::string& got);

// A session for unit tests: every pause answered, the report on the console.
struct Rig {
  explicit Rig(SearchPath path = SearchPath::Fast)
      : con(std::vector<std::string>(4000, "")), s(con, fs, path), st(s.state()) {
    st.u = kConsoleUnit;
  }
  std::string out() const { return con.stdoutText(); }
  ScriptedConsole con;
  MemoryFileSystem fs;
  Session s;
  State& st;
};

}  // namespace korvelin::testing
