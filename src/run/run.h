#pragma once
#include "run/platform.h"
#include "run/session.h"

namespace korvelin {

// A whole run, from the banner to the orderly end. Returns the exit status.
int runKorvelin(Console& console, FileSystem& files, SearchPath path = SearchPath::Fast);

}  // namespace korvelin
