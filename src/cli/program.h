#pragma once
// The program: the dialogue without arguments, else a run from the command
// line, on the real console and disk. (Kept apart from the headers it needs,
// so that the program's own source compiles in no time.)

namespace korvelin::cli {

// `argv` as main gets it. Returns the exit status.
int runProgram(int argc, char** argv);

}  // namespace korvelin::cli
