#pragma once
// One whole session driven by arbitrary bytes, as the fuzz target and the
// regression test run it: a pattern file, a line "%%", then the lines typed
// at the keyboard (the pattern file is "f.dat"; "old.out" holds an earlier
// report whose last line has no line end). An input that starts with the
// line "%csv" has a spreadsheet table instead, "f.csv", after that line. An
// input that starts with a line "%%args" is a run from the command line
// instead: the arguments one a line, a line "%%", then the pattern file.

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvelin::testing {

// Empty when every rule of an orderly end held, else the rule broken: exit
// status 0 (or 2 from the command line), no scratch file left, the data file
// untouched, an appended-to file that kept its earlier report; from the
// command line also no answer read, an earlier report changed only when
// --append or --overwrite allows it, and nothing written when the run was
// refused.
std::string runFuzzInput(const std::uint8_t* data, std::size_t size);

}  // namespace korvelin::testing
