#pragma once
// Taking the report file, in steps that the dialogue and a caller without
// questions share: the name must stand for a plain file (or nothing yet);
// the file is then held under an exclusive lock for the run, and opened
// from the hold with FileSystem::openWrite in the mode chosen. The session
// ends it (Session::last): an overwrite replaces the old file only when the
// run ends well.

#include <memory>
#include <string>

#include "base/platform.h"

namespace korvelin {

// What the name stands for when it is no plain file or missing ("a
// directory, not a plain file"), or empty.
std::string kindProblem(FileSystem& files, const std::string& name);

// A failure code in words, as messages show it ("No space left on device";
// "in use by another run" for a file that another run holds).
std::string systemMessage(int status);

// The "** " line that refuses `name` as a report file for what it is (a
// directory, a named pipe, a device, a symbolic link), or empty.
std::string kindRefusal(FileSystem& files, const std::string& name);

// Holds `name` for this run's report. Returns the "** " line to show when
// the name is refused (not a plain file, or in use by another run; another
// name may be tried); otherwise an empty line, and then either `held` holds
// the file (created empty when missing; `existed` says whether it was there
// before) or the system refused it with `status` (no permission, say).
std::string holdReportFile(FileSystem& files, const std::string& name, std::unique_ptr<HeldFile>& held,
                           bool& existed, int& status);

}  // namespace korvelin
