#include "split/split.h"

#include "base/format.h"

namespace korvelin {
namespace {

int powerOfThree(int n) {
  int p = 1;
  for (int i = 0; i < n; ++i) p *= 3;
  return p;
}

void countBands(State& st) {
  st.nones = 0;
  for (int k = 1; k <= st.nzyori; ++k) {
    if (st.mori(k, st.isplit) == 1) {
      st.nones += 1;
      st.iones(st.nones) = k;
    }
  }
}

enum class EzoneChoice { Chosen, Exhausted };

EzoneChoice chooseEzone(Session& s) {
  State& st = s.state();
  for (int z = 1; z <= st.nzones; ++z) st.icomb(z) = 0;
  for (int p = 1; p <= st.nzymos; ++p) st.iones(p) = 0;
  if (st.nsplit == 1) {
    st.csplit = st.class_(st.isplit, 1);
    countBands(st);
    if (st.nones == 0) {
      s.reportAndConsole(FixedLine().text(" ** Ezone ").num(st.isplit, 3).text(" is empty in all patterns"));
      st.ncomb = 0;
      st.ttlcmb = 0;
      st.dosplt = 2;
      return EzoneChoice::Exhausted;
    }
    // -2 marks a request that has not started an Ezone; an Ezone with bands
    // is never in the empty class, but should it be, the request must still
    // move on through its combinations rather than start over.
    if (st.csplit == -2) st.csplit = 0;
    return EzoneChoice::Chosen;
  }
  // All Ezones: the fixed Ezones first, then the classes in order, each
  // through its first Ezone; empty Ezones never.
  for (;;) {
    st.csplit += 1;
    if (st.csplit == 0) st.csplit = 1;
    if (st.csplit > st.nclori) {
      st.dosplt = 2;
      return EzoneChoice::Exhausted;
    }
    st.isplit = st.cori(st.csplit, 1);
    if (st.isplit == 0) continue;
    countBands(st);
    if (st.nones > 0) return EzoneChoice::Chosen;
  }
}

void reportInfeasible(Session& s) {
  State& st = s.state();
  st.ttlcmb = 0;
  st.ncomb = 0;
  st.nrealc = 0;
  st.idraw = 0;
  const std::string first = FixedLine()
                                .text(" ** Ezone")
                                .num(st.isplit, 3)
                                .text(": Band appears in ")
                                .num(st.nones, 3)
                                .text(" patterns (more than max. N =")
                                .num(st.nlimit, 3)
                                .text(")");
  const std::string second = " ** Splitting this Ezone is infeasible";
  s.report(ruler());
  s.report(first);
  s.report(second);
  if (st.u == kFileUnit) {
    s.toConsole(first);
    s.toConsole(second);
  }
}

// Digits of `ncomb`, most significant first; false for the combinations
// that are never analysed (trivial ones and mirror images).
bool decode(State& st) {
  int rest = st.ncomb;
  for (int l = 1; l <= st.nones; ++l) {
    const int p = powerOfThree(st.nones - l);
    st.icomb(l) = rest / p;
    rest -= st.icomb(l) * p;
  }
  if (st.ncomb == 0 || st.ncomb == st.ttlhlf || st.ncomb == st.ttlcmb) return false;
  for (int l = 1; l <= st.nones; ++l)
    if (st.icomb(l) != 0) return st.icomb(l) == 1;
  return false;
}

void buildTrial(Session& s) {
  State& st = s.state();
  // The input patterns, without bands in the split Ezone and the added one.
  st.m = st.mori;
  for (int k = 1; k <= st.nzyori; ++k) st.m(k, st.isplit) = st.m(k, st.nzones) = 0;
  for (int l = 1; l <= st.nones; ++l) {
    const int p = st.iones(l);
    st.m(p, st.isplit) = st.icomb(l) != 2 ? 1 : 0;
    st.m(p, st.nzones) = st.icomb(l) != 1 ? 1 : 0;
  }
  s.warten();
  st.nrealc += 1;
  s.trialStarted();
  const std::string line = FixedLine()
                               .text(" Splitting Ezone ")
                               .num(st.isplit, 2)
                               .text(": Combination")
                               .num(st.nrealc, 7)
                               .text(" of")
                               .num(st.ttlhlf - 1, 8);
  if (st.u == kFileUnit) s.toConsole(line);
  std::string digits;
  for (int l = 1; l <= st.nones; ++l) digits += static_cast<char>('0' + st.icomb(l));
  s.report(ruler());
  s.report(line + ", Code = " + digits);
}

void reportEquivalentEzones(Session& s) {
  State& st = s.state();
  for (int j = 2; j <= st.icori(st.csplit); ++j) {
    const std::string line = FixedLine()
                                 .text(" ** Ezone")
                                 .num(st.cori(st.csplit, j), 3)
                                 .text(": Equivalent to splitting Ezone ")
                                 .num(st.cori(st.csplit, 1), 2);
    s.report(ruler());
    s.report(line);
    if (st.u == kFileUnit) s.toConsole(line);
  }
}

void markSplit(State& st) {
  for (int z = 1; z <= st.nzones; ++z) st.shwspl(z) = ' ';
  st.shwspl(st.isplit) = 'x';
  st.shwspl(st.nzones) = 'x';
}

}  // namespace

SplitStep split(Session& s) {
  State& st = s.state();
  st.idraw = 1;
  for (;;) {
    st.nhypo = 0;
    if (st.nsplit == 1 && st.ncomb == st.ttlcmb) return SplitStep::Exhausted;
    bool infeasible = false;
    if (st.csplit != -2 && st.ncomb != st.ttlcmb) {
      st.ncomb += 1;
    } else {
      if (chooseEzone(s) == EzoneChoice::Exhausted) return SplitStep::Exhausted;
      if (st.nones <= st.nlimit) {
        st.ttlcmb = powerOfThree(st.nones) - 1;
        st.ttlhlf = st.ttlcmb / 2;
        st.ncomb = 0;
        st.nrealc = 0;
      } else {
        reportInfeasible(s);
        infeasible = true;
      }
    }
    bool used = false;
    if (!infeasible) {
      used = decode(st);
      if (used) buildTrial(s);
    }
    if (st.ncomb == st.ttlcmb) {
      if (st.nsplit == 0 && st.icori(st.csplit) > 1) reportEquivalentEzones(s);
      if (st.nsplit == 1) {
        st.dosplt = 2;
        return SplitStep::Exhausted;
      }
    }
    if (infeasible) {
      markSplit(st);
      return SplitStep::Infeasible;
    }
    if (!used) continue;
    markSplit(st);
    return SplitStep::TrialReady;
  }
}

void takeTrial(State& to, const State& from) {
  to.idraw = from.idraw;
  to.nhypo = from.nhypo;
  to.dosplt = from.dosplt;
  to.csplit = from.csplit;
  to.isplit = from.isplit;
  to.nones = from.nones;
  to.iones = from.iones;
  to.ncomb = from.ncomb;
  to.ttlcmb = from.ttlcmb;
  to.ttlhlf = from.ttlhlf;
  to.nrealc = from.nrealc;
  to.icomb = from.icomb;
  to.m = from.m;
  to.shwspl = from.shwspl;
}

}  // namespace korvelin
