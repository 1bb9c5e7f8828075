#include "run/report_file.h"

#include <cerrno>

#include "run/format.h"

namespace korvelin {

std::string kindRefusal(FileSystem& files, const std::string& name) {
  const char* what = nullptr;
  switch (files.kindOf(name)) {
    case FileKind::Missing:
    case FileKind::Plain: return {};
    case FileKind::Directory: what = " is a directory, not a plain file"; break;
    case FileKind::Fifo: what = " is a named pipe, not a plain file"; break;
    case FileKind::Device: what = " is a device, not a plain file"; break;
    case FileKind::Link: what = " is a symbolic link, not a plain file"; break;
    case FileKind::Other: what = " is not a plain file"; break;
  }
  return FreeLine().text("** " + printable(name) + what);
}

std::string holdReportFile(FileSystem& files, const std::string& name, std::unique_ptr<HeldFile>& held,
                           bool& existed, int& status) {
  held.reset();
  status = 0;
  if (std::string refusal = kindRefusal(files, name); !refusal.empty()) return refusal;
  existed = files.kindOf(name) == FileKind::Plain;
  held = files.hold(name, status);
  if (!held && status == EWOULDBLOCK) return FreeLine().text("** " + printable(name) + " is in use by another run");
  return {};
}

}  // namespace korvelin
