#pragma once
// Reading the pattern file: the Ezone count, the pattern-line format, and
// one pattern per line; repeated patterns are counted, not stored twice.

#include "run/session.h"

namespace korvelin {

void indata(Session& s);

// The Ezone count on line 1 of a pattern file, read as `indata` reads it
// (but not checked against the limits); false when line 1 gives none.
bool readEzoneCount(InputFile& file, int& nzones);

}  // namespace korvelin
