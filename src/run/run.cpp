#include "run/run.h"

#include <exception>
#include <memory>

#include "results/hypothesis_fit.h"
#include "run/format.h"
#include "run/pass.h"
#include "run/startup.h"
#include "split/control.h"

namespace korvelin {

int runKorvelin(Console& console, FileSystem& files, SearchPath path,
                const std::function<void(const Session&)>& finished) {
  return runKorvelin(console, files, RunSettings{}, nullptr, path, finished);
}

int runKorvelin(Console& console, FileSystem& files, const RunSettings& settings, RunObserver* observer,
                SearchPath path, const std::function<void(const Session&)>& finished) {
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
    // Not an orderly end (memory exhausted, say): release the files, tell
    // the user and fail.
    s.reset();
    console.out(FreeLine().text("** The run stopped: ").text(e.what()));
    console.flush();
    return exitStatus(EndKind::SystemFailed);
  }
}

}  // namespace korvelin
