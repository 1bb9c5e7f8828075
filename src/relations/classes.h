#pragma once
// Equivalence classes of Ezones: Ezones whose bands always appear and
// disappear together behave as one band.

#include "base/session.h"

namespace korvelin {

void equcls(State& st);
// The class listing, on the report unit (and the console while the first
// report is still due), then a pause.
void equout(Session& s);

}  // namespace korvelin
