#include "base/report_file.h"

#include <cerrno>
#include <cstring>

#include "base/format.h"

namespace korvelin {

std::string kindProblem(FileSystem& files, const std::string& name) {
  switch (files.kindOf(name)) {
    case FileKind::Missing:
    case FileKind::Plain: return {};
    case FileKind::Directory: return "a directory, not a plain file";
    case FileKind::Fifo: return "a named pipe, not a plain file";
    case FileKind::Device: return "a device, not a plain file";
    case FileKind::Link: return "a symbolic link, not a plain file";
    case FileKind::Other: break;
  }
  return "not a plain file";
}

std::string systemMessage(int status) {
  if (status == EWOULDBLOCK) return "in use by another run";
  if (status == ENOMEM) return "memory exhausted";
  return std::strerror(status);
}

std::string kindRefusal(FileSystem& files, const std::string& name) {
  const std::string what = kindProblem(files, name);
  if (what.empty()) return {};
  return FreeLine().text("** " + printable(name) + " is " + what);
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
