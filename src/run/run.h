#pragma once
#include <functional>

#include "base/observer.h"
#include "base/platform.h"
#include "base/session.h"
#include "base/settings.h"

namespace korvelin {

// A whole run, from the banner to the orderly end. Returns the exit status.
// `finished`, when given, sees the session once the run is over, however it
// ended in order (the results and the sample are complete then; it may
// take them).
int runKorvelin(Console& console, FileSystem& files, SearchPath path = SearchPath::Fast,
                const std::function<void(Session&)>& finished = {});
// The same with settings made in advance (the command line); `observer`
// (may be null) hears of the run as it goes.
int runKorvelin(Console& console, FileSystem& files, const RunSettings& settings, RunObserver* observer,
                SearchPath path = SearchPath::Fast, const std::function<void(Session&)>& finished = {});

}  // namespace korvelin
