#pragma once
// One analysis pass over the current pattern set: relations, classes,
// drawing, candidates, codes and the hypothesis search.

#include "base/session.h"

namespace korvelin {

enum class PassEnd {
  Redundant,  // a split trial whose two new Ezones imply one another
  Normal,
};
// (The third way a pass ends, the end of the run, unwinds through `last`.)

PassEnd analysisPass(Session& s);

// The totals of announced hypotheses, to the report unit and the console.
void writeTotals(Session& s);

}  // namespace korvelin
