#include "state/state.h"

namespace korvelin {

State::State() {
  // The Ezone limit is first the table extent and then one less, so that a
  // split of a file at the limit still has room for the added Ezone.
  maxzon = kZones;
  maxzon = maxzon - 1;
  maxloc = 21;
  maxpat = kPatterns;
  maxhyp = kHypotheses;
  mxones = kSplitBands;
  mxone1 = mxones;
  nzones = 0;
  dosplt = 0;
  nzymos = 0;
  mxperm = 9999.0f;
  mxzexp = 999;
  begin = 1;
  shwspl.fill(' ');
  draw.fill(' ');
}

// (Here, with the analysis, rather than beside its one caller: the register
// of an incomplete-sample run is a megabyte, cleared at full speed.)
void State::sizeRegister(int hypotheses) {
  maxhyp = hypotheses;
  hypo.resize(maxhyp);
}

}  // namespace korvelin
