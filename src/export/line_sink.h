#pragma once
// Where a writer of a long document puts it, line by line (without line
// ends), so that no document need be held whole in memory. The sink returns
// false to stop the writer (a failed write, a stop signal).

#include <functional>
#include <string>

namespace korvelin {

using LineSink = std::function<bool(const std::string& line)>;

// A sink that gathers the lines into `text`, each with its line end.
inline LineSink textSink(std::string& text) {
  return [&text](const std::string& line) {
    text += line;
    text += '\n';
    return true;
  };
}

}  // namespace korvelin
