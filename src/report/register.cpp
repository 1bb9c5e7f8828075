#include "report/register.h"

#include <vector>

#include "relations/classes.h"
#include "report/hypothesis_report.h"
#include "results/capture.h"
#include "base/format.h"

namespace korvelin {
namespace {

// The least share of expected patterns that counts while an Ezone is split.
constexpr float kZprop1 = 0.749f;

std::vector<int> buildRecord(State& st) {
  std::vector<int> record;
  st.lauf = 0;
  auto put = [&](int value) {
    st.lauf += 1;
    record.push_back(value);
  };
  for (int iz = 1; iz <= st.nzones; ++iz)
    for (int d = 1; d <= 7; ++d) put(st.class_(iz, d));
  put(st.nloc);
  for (int nl = 1; nl <= st.nhom; ++nl) put(nl <= st.nloc ? st.nall(nl) : 0);
  for (int nl = 1; nl <= st.nloc; ++nl)
    for (int na = 1; na <= st.nall(nl); ++na) put(st.locall(nl, na));
  for (int nl = 1; nl <= st.nhom; ++nl) put(nl <= st.nloc ? st.nulall(nl) : 0);
  return record;
}

bool sameAsRow(const State& st, int row, const std::vector<int>& record) {
  for (std::size_t col = 0; col < record.size(); ++col)
    if (st.hypo(row, static_cast<int>(col) + 1) != record[col]) return false;
  return true;
}

// Whether this hypothesis explains a band as a modified form of one of its
// alleles (the run-wide flag would also speak of earlier hypotheses).
bool hasModifiedForm(const State& st) {
  for (int nl = 1; nl <= st.nloc; ++nl)
    for (int na = 1; na <= st.nall(nl); ++na)
      if (st.nptm(nl, na) > 0) return true;
  return false;
}

void writeBox(Session& s, int unit) {
  State& st = s.state();
  auto put = [&](const std::string& line) { s.toUnit(unit, line); };
  const std::string stars = " " + std::string(40, '*');
  put("  ");
  put(FixedLine().text(" Hypothesis ").num(st.nxhypo, 3).text(":"));
  st.nshypo += 1;
  put(stars);
  put(FixedLine().text(" *").num(st.nloc, 2).text("-locus hypothesis can be formulated *"));
  if (st.nulnum == 1) put(FixedLine().text(" *     with null allele at ").num(st.nulnum, 2).text(" locus     *"));
  if (st.nulnum > 1) put(FixedLine().text(" *     with null alleles at ").num(st.nulnum, 2).text(" loci     *"));
  if (st.dna == 0 && hasModifiedForm(st)) put(" * with post-translational modification *");
  if (st.nzymos == st.nzexp) {
    put(FixedLine().text(" *          All of the ").num(st.nzexp, 5).text(std::string(12, ' ')).text("*"));
  } else {
    put(" *                  BUT                 *");
    if (st.nzexp > st.mxzexp)
      put(FixedLine().text(" *        only ").num(st.nzymos, 4).text(" of the >").num(st.mxzexp, 5).text(std::string(6, ' ')).text("*"));
    else if (st.nzymos > st.nzexp)
      put(FixedLine().text(" *      ").num(st.nzymos, 4).text(" instead of the ").num(st.nzexp, 5).text(std::string(7, ' ')).text("*"));
    else
      put(FixedLine().text(" *        only ").num(st.nzymos, 4).text(" of the ").num(st.nzexp, 5).text(std::string(8, ' ')).text("*"));
  }
  put(" *     expected patterns were found     *");
  if (st.nzymos == st.nzexp) put(" * >>> Sample is genetically closed <<< *");
  put(stars);
}

}  // namespace

long long expectedPatterns(const State& st) {
  long long product = 1;
  for (int nl = 1; nl <= st.nloc; ++nl) {
    const long long a = st.nall(nl);
    long long p = 0;
    for (int na = 1; na <= st.nall(nl); ++na) p += st.nptm(nl, na);
    product *= (a + p) * (a + p + 1) / 2 - p + st.nulall(nl);
  }
  return product;
}

bool registerHypothesis(Session& s) {
  State& st = s.state();
  st.nhypo += 1;
  const std::vector<int> record = buildRecord(st);
  // A repeat is dropped first, so a full register still recognises it.
  for (int row = std::min(st.nhypo - 1, st.maxhyp); row >= 1; --row) {
    if (sameAsRow(st, row, record)) {
      st.nhypo -= 1;
      return false;
    }
  }
  if (st.nhypo > st.maxhyp) {
    s.reportAndConsole(FixedLine()
                           .text(" ** Maximal number")
                           .num(st.maxhyp, 4)
                           .text(" of hypotheses exceeded - Program terminated"));
    s.last(EndKind::LimitReached, "more than " + std::to_string(st.maxhyp) + " hypotheses");
  }
  for (std::size_t col = 0; col < record.size(); ++col) st.hypo(st.nhypo, static_cast<int>(col) + 1) = record[col];
  newhyp(s);
  return true;
}

void newhyp(Session& s) {
  State& st = s.state();
  st.nzexp = expectedPatterns(st);
  const float zprop = static_cast<float>(st.nzymos) / static_cast<float>(st.nzexp);
  const bool enough = zprop >= kZprop1;
  if (st.dosplt != 1 || enough) {
    s.runWideEffect();
    st.nxhypo += 1;
    if (st.nzymos == st.nzexp) st.nxexac += 1;
    writeBox(s, st.u);
    if (st.u != kConsoleUnit) writeBox(s, kConsoleUnit);
    // The results model holds exactly the hypotheses announced here.
    captureHypothesis(st, s.results());
    s.hypothesisAnnounced();
  }
  if (st.begin == 1 || enough) {
    s.warten();
    equout(s);
  }
  if (st.dosplt == 0 || enough) output(s);
}

}  // namespace korvelin
