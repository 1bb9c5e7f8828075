#pragma once
// A run from the command line: the help, the version, a usage error, or one
// unattended run with a line on standard output for each hypothesis.

#include <string>
#include <vector>

#include "base/platform.h"

namespace korvelin::cli {

// The exit status of a usage error, and of a run refused before it starts.
inline constexpr int kUsageStatus = 2;

// `args` without the program name. Returns the exit status.
int runCommandLine(const std::vector<std::string>& args, Console& console, FileSystem& files);

}  // namespace korvelin::cli
