#pragma once
// One whole session driven by arbitrary bytes, as the fuzz target and the
// regression test run it: a pattern file, a line "%%", then the lines typed
// at the keyboard (the pattern file is "f.dat"; "old.out" holds an earlier
// report whose last line has no line end). An input that starts with the
// line "%csv" has a spreadsheet table instead, "f.csv", after that line.

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvelin::testing {

// Empty when every rule of an orderly end held, else the rule broken: exit
// status 0, no scratch file left, the data file untouched, an appended-to
// file that kept its earlier report.
std::string runFuzzInput(const std::uint8_t* data, std::size_t size);

}  // namespace korvelin::testing
