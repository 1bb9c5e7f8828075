#include "run/run.h"

#include <exception>

#include "run/format.h"
#include "run/pass.h"
#include "run/startup.h"
#include "split/control.h"

namespace korvelin {

int runKorvelin(Console& console, FileSystem& files, SearchPath path,
                const std::function<void(const Session&)>& finished) {
  Session s(console, files, path);
  try {
    startUp(s);
    analysisPass(s);
    splittingControl(s);
  } catch (const RunEnded&) {
  } catch (const std::exception& e) {
    // Not an orderly end (memory exhausted, say): tell the user and fail.
    console.out(FreeLine().text("** The run stopped: ").text(e.what()));
    s.closeAll();
    if (finished) finished(s);
    return 1;
  }
  s.closeAll();
  if (finished) finished(s);
  return 0;
}

}  // namespace korvelin
