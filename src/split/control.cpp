#include "split/control.h"

#include <memory>
#include <vector>

#include "relations/logary.h"
#include "base/format.h"
#include "run/pass.h"
#include "split/split.h"
#include "split/trials_ahead.h"

namespace korvelin {
namespace {

void offer(Session& s) {
  if (s.settings().unattended) {
    if (s.settings().splits.empty()) s.last(EndKind::Asked, "no search for overlapping Ezones");
    return;
  }
  s.toConsole(ruler());
  s.toConsole(FreeLine().text(">> Do you want to search for overlapping Ezones ").text("(epistasis)? :"));
  s.toConsole(FreeLine().text("   Yes=\"y\", No=\"n\" [default=\"n\"] : >> "));
  const char answer = s.readLetter();
  if (answer != 'y' && answer != 'Y' && answer != 'j' && answer != 'J')
    s.last(EndKind::Asked, "no search for overlapping Ezones");
}

// The next of the menu answers given in advance; none left ends the run.
// They were checked against the data before the run.
int nextRequest(Session& s) {
  std::vector<int>& splits = s.settings().splits;
  if (splits.empty()) s.last(EndKind::Asked, "the requested splits are done");
  const int answer = splits.front();
  splits.erase(splits.begin());
  if (answer < 0 || answer > s.state().nzones) {
    s.toConsole(FreeLine().text("** No Ezone ").num(answer).text(" exists"));
    s.last(EndKind::InputUnusable, "no usable answer: no Ezone " + std::to_string(answer));
  }
  return answer;
}

// Asks until a usable Ezone number (or 0 for all) comes; -1 ends the run.
int menu(Session& s) {
  State& st = s.state();
  if (s.settings().unattended) return nextRequest(s);
  int tries = 0;
  for (;;) {
    s.toConsole(FreeLine().text(" "));
    s.toConsole(FreeLine().text(">> Which Ezone should be split into two new Ezones?"));
    s.toConsole(FreeLine().text("   Ezone N = \"N\", All Ezones = \"0\", ").text(
        "End program = \"-1\" [no default] : >> "));
    int answer = 0;
    if (!s.readNumber(answer)) {
      s.refused(tries);
      continue;
    }
    if (answer == -1) s.last(EndKind::Asked, "the run ended at the Ezone menu");
    if (answer < 0 || answer > st.nzones) {
      s.toConsole(FreeLine().text("** No Ezone ").num(answer).text(" exists - Try again **"));
      s.refused(tries);
      continue;
    }
    return answer;
  }
}

int askMaximalN(Session& s) {
  if (s.settings().unattended) return s.settings().maximalN;
  int tries = 0;
  for (;;) {
    mxsplt(s);
    int n = 0;
    if (s.readNumber(n)) return n;
    s.refused(tries);
  }
}

// Menu steps 5 and 6: what to split, and for all Ezones the largest N.
void takeRequest(Session& s, int answer) {
  State& st = s.state();
  st.isplit = answer;
  st.nsplit = answer > 0 ? 1 : 0;
  st.nlimit = st.mxones;
  if (answer == 0) {
    const int n = askMaximalN(s);
    if (n > 0 && n < st.mxones) {
      st.mxone1 = n;
      st.nlimit = n;
    }
  }
}

// The classes and relations of the input patterns, as the first pass left
// them.
void copyInputClasses(State& st) {
  keepInputRelations(st);
  st.nclori = st.nclass;
  for (int k = -2; k <= st.nclori; ++k) {
    if (k == 0) continue;
    st.icori(k) = st.ic(k);
    for (int j = 1; j <= st.ic(k); ++j) st.cori(k, j) = st.c(k, j);
  }
}

void restartRequest(State& st) {
  st.ncomb = 0;
  st.ttlcmb = -100;
  st.csplit = -2;
  st.nhypo = 0;
}

}  // namespace

void mxsplt(Session& s) {
  const State& st = s.state();
  s.toConsole(FreeLine().text(" "));
  s.toConsole(FreeLine().text(">> If an Ezone exhibits a band in N patterns, ").text("there are (3^N-3)/2 ways"));
  s.toConsole(FreeLine().text("   to distribute the N bands over two new ").text("Ezones, such that for each"));
  s.toConsole(FreeLine().text("   of the N patterns, a band appears in at ").text("least one of the new zones."));
  s.toConsole(FixedLine().text("    Input maximal N not greater than").num(st.mxones, 3).text(" for which Ezone splitting"));
  s.toConsole(FreeLine().text("   is to be performed ").text("[no default] : >> "));
}

void splittingControl(Session& s) {
  State& st = s.state();
  offer(s);
  takeRequest(s, menu(s));
  // The trials of the request in hand run ahead on other threads, when more
  // than one may analyse them.
  std::unique_ptr<TrialsAhead> ahead;
  auto startRequest = [&] {
    ahead.reset();
    if (const int jobs = trialJobs(s); jobs > 1) ahead = std::make_unique<TrialsAhead>(s, jobs);
  };

  // The first request.
  copyInputClasses(st);
  st.begin = 0;
  restartRequest(st);
  if (st.nsplit == 0) st.isplit = 0;
  st.dosplt = 1;
  st.nzones += 1;
  s.reportAndConsole(ruler());
  s.reportAndConsole(FixedLine().text(" Running through possible ").text("combinations of Ezone overlap ..."));
  startRequest();
  // The trial loop; the first request goes to T1 without totals when its
  // first call of `split` already finds nothing to try.
  enum class Next { T1, T2, T5 };
  Next next = split(s) == SplitStep::TrialReady ? Next::T5 : Next::T1;
  for (;;) {
    s.checkStop();  // between split trials
    if (next == Next::T1) {
      st.mxone1 = st.mxones;
      if (st.nsplit == 1 && st.ncomb == st.ttlcmb) {
        ahead.reset();
        takeRequest(s, menu(s));
        restartRequest(st);
        // Also after a first request that ended inside its first `split`.
        st.dosplt = 1;
        startRequest();
      }
      next = Next::T2;
    }
    if (next == Next::T2) {
      const SplitStep step = split(s);
      if (st.dosplt == 2) {
        ahead.reset();
        writeTotals(s);
        if (st.nsplit == 0) s.last(EndKind::Asked, "the search over all Ezones is complete");
        st.dosplt = 1;
        st.nlimit = st.mxones;
        next = Next::T1;
        continue;
      }
      if (step == SplitStep::Infeasible) {
        next = Next::T1;
        continue;
      }
    }
    const PassEnd end = ahead ? ahead->pass(s) : analysisPass(s);
    next = end == PassEnd::Redundant ? Next::T2 : Next::T1;
  }
}

}  // namespace korvelin
