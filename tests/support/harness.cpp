#include "harness.h"

#include <fstream>
#include <sstream>

#include "run/memory_platform.h"
#include "run/run.h"

namespace korvelin::testing {

Transcript runSession(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers,
                      SearchPath path) {
  ScriptedConsole console(answers);
  MemoryFileSystem fs;
  for (const auto& [name, text] : files) fs.put(name, text);
  Transcript t;
  t.status = runKorvelin(console, fs, path);
  t.out = console.stdoutText();
  t.err = console.stderrText();
  t.answersRead = console.answersRead();
  for (const auto& name : fs.names()) t.files[name] = fs.contents(name);
  return t;
}

std::vector<std::string> consoleAnswers(const std::string& name, int pauses, char type) {
  std::vector<std::string> answers{name, "s", std::string(1, type)};
  answers.insert(answers.end(), static_cast<std::size_t>(pauses), "");
  return answers;
}

std::vector<std::string> fileAnswers(const std::string& name, int pauses, char type) {
  std::vector<std::string> answers{name, "f", "", std::string(1, type)};
  answers.insert(answers.end(), static_cast<std::size_t>(pauses), "");
  return answers;
}

std::string patternFile(const std::vector<std::string>& patterns, bool endLine) {
  const std::size_t zones = patterns.empty() ? 1 : patterns.front().size();
  std::string text = std::to_string(zones) + "\n(" + std::to_string(zones) + "I1)\n";
  for (const auto& p : patterns) text += p + "\n";
  if (endLine) text += "9\n";
  return text;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    if (end == std::string::npos) {
      result.push_back(text.substr(start));
      break;
    }
    result.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return result;
}

bool scratchLeft(const Transcript& t) {
  for (const auto& [name, text] : t.files)
    if (name.size() > 4 && name.substr(name.size() - 4) == ".scr") return true;
  return false;
}

std::string firstDifference(const std::string& want, const std::string& got) {
  if (want == got) return "";
  const auto a = lines(want);
  const auto b = lines(got);
  for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string x = i < a.size() ? a[i] : "<end>";
    const std::string y = i < b.size() ? b[i] : "<end>";
    if (x != y) return "line " + std::to_string(i + 1) + ": want '" + x + "' got '" + y + "'";
  }
  return "texts differ in their line ends";
}

std::string readTextFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace korvelin::testing
