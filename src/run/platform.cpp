#include "run/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace korvelin {
namespace {

// Output is buffered and flushed before every read from the keyboard, so
// long reports cost little and prompts still show before the answer.
class StandardConsole : public Console {
 public:
  StandardConsole() : terminal_(::isatty(STDERR_FILENO) == 1) {
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);
  }
  ~StandardConsole() override {
    progress("");
    std::cout.flush();
  }
  bool readLine(std::string& line) override {
    progress("");
    std::cout.flush();
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  void out(const std::string& line) override {
    progress("");
    std::cout.write(line.data(), static_cast<std::streamsize>(line.size()));
    std::cout.put('\n');
  }
  void err(const std::string& line) override {
    progress("");
    std::cout.flush();
    std::cerr << line << '\n';
    std::cerr.flush();
  }
  // Overwritten and erased with blanks after a carriage return, which every
  // terminal understands.
  void progress(const std::string& text) override {
    if (!terminal_ || (text.empty() && shown_ == 0)) return;
    std::cout.flush();
    std::string line = "\r" + text;
    if (text.size() < shown_) line += std::string(shown_ - text.size(), ' ') + "\r" + text;
    std::cerr << line;
    std::cerr.flush();
    shown_ = text.size();
  }

 private:
  const bool terminal_;
  std::size_t shown_ = 0;  // the length of the progress line on the screen
};

class DiskInputFile : public InputFile {
 public:
  explicit DiskInputFile(std::ifstream in) : in_(std::move(in)) {}
  bool readLine(std::string& line) override {
    if (!std::getline(in_, line)) return false;
    return true;
  }

 private:
  std::ifstream in_;
};

int errorCode() { return errno != 0 ? errno : EIO; }

class DiskOutputFile : public OutputFile {
 public:
  explicit DiskOutputFile(std::FILE* f) : f_(f) { std::setvbuf(f_, nullptr, _IOFBF, 1 << 16); }
  ~DiskOutputFile() override { close(); }
  bool writeLine(const std::string& line, int& status) override {
    errno = 0;
    const bool written = std::fwrite(line.data(), 1, line.size(), f_) == line.size() &&
                         std::fputc('\n', f_) != EOF && !std::ferror(f_);
    status = written ? 0 : errorCode();
    return written;
  }
  int close() override {
    if (f_ == nullptr) return 0;
    errno = 0;
    const bool flushed = std::fflush(f_) == 0 && !std::ferror(f_);
    int status = flushed ? 0 : errorCode();
    if (std::fclose(f_) != 0 && status == 0) status = errorCode();
    f_ = nullptr;
    return status;
  }

 private:
  std::FILE* f_;
};

class DiskRecordFile : public RecordFile {
 public:
  explicit DiskRecordFile(int fd) : fd_(fd) {}
  ~DiskRecordFile() override { ::close(fd_); }
  void write(int record, std::int32_t value) override {
    const off_t at = static_cast<off_t>(record - 1) * 4;
    // A failed write loses nothing the run needs: reads come from memory.
    [[maybe_unused]] ssize_t n = ::pwrite(fd_, &value, sizeof value, at);
  }

 private:
  int fd_;
};

// The scratch file's name, for removal when the run is stopped by a signal
// (Ctrl-C at a question, a closed terminal, kill, a reader of the report
// that went away as in `korvelin | head`). Only the signal handler
// needs it, hence a fixed buffer rather than a string.
char scratchOnSignal[64] = {};

void removeScratchAndStop(int signal) {
  if (scratchOnSignal[0] != '\0') ::unlink(scratchOnSignal);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void removeOnSignal(const std::string& name) {
  if (name.size() >= sizeof scratchOnSignal) return;
  std::memcpy(scratchOnSignal, name.c_str(), name.size() + 1);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) std::signal(signal, removeScratchAndStop);
}

bool endsWithoutNewline(const std::string& name) {
  std::ifstream in(name, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = in.tellg();
  if (size <= 0) return false;
  in.seekg(-1, std::ios::end);
  char last = 0;
  in.get(last);
  return last != '\n';
}

class DiskFileSystem : public FileSystem {
 public:
  bool exists(const std::string& name) override {
    struct stat st {};
    return ::stat(name.c_str(), &st) == 0;
  }
  std::unique_ptr<InputFile> openRead(const std::string& name, int& status) override {
    // Only a plain file can be a pattern file: a folder cannot be read, and
    // a device or pipe (/dev/./zero, say) might never end its first line.
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
      status = S_ISDIR(st.st_mode) ? EISDIR : ENODEV;
      return nullptr;
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) {
      status = errorCode();
      return nullptr;
    }
    status = 0;
    return std::make_unique<DiskInputFile>(std::move(in));
  }
  std::unique_ptr<OutputFile> openWrite(const std::string& name, WriteMode mode,
                                        int& status) override {
    // Appending keeps the old report whole; a last line without its line
    // end is closed first so the new report starts on a line of its own.
    const bool closeLastLine = mode == WriteMode::Append && endsWithoutNewline(name);
    errno = 0;
    std::FILE* f = std::fopen(name.c_str(), mode == WriteMode::Append ? "ab" : "wb");
    if (f == nullptr) {
      status = errorCode();
      return nullptr;
    }
    if (closeLastLine) std::fputc('\n', f);
    status = 0;
    return std::make_unique<DiskOutputFile>(f);
  }
  bool sameFile(const std::string& a, const std::string& b) override {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
  }
  std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) override {
    // Exclusive creation: an existing file, or a link planted under the
    // name, is never opened, truncated or followed; the next name is tried.
    constexpr int kNamesToTry = 1000;
    for (int n = 0; n < kNamesToTry; ++n) {
      std::string candidate =
          ".korvelin-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".scr";
      const int fd =
          ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd >= 0) {
        name = std::move(candidate);
        removeOnSignal(name);
        status = 0;
        return std::make_unique<DiskRecordFile>(fd);
      }
      if (errno != EEXIST) break;
    }
    status = errorCode();
    return nullptr;
  }
  void remove(const std::string& name) override {
    ::unlink(name.c_str());
    if (name == scratchOnSignal) scratchOnSignal[0] = '\0';
  }
};

}  // namespace

std::unique_ptr<Console> makeStandardConsole() { return std::make_unique<StandardConsole>(); }
std::unique_ptr<FileSystem> makeDiskFileSystem() { return std::make_unique<DiskFileSystem>(); }

}  // namespace korvelin
