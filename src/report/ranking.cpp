#include "report/ranking.h"

#include "results/hypothesis_fit.h"
#include "base/format.h"

namespace korvelin {

void writeRanking(Session& s) {
  // The pass is the run's only one: its fits are the run's.
  fitResults(s.results(), s.sample());
  const Results& results = s.results();
  if (results.hypotheses.empty()) return;
  const auto& fits = results.fits;
  s.report("  ");
  s.report(FreeLine().text("Hypotheses ranked by their fit to the counts of individuals (AIC, best first):"));
  s.report("  ");
  s.report(FixedLine()
               .right("Rank", 6)
               .right("Hypothesis", 12)
               .right("Loci", 6)
               .right("Null alleles", 14)
               .right("Expected/found", 16)
               .right("Delta AIC", 11)
               .right("Weight", 9));
  for (const std::size_t i : rankedOrder(results)) {
    const Hypothesis& h = results.hypotheses[i];
    int nulls = 0;
    for (const Locus& l : h.loci) nulls += l.nullAllele ? 1 : 0;
    FixedLine line;
    if (fits[i]) line.num(fits[i]->rank.rank, 6);
    else line.right("-", 6);
    line.num(h.number, 12)
        .num(static_cast<long long>(h.loci.size()), 6)
        .num(nulls, 14)
        .right(std::to_string(h.expected) + "/" + std::to_string(h.found), 16);
    if (fits[i])
      line.right(fitStatistic(fits[i]->rank.deltaAic), 11).right(fitStatistic(fits[i]->rank.akaikeWeight), 9);
    else
      line.right("not fitted", 11);
    s.report(line);
  }
}

}  // namespace korvelin
