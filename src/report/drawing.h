#pragma once
#include "base/session.h"

namespace korvelin {

// The patterns drawn as a schematic gel: a lane per pattern, a row per
// Ezone, in blocks of 16 patterns.
void drwzym(Session& s);

}  // namespace korvelin
