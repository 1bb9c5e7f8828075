#include "base/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <set>

namespace korvelin {
namespace {

// The signal that asked the run to stop; set only by the handler below and
// read at the points where the run can end in order.
std::atomic<int> stopRequested{0};
static_assert(std::atomic<int>::is_always_lock_free, "set in a signal handler");

extern "C" void requestStop(int signal) { stopRequested.store(signal); }

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void installSignalHandling() {
  struct sigaction stop {};
  stop.sa_handler = requestStop;
  sigemptyset(&stop.sa_mask);
  stop.sa_flags = 0;  // no restart: a wait for the keyboard returns at once
  for (int signal : kStopSignals) ::sigaction(signal, &stop, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  for (int signal : {SIGPIPE, SIGXFSZ}) ::sigaction(signal, &ignore, nullptr);
}

int errorCode() { return errno != 0 ? errno : EIO; }

// Writes all of `data` to `fd`; 0, or the code of the failure.
int writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errorCode();
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Output is buffered and written out before every read from the keyboard,
// so long reports cost little and prompts still show before the answer.
// The first failed write to standard output is kept; nothing more is sent.
class StandardConsole : public Console {
 public:
  StandardConsole() : terminal_(::isatty(STDERR_FILENO) == 1) { installSignalHandling(); }
  ~StandardConsole() override {
    progress("");
    flush();
  }

  bool readLine(std::string& line) override {
    progress("");
    flush();
    line.clear();
    for (;;) {
      const auto end = in_.find('\n', scanned_);
      if (end != std::string::npos) {
        line.assign(in_, 0, end);
        in_.erase(0, end + 1);
        scanned_ = 0;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
      }
      scanned_ = in_.size();
      if (inputEnded_ || !waitForInput()) break;
      char chunk[4096];
      const ssize_t n = ::read(0, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        inputEnded_ = true;
        continue;
      }
      in_.append(chunk, static_cast<std::size_t>(n));
    }
    // A last line without its line end still counts.
    if (inputEnded_ && !in_.empty() && stopRequested == 0) {
      line.swap(in_);
      in_.clear();
      scanned_ = 0;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    return false;
  }
  void out(const std::string& line) override {
    progress("");
    if (error_ != 0) return;
    pending_ += line;
    pending_ += '\n';
    if (pending_.size() >= kBuffer) flush();
  }
  void err(const std::string& line) override {
    progress("");
    flush();
    const std::string text = line + '\n';
    writeAll(2, text.data(), text.size());
  }
  int flush() override {
    if (error_ == 0 && !pending_.empty()) error_ = writeAll(1, pending_.data(), pending_.size());
    pending_.clear();
    return error_;
  }
  int outError() const override { return error_; }
  // Overwritten and erased with blanks after a carriage return, which every
  // terminal understands.
  void progress(const std::string& text) override {
    if (!terminal_ || (text.empty() && shown_ == 0)) return;
    flush();
    std::string line = "\r" + text;
    if (text.size() < shown_) line += std::string(shown_ - text.size(), ' ') + "\r" + text;
    writeAll(2, line.data(), line.size());
    shown_ = text.size();
  }
  int stopSignal() const override { return stopRequested; }

 private:
  static constexpr std::size_t kBuffer = 1 << 16;
  const bool terminal_;
  std::size_t shown_ = 0;  // the length of the progress line on the screen

  // Waits until standard input has something to read; false when a stop
  // signal came first. The signals are blocked while the flag is checked and
  // let in only inside the wait, so one that comes just before the wait is
  // not missed.
  bool waitForInput() {
    sigset_t stops;
    sigset_t before;
    sigemptyset(&stops);
    for (int signal : kStopSignals) sigaddset(&stops, signal);
    ::sigprocmask(SIG_BLOCK, &stops, &before);
    bool ready = false;
    for (;;) {
      if (stopRequested != 0) break;
      pollfd keyboard{0, POLLIN, 0};
      const int n = ::ppoll(&keyboard, 1, nullptr, &before);
      if (n < 0 && errno == EINTR) continue;
      ready = true;  // input, its end, or an error that the read then meets
      break;
    }
    ::sigprocmask(SIG_SETMASK, &before, nullptr);
    return ready;
  }

  std::string pending_;
  int error_ = 0;
  std::string in_;
  std::size_t scanned_ = 0;
  bool inputEnded_ = false;
};

class DiskInputFile : public InputFile {
 public:
  explicit DiskInputFile(std::ifstream in) : in_(std::move(in)) {}
  bool readLine(std::string& line) override {
    errno = 0;
    if (std::getline(in_, line)) return true;
    // A line that could not be stored (memory) or read (a disk error) is
    // no end of the data.
    if (in_.bad()) error_ = errorCode();
    return false;
  }
  int readError() const override { return error_; }

 private:
  std::ifstream in_;
  int error_ = 0;
};

// Buffered writes to a file; `f` owns the descriptor. The report of a
// dialogue goes to the system a disk block at a time, so that a failed write
// shows soon. A file written whole (`whole`, see StagedFile) takes a larger
// buffer and is handed to the disk as it grows, so that the sync before it
// is published has little left to wait for.
class StdioFile {
 public:
  explicit StdioFile(std::FILE* f, bool whole = false) : f_(f), whole_(whole) {
    if (!whole) return;
    buffer_ = std::make_unique<char[]>(kBuffer);
    std::setvbuf(f_, buffer_.get(), _IOFBF, kBuffer);
  }
  ~StdioFile() { close(); }
  bool writeLine(const std::string& line, int& status) {
    // Only the main thread writes the report: the stream needs no lock.
    errno = 0;
    const bool written = ::fwrite_unlocked(line.data(), 1, line.size(), f_) == line.size() &&
                         ::fputc_unlocked('\n', f_) != EOF && !::ferror_unlocked(f_);
    status = written ? 0 : errorCode();
    return written && grew(line.size() + 1);
  }
  bool writeLines(std::string_view lines, int& status) {
    errno = 0;
    const bool written = ::fwrite_unlocked(lines.data(), 1, lines.size(), f_) == lines.size() && !::ferror_unlocked(f_);
    status = written ? 0 : errorCode();
    return written && grew(lines.size());
  }
  int flush() {
    errno = 0;
    return std::fflush(f_) == 0 && !std::ferror(f_) ? 0 : errorCode();
  }
  int fd() const { return ::fileno(f_); }
  int close() {
    if (f_ == nullptr) return 0;
    int status = flush();
    errno = 0;
    if (std::fclose(f_) != 0 && status == 0) status = errorCode();
    f_ = nullptr;
    return status;
  }

 private:
  static constexpr std::size_t kBuffer = std::size_t(256) << 10;
  static constexpr std::size_t kWritebackStep = std::size_t(8) << 20;
  bool grew(std::size_t bytes) {
    unwritten_ += bytes;
    if (whole_ && unwritten_ >= kWritebackStep) {
      // Only a start: what fails shows in the sync.
      ::sync_file_range(::fileno(f_), 0, 0, SYNC_FILE_RANGE_WRITE);
      unwritten_ = 0;
    }
    return true;
  }

  std::unique_ptr<char[]> buffer_;  // the stream's (closed before this goes)
  std::FILE* f_;
  bool whole_;
  std::size_t unwritten_ = 0;
};

bool hasNul(const std::string& name) { return name.find('\0') != std::string::npos; }

// A report file taken for the run: its descriptor carries the lock.
class DiskHeldFile : public HeldFile {
 public:
  DiskHeldFile(std::string name, int fd) : name(std::move(name)), fd(fd) {}
  ~DiskHeldFile() override {
    if (fd >= 0) ::close(fd);
  }
  int release() {
    const int f = fd;
    fd = -1;
    return f;
  }
  std::string name;
  int fd;
};

// Create and Append: the report goes into the held file itself.
class DiskOutputFile : public OutputFile {
 public:
  explicit DiskOutputFile(std::FILE* f) : file_(f) {}
  bool writeLine(const std::string& line, int& status) override { return file_.writeLine(line, status); }
  bool writeLines(std::string_view lines, int& status) override { return file_.writeLines(lines, status); }
  int flush() override { return file_.flush(); }
  int close() override { return file_.close(); }
  void discard() override { file_.close(); }

 private:
  StdioFile file_;
};

// Overwrite: the report goes into a new file beside the old one, which
// replaces it, with the old file's permissions, only when the run ends well.
class DiskReplacingFile : public OutputFile {
 public:
  DiskReplacingFile(std::unique_ptr<DiskHeldFile> held, std::FILE* f, std::string temporary)
      : held_(std::move(held)), file_(f), temporary_(std::move(temporary)) {}
  ~DiskReplacingFile() override { discard(); }
  bool writeLine(const std::string& line, int& status) override { return file_.writeLine(line, status); }
  bool writeLines(std::string_view lines, int& status) override { return file_.writeLines(lines, status); }
  int flush() override { return file_.flush(); }
  int close() override {
    if (done_) return 0;
    done_ = true;
    struct stat old {};
    int status = file_.flush();
    if (status == 0 && ::fstat(held_->fd, &old) == 0 && ::fchmod(file_.fd(), old.st_mode & 07777) != 0)
      status = errorCode();
    if (status == 0 && ::fsync(file_.fd()) != 0) status = errorCode();
    const int closed = file_.close();
    if (status == 0) status = closed;
    if (status == 0 && ::rename(temporary_.c_str(), held_->name.c_str()) != 0) status = errorCode();
    if (status != 0) ::unlink(temporary_.c_str());
    held_.reset();
    return status;
  }
  void discard() override {
    if (done_) return;
    done_ = true;
    file_.close();
    ::unlink(temporary_.c_str());
    held_.reset();
  }

 private:
  std::unique_ptr<DiskHeldFile> held_;
  StdioFile file_;
  std::string temporary_;
  bool done_ = false;
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

// Whether the last byte of the open file is something other than a line end.
bool endsWithoutNewline(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || st.st_size <= 0) return false;
  char last = 0;
  return ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
}

// The folder part of a name, with its slash ("" for the working folder).
std::string folderOf(const std::string& name) {
  const auto slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// Makes a new file ".korvelin-PID-N<suffix>" in `folder` (with its slash):
// exclusively, so that an existing file or a planted link is never opened,
// and locked, so that no other run takes it for a dead run's leftover.
// Returns the descriptor, or -1 with errno set.
int createTemporary(const std::string& folder, const char* suffix, std::string& name) {
  constexpr int kNamesToTry = 1000;
  for (int n = 0; n < kNamesToTry; ++n) {
    std::string candidate = folder + ".korvelin-" + std::to_string(::getpid()) + "-" + std::to_string(n) + suffix;
    const int fd = ::open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::flock(fd, LOCK_EX | LOCK_NB);
      name = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  return -1;
}

// The permissions of a new file: all that the user's file mask allows.
mode_t newFileMode() {
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

// Moves `from` to `to` only when nothing is under `to`: EEXIST otherwise.
int renameIfFree(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /* RENAME_NOREPLACE */) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errorCode();
#endif
  // Without that call: a second name, which fails when one exists.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return 0;
  }
  return errorCode();
}

// A file written whole (see StagedFile): the text goes into a temporary
// beside the target; `held` is the existing target under its lock (or -1).
class DiskStagedFile : public StagedFile {
 public:
  DiskStagedFile(std::string name, WriteMode mode, int held, std::FILE* f, int fd, std::string temporary)
      : name_(std::move(name)), mode_(mode), held_(held), file_(f, true), fd_(fd), temporary_(std::move(temporary)) {}
  ~DiskStagedFile() override { discard(); }
  bool writeLine(const std::string& line, int& status) override { return file_.writeLine(line, status); }
  bool writeLines(std::string_view lines, int& status) override { return file_.writeLines(lines, status); }
  int flush() override { return file_.flush(); }
  int close() override {
    int status = file_.close();
    struct stat old {};
    const mode_t mode = held_ >= 0 && ::fstat(held_, &old) == 0 ? old.st_mode & 07777 : newFileMode();
    if (status == 0 && ::fchmod(fd_, mode) != 0) status = errorCode();
    if (status == 0 && ::fsync(fd_) != 0) status = errorCode();
    closed_ = status == 0;
    return status;
  }
  int publish() override {
    if (!closed_ || fd_ < 0) return EINVAL;
    int status = 0;
    if (held_ < 0)
      status = renameIfFree(temporary_, name_);
    else if (mode_ == WriteMode::Overwrite)
      status = ::rename(temporary_.c_str(), name_.c_str()) == 0 ? 0 : errorCode();
    else
      status = appendToHeld();
    if (status == 0 && held_ < 0) temporary_.clear();  // it is the file now
    discard();
    return status;
  }
  void discard() override {
    file_.close();
    if (fd_ >= 0) ::close(fd_);
    if (held_ >= 0) ::close(held_);
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    fd_ = held_ = -1;
    temporary_.clear();
  }

 private:
  // Adds the text to the end of the held file; on failure cuts the file
  // back to what it was. An old last line without its line end is closed
  // first, so the new text starts on a line of its own.
  int appendToHeld() {
    struct stat st {};
    if (::fstat(held_, &st) != 0) return errorCode();
    off_t to = st.st_size;
    int status = 0;
    if (endsWithoutNewline(held_)) status = writeAt(held_, "\n", 1, to++);
    char buffer[1 << 16];
    for (off_t from = 0; status == 0;) {
      const ssize_t n = ::pread(fd_, buffer, sizeof buffer, from);
      if (n == 0) break;
      if (n < 0) {
        if (errno == EINTR) continue;
        status = errorCode();
        break;
      }
      status = writeAt(held_, buffer, static_cast<std::size_t>(n), to);
      from += n;
      to += n;
    }
    if (status == 0 && ::fsync(held_) != 0) status = errorCode();
    if (status != 0) {
      [[maybe_unused]] const int cut = ::ftruncate(held_, st.st_size);
    }
    return status;
  }
  static int writeAt(int fd, const char* data, std::size_t size, off_t at) {
    while (size > 0) {
      const ssize_t n = ::pwrite(fd, data, size, at);
      if (n < 0) {
        if (errno == EINTR) continue;
        return errorCode();
      }
      data += n;
      at += n;
      size -= static_cast<std::size_t>(n);
    }
    return 0;
  }

  std::string name_;
  WriteMode mode_;
  int held_;
  StdioFile file_;
  int fd_;  // the temporary, for its mode, its sync and reading it back
  std::string temporary_;
  bool closed_ = false;
};

class DiskFileSystem : public FileSystem {
 public:
  bool exists(const std::string& name) override {
    struct stat st {};
    return !hasNul(name) && ::stat(name.c_str(), &st) == 0;
  }
  FileKind kindOf(const std::string& name) override {
    struct stat st {};
    if (hasNul(name)) return FileKind::Other;  // no file can have that name
    if (::lstat(name.c_str(), &st) != 0) return FileKind::Missing;
    if (S_ISREG(st.st_mode)) return FileKind::Plain;
    if (S_ISDIR(st.st_mode)) return FileKind::Directory;
    if (S_ISFIFO(st.st_mode)) return FileKind::Fifo;
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) return FileKind::Device;
    if (S_ISLNK(st.st_mode)) return FileKind::Link;
    return FileKind::Other;
  }
  std::unique_ptr<InputFile> openRead(const std::string& name, int& status) override {
    // Only a plain file can be a pattern file: a folder cannot be read, and
    // a device or pipe (/dev/./zero, say) might never end its first line.
    struct stat st {};
    if (hasNul(name)) {
      status = ENOENT;
      return nullptr;
    }
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
  std::unique_ptr<HeldFile> hold(const std::string& name, int& status) override {
    if (hasNul(name)) {
      status = EINVAL;
      return nullptr;
    }
    // A committing run may put a new file under the name between the open
    // and the lock; the name is then taken again.
    for (int attempt = 0; attempt < 100; ++attempt) {
      errno = 0;
      int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd < 0 && errno == EEXIST) {
        fd = ::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) continue;  // removed in between
      }
      // A missing folder, say: the name cannot be made.
      if (fd < 0) {
        status = errorCode();
        return nullptr;
      }
      auto held = std::make_unique<DiskHeldFile>(name, fd);
      struct stat opened {};
      struct stat named {};
      if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        status = EINVAL;
        return nullptr;
      }
      if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        status = errno == EWOULDBLOCK ? EWOULDBLOCK : errorCode();
        return nullptr;
      }
      if (::lstat(name.c_str(), &named) != 0 || named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
        continue;
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      status = 0;
      return held;
    }
    status = EBUSY;
    return nullptr;
  }
  std::unique_ptr<OutputFile> openWrite(std::unique_ptr<HeldFile> file, WriteMode mode, int& status) override {
    std::unique_ptr<DiskHeldFile> held(static_cast<DiskHeldFile*>(file.release()));
    errno = 0;
    if (mode != WriteMode::Overwrite) {
      // Appending keeps the old report whole; a last line without its line
      // end is closed first so the new report starts on a line of its own.
      const bool closeLastLine = mode == WriteMode::Append && endsWithoutNewline(held->fd);
      ::fcntl(held->fd, F_SETFL, ::fcntl(held->fd, F_GETFL) | O_APPEND);
      std::FILE* f = ::fdopen(held->fd, "ab");
      if (f == nullptr) {
        status = errorCode();
        return nullptr;
      }
      held->release();
      if (closeLastLine) std::fputc('\n', f);
      status = 0;
      return std::make_unique<DiskOutputFile>(f);
    }
    std::string temporary;
    const int fd = createTemporary(folderOf(held->name), ".new", temporary);
    if (fd < 0) {
      status = errorCode();
      return nullptr;
    }
    std::FILE* f = ::fdopen(fd, "wb");
    if (f == nullptr) {
      status = errorCode();
      ::close(fd);
      ::unlink(temporary.c_str());
      return nullptr;
    }
    status = 0;
    return std::make_unique<DiskReplacingFile>(std::move(held), f, std::move(temporary));
  }
  std::unique_ptr<StagedFile> stage(const std::string& name, WriteMode mode, int& status) override {
    if (hasNul(name)) {
      status = EINVAL;
      return nullptr;
    }
    const std::string folder = folderOf(name);
    removeStaleTemporaries(folder);
    errno = 0;
    int held = -1;
    if (mode != WriteMode::Create) {
      held = ::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (held < 0 && errno != ENOENT) {
        status = errorCode();
        return nullptr;
      }
      struct stat st {};
      if (held >= 0 && (::fstat(held, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(held, LOCK_EX | LOCK_NB) != 0)) {
        status = errno == EWOULDBLOCK ? EWOULDBLOCK : S_ISREG(st.st_mode) ? errorCode() : EINVAL;
        ::close(held);
        return nullptr;
      }
      if (held >= 0) ::fcntl(held, F_SETFL, ::fcntl(held, F_GETFL) & ~O_NONBLOCK);
    }
    std::string temporary;
    const int fd = createTemporary(folder, ".new", temporary);
    std::FILE* f = fd < 0 ? nullptr : ::fdopen(::dup(fd), "wb");
    if (f == nullptr) {
      status = errorCode();
      if (fd >= 0) {
        ::close(fd);
        ::unlink(temporary.c_str());
      }
      if (held >= 0) ::close(held);
      return nullptr;
    }
    status = 0;
    return std::make_unique<DiskStagedFile>(name, mode, held, f, fd, std::move(temporary));
  }
  bool sameFile(const std::string& a, const std::string& b) override {
    struct stat sa {};
    struct stat sb {};
    return !hasNul(a) && !hasNul(b) && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }
  std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) override {
    removeStaleTemporaries("");
    const int fd = createTemporary("", ".scr", name);
    if (fd < 0) {
      status = errorCode();
      return nullptr;
    }
    status = 0;
    return std::make_unique<DiskRecordFile>(fd);
  }
  std::string identity(const std::string& name) override {
    // An existing file is known by its device and inode; a name not yet
    // made, by its folder's and its last part.
    struct stat st {};
    if (hasNul(name)) return name;
    if (::stat(name.c_str(), &st) == 0) return "file " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    const std::string folder = folderOf(name);
    if (::stat(folder.empty() ? "." : folder.c_str(), &st) != 0) return "name " + name;
    return "in " + std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + " " + name.substr(folder.size());
  }
  int creatable(const std::string& name) override {
    if (hasNul(name)) return EINVAL;
    struct stat st {};
    errno = 0;
    if (::lstat(name.c_str(), &st) != 0 && errno != ENOENT) return errorCode();
    const std::string folder = folderOf(name);
    // A last part too long for the folder is found by lstat on most file
    // systems; not on all.
    const long longest = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    errno = 0;
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0) return errorCode();
    if (longest > 0 && name.size() - folder.size() > static_cast<std::size_t>(longest)) return ENAMETOOLONG;
    return 0;
  }
  void remove(const std::string& name) override { ::unlink(name.c_str()); }

 private:
  // The new texts (".new") and scratch files (".scr") that runs killed
  // outright left behind: named for a process that no longer exists, owned
  // by this user, and not held by any run (each run holds its own under a
  // lock). Once per folder.
  void removeStaleTemporaries(const std::string& folder) {
    if (!cleaned_.insert(folder).second) return;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string file = entry->d_name;
      long pid = 0;
      int used = 0;
      if (std::sscanf(file.c_str(), ".korvelin-%ld-%*d%n", &pid, &used) < 1 || used == 0 || pid <= 0) continue;
      const std::string rest = file.substr(static_cast<std::size_t>(used));
      if ((rest != ".new" && rest != ".scr") || pid == ::getpid()) continue;
      if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
      const std::string path = folder + file;
      const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0) continue;
      struct stat opened {};
      struct stat named {};
      if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) && opened.st_uid == ::geteuid() &&
          ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::lstat(path.c_str(), &named) == 0 &&
          named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        ::unlink(path.c_str());
      ::close(fd);
    }
    ::closedir(dir);
  }
  std::set<std::string> cleaned_;
};

}  // namespace

bool OutputFile::writeLines(std::string_view lines, int& status) {
  status = 0;
  return forEachLine(lines, [&](const std::string& line) { return writeLine(line, status); });
}

std::unique_ptr<Console> makeStandardConsole() { return std::make_unique<StandardConsole>(); }
std::unique_ptr<FileSystem> makeDiskFileSystem() { return std::make_unique<DiskFileSystem>(); }

int coresAvailable() {
  cpu_set_t cores;
  CPU_ZERO(&cores);
  if (::sched_getaffinity(0, sizeof cores, &cores) == 0) return std::max(1, CPU_COUNT(&cores));
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::thread startQuietThread(std::function<void()> work) {
  // A new thread starts with the signal mask of the thread that makes it.
  sigset_t all, old;
  sigfillset(&all);
  ::pthread_sigmask(SIG_BLOCK, &all, &old);
  struct Restore {
    sigset_t& old;
    ~Restore() { ::pthread_sigmask(SIG_SETMASK, &old, nullptr); }
  } restore{old};
  return std::thread(std::move(work));
}

}  // namespace korvelin
