#include "run/run.h"

#include "run/pass.h"
#include "run/startup.h"
#include "split/control.h"

namespace korvelin {

int runKorvelin(Console& console, FileSystem& files, SearchPath path) {
  Session s(console, files, path);
  try {
    startUp(s);
    analysisPass(s);
    splittingControl(s);
  } catch (const RunEnded&) {
  }
  s.closeAll();
  return 0;
}

}  // namespace korvelin
