#pragma once
#include "run/observer.h"
#include "run/platform.h"
#include "run/session.h"
#include "run/settings.h"

namespace korvelin {

// A whole run, from the banner to the orderly end. Returns the exit status.
int runKorvelin(Console& console, FileSystem& files, SearchPath path = SearchPath::Fast);
// The same with settings made in advance (the command line); `observer`
// (may be null) hears of the run as it goes.
int runKorvelin(Console& console, FileSystem& files, const RunSettings& settings, RunObserver* observer,
                SearchPath path = SearchPath::Fast);

}  // namespace korvelin
