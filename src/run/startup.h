#pragma once
// The run start-up: banner, file dialogue, pattern-type question, pattern
// input and the opening of the band-origin store.

#include <string>

#include "base/session.h"

namespace korvelin {

// The banner, to the console (unit 6) or the output file (unit 8).
void progid(Session& s, int unit);
// The file dialogue: input file, output device, output file.
void inout(Session& s);
// Zymogram or DNA electropherogram.
void askPatternType(Session& s);
// The command line's report file name when none is given: the data file's
// name with its extension (or none) replaced by ".out" ("gel.xlsx" gives
// "gel.out", "gel" gives "gel.out"). The dialogue keeps its own rule.
std::string defaultReportName(const std::string& dataFile);
// Everything from the banner up to the first analysis pass.
void startUp(Session& s);

}  // namespace korvelin
