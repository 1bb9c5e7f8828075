// KORVELIN: qualitative inheritance analysis of banding patterns of diploid
// individuals (zymograms and DNA electropherograms).

#include <string>
#include <vector>

#include "cli/command_line.h"
#include "base/platform.h"
#include "run/run.h"

int main(int argc, char** argv) {
  auto console = korvelin::makeStandardConsole();
  auto files = korvelin::makeDiskFileSystem();
  // Without arguments, the dialogue.
  if (argc <= 1) return korvelin::runKorvelin(*console, *files);
  return korvelin::cli::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), *console, *files);
}
