#pragma once
// The ranking table that closes the report of an incomplete-sample search:
// the hypotheses of the pass by their fit to the counts of individuals, best
// first. Under that search most hypotheses expect phenotypes the sample
// lacks, and the boxes, in the order found, do not say which to believe.

#include "base/session.h"

namespace korvelin {

// Writes the table to the report unit, from the hypotheses of the results.
void writeRanking(Session& s);

}  // namespace korvelin
