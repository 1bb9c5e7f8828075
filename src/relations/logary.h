#pragma once
#include "state/state.h"

namespace korvelin {

// Band counts per Ezone, implication (a band in a always comes with one in
// b) and co-occurrence of Ezone pairs, from the current patterns.
void logary(State& st);

// Keeps the relations of the input patterns (the first pass) for the split
// trials: call before the first trial, while they are the current ones.
void keepInputRelations(State& st);

// The relations of a split trial, derived from those of the input patterns:
// a trial changes only the column of the split Ezone `isplit` and adds the
// last one (`nzones`), so every other pair keeps its relations and only the
// rows and columns of those two are computed. Gives what initia and logary
// give for the trial's patterns.
void splitRelations(State& st);

}  // namespace korvelin
