#include "run/run.h"

#include <exception>
#include <memory>
#include <new>

#include "results/hypothesis_fit.h"
#include "base/format.h"
#include "run/pass.h"
#include "run/startup.h"
#include "split/control.h"

namespace korvelin {

int runKorvelin(Console& console, FileSystem& files, SearchPath path,
                const std::function<void(Session&)>& finished) {
  return runKorvelin(console, files, RunSettings{}, nullptr, path, finished);
}

int runKorvelin(Console& console, FileSystem& files, const RunSettings& settings, RunObserver* observer,
                SearchPath path, const std::function<void(Session&)>& finished) {
  // The session too is made inside: its state is large, and memory may run
  // out at once.
  std::unique_ptr<Session> s;
  try {
    s = std::make_unique<Session>(console, files, settings, observer, path);
    try {
      startUp(*s);
      analysisPass(*s);
      splittingControl(*s);
    } catch (const RunEnded&) {
    }
    s->runEnded();
    // The fit of every hypothesis, once, for every output that shows it.
    // (The incomplete-sample search has fitted its pass for its ranking
    // table already.)
    if (s->results().fits.size() != s->results().hypotheses.size()) fitResults(s->results(), s->sample());
    if (finished) finished(*s);
    return s->endStatus();
  } catch (const std::exception& e) {
    // Not an orderly end (memory exhausted, say): tell the user, end the
    // report as any failed run ends it, and fail.
    const std::string why = dynamic_cast<const std::bad_alloc*>(&e) ? "memory exhausted" : e.what();
    const std::string line = FreeLine().text("** The run stopped: ").text(why);
    if (s) {
      try {
        s->toUnit(kStderrUnit, line);
        if (s->state().u == kFileUnit) s->report(line);
        s->last(EndKind::SystemFailed, why);
      } catch (...) {
        // Ended (or memory ran out again): the session releases the files.
      }
      s.reset();
    } else {
      console.err(line);
    }
    console.flush();
    return exitStatus(EndKind::SystemFailed);
  }
}

}  // namespace korvelin
