#pragma once
// The command line, korvelin [OPTIONS] DATAFILE: from the arguments to the
// settings of one unattended run, or to the help, the version or a usage
// error.

#include <string>
#include <vector>

#include "base/settings.h"

namespace korvelin::cli {

struct Options {
  enum class Action { Run, Help, Version, UsageError };
  Action action = Action::UsageError;
  // For Run: unattended, the report file not yet resolved (empty for the
  // default name).
  RunSettings settings;
  // For a usage error: the problem in one line, without the program name.
  std::string problem;
};

// `args` without the program name.
Options parseOptions(const std::vector<std::string>& args);

// What --help and --version print.
std::string helpText();
std::string versionText();

}  // namespace korvelin::cli
