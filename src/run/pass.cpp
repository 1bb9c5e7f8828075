#include "run/pass.h"

#include "input/initia.h"
#include "relations/candidates.h"
#include "relations/classes.h"
#include "relations/logary.h"
#include "report/drawing.h"
#include "report/ranking.h"
#include "base/format.h"
#include "search/codes.h"
#include "search/search.h"

namespace korvelin {

void writeTotals(Session& s) {
  const State& st = s.state();
  s.reportAndConsole(ruler());
  s.reportAndConsole(FixedLine().text(" Total number of hypotheses found =").num(st.nxhypo, 3));
  s.reportAndConsole(FixedLine()
                         .text(" Number of hypotheses with genetically ")
                         .text("closed banding patterns =")
                         .num(st.nxexac, 3));
  s.totalsReported();
}

PassEnd analysisPass(Session& s) {
  State& st = s.state();
  initia(st);
  // A split trial derives its relations from the input's; the plain search
  // computes them in full, as the reference.
  if (st.dosplt == 1 && s.searchPath() == SearchPath::Fast)
    splitRelations(st);
  else
    logary(st);
  if (st.dosplt == 1 && (st.imply(st.isplit, st.nzones) || st.imply(st.nzones, st.isplit))) {
    s.report(" ** Redundant **");
    return PassEnd::Redundant;
  }
  equcls(st);
  if (st.idraw == 1) {
    drwzym(s);
    st.idraw = 0;
  }
  s.warten();
  if (st.dna == 0)
    homhet(st);
  else
    dnavar(st);
  if (st.nhom == 0) s.last(EndKind::Asked, "no candidates for a hypothesis");
  bpcode(st);
  searchLoop(s);
  if (st.dosplt == 0) {
    writeTotals(s);
    if (st.incomp == 1) writeRanking(s);
  }
  st.mxone1 = st.mxones;
  return PassEnd::Normal;
}

}  // namespace korvelin
