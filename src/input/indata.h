#pragma once
// Reading the pattern file: the Ezone count, the pattern-line format, and
// one pattern per line; repeated patterns are counted, not stored twice.

#include "run/session.h"

namespace korvelin {

void indata(Session& s);

}  // namespace korvelin
