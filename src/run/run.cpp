#include "run/run.h"

#include <exception>

#include "run/format.h"
#include "run/pass.h"
#include "run/startup.h"
#include "split/control.h"

namespace korvelin {
namespace {

int runSession(Session& s) {
  try {
    startUp(s);
    analysisPass(s);
    splittingControl(s);
  } catch (const RunEnded&) {
  } catch (const std::exception& e) {
    // Not an orderly end (memory exhausted, say): tell the user and fail.
    s.toConsole(FreeLine().text("** The run stopped: ").text(e.what()));
    s.closeAll();
    return 1;
  }
  s.closeAll();
  return 0;
}

}  // namespace

int runKorvelin(Console& console, FileSystem& files, SearchPath path,
                const std::function<void(const Session&)>& finished) {
  return runKorvelin(console, files, RunSettings{}, nullptr, path, finished);
}

int runKorvelin(Console& console, FileSystem& files, const RunSettings& settings, RunObserver* observer,
                SearchPath path, const std::function<void(const Session&)>& finished) {
  Session s(console, files, settings, observer, path);
  const int status = runSession(s);
  s.runEnded();
  if (finished) finished(s);
  return status;
}

}  // namespace korvelin
