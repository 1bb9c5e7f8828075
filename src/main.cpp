// KORVELIN: qualitative inheritance analysis of banding patterns of diploid
// individuals (zymograms and DNA electropherograms).

#include "run/platform.h"
#include "run/run.h"

int main() {
  auto console = korvelin::makeStandardConsole();
  auto files = korvelin::makeDiskFileSystem();
  return korvelin::runKorvelin(*console, *files);
}
