// KORVELIN: qualitative inheritance analysis of banding patterns of diploid
// individuals (zymograms and DNA electropherograms).

#include "cli/program.h"

int main(int argc, char** argv) { return korvelin::cli::runProgram(argc, argv); }
