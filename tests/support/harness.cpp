#include "harness.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "cli/command_line.h"
#include "run/run.h"

namespace korvelin::testing {

Transcript runInMemory(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                       const Prepare& prepare, const std::vector<std::string>* args, SearchPath path) {
  ScriptedConsole console(answers);
  MemoryFileSystem fs;
  for (const auto& [name, text] : files) fs.put(name, text);
  RunSettings settings;
  const std::shared_ptr<void> kept = prepare ? prepare(console, fs, settings) : nullptr;
  Transcript t;
  t.status = args ? cli::runCommandLine(*args, console, fs)
                  : runKorvelin(console, fs, settings, nullptr, path, [&t](const Session& s) {
                      t.results = s.results();
                      t.sample = s.sample();
                    });
  t.out = console.stdoutText();
  t.err = console.stderrText();
  t.answersRead = console.answersRead();
  for (const auto& name : fs.names()) t.files[name] = fs.contents(name);
  t.scratchLeft = fs.scratchLeft();
  return t;
}

Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      SearchPath path) {
  return runInMemory(files, answers, {}, nullptr, path);
}

Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      int jobs, std::size_t stopAfterLines) {
  return runInMemory(files, answers, [&](ScriptedConsole& console, MemoryFileSystem&, RunSettings& settings) -> std::shared_ptr<void> {
    settings.jobs = jobs;
    console.stopAfterLines(stopAfterLines, SIGINT);
    return nullptr;
  });
}

Transcript runPatterns(const std::vector<std::string>& patterns, bool incomplete, SearchPath path, bool dna) {
  return runUnattended({{"case.dat", patternFile(patterns)}}, "case.dat", incomplete, path, dna);
}

Transcript runUnattended(const std::map<std::string, std::string>& files, const std::string& dataFile,
                         bool incomplete, SearchPath path, bool dna) {
  const auto prepare = [&](ScriptedConsole&, MemoryFileSystem&, RunSettings& settings) -> std::shared_ptr<void> {
    settings.unattended = true;
    settings.incomplete = incomplete;
    settings.dna = dna;
    settings.dataFile = dataFile;
    settings.reportFile = "case.out";
    return nullptr;
  };
  return runInMemory(files, {}, prepare, nullptr, path);
}

Transcript runCommandLineSession(const std::map<std::string, std::string>& files,
                                 const std::vector<std::string>& args) {
  return runInMemory(files, std::vector<std::string>(50, "y"), {}, &args);
}

std::map<std::string, std::string> filesIn(const std::string& dir) {
  std::map<std::string, std::string> files;
  if (std::filesystem::exists(dir))
    for (const auto& entry : std::filesystem::directory_iterator(dir))
      if (entry.is_regular_file() && entry.path().filename() != "answers.txt")
        files[entry.path().filename().string()] = readTextFile(entry.path().string());
  return files;
}

ShippedRun shippedRun(const std::string& examples, const std::string& tests, const std::string& name) {
  namespace fs = std::filesystem;
  if (name.starts_with("examples/")) {
    const fs::path base = fs::path(examples) / name.substr(9);
    return {name, {{base.filename().string() + ".dat", readTextFile(base.string() + ".dat")}},
            lines(readTextFile(base.string() + ".answers"))};
  }
  const fs::path dir = fs::path(tests) / name;
  return {name, filesIn(dir.string()), lines(readTextFile((dir / "answers.txt").string()))};
}

std::vector<ShippedRun> shippedRuns(const std::string& examples, const std::string& tests) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(examples))
    if (entry.path().extension() == ".answers") names.push_back("examples/" + entry.path().stem().string());
  std::sort(names.begin(), names.end());
  for (const char* folder : {"conformance", "golden"})
    if (!tests.empty())
      for (const auto& entry : fs::directory_iterator(fs::path(tests) / folder))
        if (fs::exists(entry.path() / "answers.txt")) names.push_back(folder + ("/" + entry.path().filename().string()));
  std::vector<ShippedRun> runs;
  for (const std::string& name : names) runs.push_back(shippedRun(examples, tests, name));
  return runs;
}

std::vector<std::string> consoleAnswers(const std::string& name, int pauses, char type) {
  std::vector<std::string> answers{name, "s", std::string(1, type)};
  answers.resize(answers.size() + static_cast<std::size_t>(pauses));
  return answers;
}

std::vector<std::string> fileAnswers(const std::string& name, int pauses, char type) {
  std::vector<std::string> answers{name, "f", "", std::string(1, type)};
  answers.resize(answers.size() + static_cast<std::size_t>(pauses));
  return answers;
}

std::vector<std::string> answersBeforeOffer(const std::map<std::string, std::string>& files,
                                            std::vector<std::string> answers) {
  const Transcript t = runSession(files, answers);
  if (t.out.find(">> Do you want to search for overlapping Ezones") == std::string::npos) return {};
  answers.resize(t.answersRead - 1);  // the last answer read was the one to the offer
  return answers;
}

std::string patternFile(const std::vector<std::string>& patterns, bool endLine) {
  const std::size_t zones = patterns.empty() ? 1 : patterns.front().size();
  std::string text = std::to_string(zones) + "\n(" + std::to_string(zones) + "I1)\n";
  for (const auto& p : patterns) text += p + "\n";
  return endLine ? text + "9\n" : text;
}

void setPatterns(State& st, const std::vector<std::string>& patterns) {
  st.nzymos = static_cast<int>(patterns.size());
  st.nzones = static_cast<int>(patterns[0].size());
  for (int p = 1; p <= st.nzymos; ++p)
    for (int z = 1; z <= st.nzones; ++z) st.m(p, z) = patterns[p - 1][z - 1] - '0';
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) result.push_back(line);
  return result;
}

std::string everything(const Transcript& t) {
  std::string all = t.out + "-- stderr\n" + t.err + "-- exit status " + std::to_string(t.status) + "\n";
  for (const auto& [name, text] : t.files) all += "-- file " + name + "\n" + text;
  return withRunTimeMasked(all);
}

std::string withRunTimeMasked(const std::string& text) {
  return std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d [^ <.]*)"), "<time>");
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool hasLines(const std::string& text, const std::vector<std::string>& rows) {
  std::string wanted = "\n";
  for (const auto& r : rows) wanted += r + "\n";
  return ("\n" + text).find(wanted) != std::string::npos;
}

std::string firstDifference(const std::string& want, const std::string& got) {
  if (want == got) return "";
  const auto a = lines(want), b = lines(got);
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string x = i < a.size() ? a[i] : "<end>", y = i < b.size() ? b[i] : "<end>";
    if (x != y) return "line " + std::to_string(i + 1) + ": want '" + x + "' got '" + y + "'";
  }
  return "texts differ in their line ends";
}

std::string readTextFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

std::vector<std::vector<std::vector<std::string>>> dataRows(const std::string& path) {
  std::vector<std::vector<std::vector<std::string>>> rows;
  for (const std::string& line : lines(readTextFile(path))) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    rows.emplace_back(1);
    for (std::string w; in >> w;)
      if (w == "|") rows.back().emplace_back();
      else rows.back().back().push_back(w);
  }
  return rows;
}

std::vector<int> ints(const std::vector<std::string>& words) {
  std::vector<int> v;
  for (const std::string& w : words) v.push_back(std::stoi(w));
  return v;
}

}  // namespace korvelin::testing
