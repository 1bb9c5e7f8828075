#pragma once
// Runs a whole KORVELIN session in-process: data files in an in-memory
// directory, answers as typed lines, and back what the console, standard
// error and the files received.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "results/sample.h"
#include "results/results.h"
#include "memory_platform.h"
#include "base/session.h"
#include "base/settings.h"

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

// Every run below is one of these: `files` in the directory, `answers` on
// the keyboard, then `prepare` (if given) sets faults and settings and
// gives what must live as long as the files (files held by another run);
// with `args` (without the program name) the command line runs instead of
// the dialogue.
using Prepare = std::function<std::shared_ptr<void>(ScriptedConsole&, MemoryFileSystem&, RunSettings&)>;
Transcript runInMemory(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                       const Prepare& prepare = {}, const std::vector<std::string>* args = nullptr,
                       SearchPath path = SearchPath::Fast);

Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      SearchPath path = SearchPath::Fast);
// With `jobs` threads for split trials (0: the cores available), and a stop
// signal (SIGINT) once standard output has taken `stopAfterLines` lines.
Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      int jobs, std::size_t stopAfterLines = std::size_t(-1));
// An unattended run of these patterns (data file case.dat, report case.out),
// or of these files and the data file named, by the strict or the
// incomplete-sample search.
Transcript runPatterns(const std::vector<std::string>& patterns, bool incomplete, SearchPath path = SearchPath::Fast,
                       bool dna = false);
Transcript runUnattended(const std::map<std::string, std::string>& files, const std::string& dataFile,
                         bool incomplete, SearchPath path = SearchPath::Fast, bool dna = false);
// A command line; its keyboard holds 50 "y", so that `answersRead` shows
// whether any was taken.
Transcript runCommandLineSession(const std::map<std::string, std::string>& files,
                                 const std::vector<std::string>& args);

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

std::string readTextFile(const std::string& path);
// The cases of a data file (lines but empty ones and # comments), each split
// at " | " into its fields' words; and words as integers.
std::vector<std::vector<std::vector<std::string>>> dataRows(const std::string& path);
std::vector<int> ints(const std::vector<std::string>& words);

// Everything a session leaves (console, standard error, status, files), in
// one text with the page's run time masked, so that a mismatch between two
// sessions shows the first line where they part.
std::string everything(const Transcript& t);

// The text with the run's date and time (as the page shows it) masked: two
// runs a minute apart write the same otherwise.
std::string withRunTimeMasked(const std::string& text);

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
