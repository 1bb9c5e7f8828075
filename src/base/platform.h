#pragma once
// The program's two windows on the world: the console (standard input,
// output and error) and the file system. Tests and benchmarks put in-memory
// versions in their place and run whole sessions without a terminal.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "state/origin_store.h"

namespace korvelin {

class Console {
 public:
  virtual ~Console() = default;
  // One line typed by the user, without its line end; false at end of input
  // (or when a stop signal interrupted the wait: see stopSignal).
  virtual bool readLine(std::string& line) = 0;
  virtual void out(const std::string& line) = 0;
  virtual void err(const std::string& line) = 0;
  // Writes out what is still buffered for standard output: 0, or the code of
  // the first write to it that failed (a full disk, a closed pipe).
  virtual int flush() = 0;
  // That code without writing anything: 0 as long as no write has failed.
  virtual int outError() const = 0;
  // The signal that asked the run to stop (Ctrl-C, a closed terminal, kill),
  // or 0.
  virtual int stopSignal() const = 0;
  // A line on standard error that the next one replaces and any other
  // output erases; an empty text erases it. Shown only where standard error
  // is a terminal.
  virtual void progress(const std::string& /*text*/) {}
};

class InputFile {
 public:
  virtual ~InputFile() = default;
  // The next line without its line end; false at end of file or when the
  // line could not be read (see readError).
  virtual bool readLine(std::string& line) = 0;
  // After readLine gave false: 0 at the end of the file, else the code of
  // the failed read (an input/output error, memory exhausted).
  virtual int readError() const = 0;
};

// Calls `f` with each line of `lines` (whole lines, each ending in '\n'),
// without its '\n'; stops at the first call that gives false.
template <class F>
bool forEachLine(std::string_view lines, F&& f) {
  std::string line;
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = lines.find('\n', start);
    line.assign(lines.substr(start, end - start));
    if (!f(line)) return false;
    start = end == std::string_view::npos ? lines.size() : end + 1;
  }
  return true;
}

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // False when the line could not be written (a full disk, say); `status`
  // then holds a non-zero code.
  virtual bool writeLine(const std::string& line, int& status) = 0;
  // Whole lines, each ending in '\n', as so many writeLine calls (which is
  // what this does unless a file takes them faster at once).
  virtual bool writeLines(std::string_view lines, int& status);
  // Hands what is buffered to the system: 0, or the code of a failed write.
  virtual int flush() = 0;
  // Writes out what is still buffered and ends the file for good: an
  // overwrite now takes the old file's place. 0, or the code of a write
  // that failed on the way (the old file then stays).
  virtual int close() = 0;
  // Ends the file without that step: an overwrite's new text is dropped and
  // the old file stays untouched; a new or appended file keeps what it
  // holds. Also what dropping an open file does.
  virtual void discard() = 0;
};

enum class WriteMode { Create, Append, Overwrite };

// What a name stands for, links not followed.
enum class FileKind { Missing, Plain, Directory, Fifo, Device, Link, Other };

// A report file taken for this run: an exclusive lock on a plain file that
// lasts until the file opened from it is closed.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

// The new text of a file that is written whole (the files of a run from the
// command line): it goes to a new file beside the one it is for and takes
// that name only when published, so that a run that fails leaves no file
// and changes none. Dropping it unpublished drops the new text.
class StagedFile : public OutputFile {
 public:
  // close() writes the text out to the disk and publishes nothing.
  // After a close() that succeeded, puts the text in place: under a name
  // that was free when the text was begun, a new file only if the name is
  // still free (EEXIST otherwise, and the file there is left alone); an
  // existing file replaced (Overwrite) or extended (Append). 0, or the code
  // of the failure; the old file is then as it was.
  virtual int publish() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(const std::string& name) = 0;
  virtual FileKind kindOf(const std::string& name) = 0;
  // On failure the result is null and `status` holds a non-zero code.
  virtual std::unique_ptr<InputFile> openRead(const std::string& name, int& status) = 0;
  // Takes the plain file `name` for a report, under an exclusive lock; a
  // missing file is created empty, exclusively and never through a link.
  // Null on failure, with `status` EWOULDBLOCK when another run holds it.
  virtual std::unique_ptr<HeldFile> hold(const std::string& name, int& status) = 0;
  // Opens the held file for writing. Create and Append write into it;
  // Overwrite writes a new file beside it that replaces it only at close().
  virtual std::unique_ptr<OutputFile> openWrite(std::unique_ptr<HeldFile> held, WriteMode mode,
                                                int& status) = 0;
  // Begins the new text of `name` (see StagedFile). An existing plain file
  // is held under an exclusive lock until the text is published or
  // dropped (EWOULDBLOCK when another run holds it); nothing is made under
  // `name` itself. Stale new texts that dead runs left in the folder are
  // removed.
  virtual std::unique_ptr<StagedFile> stage(const std::string& name, WriteMode mode, int& status) = 0;
  // Whether two names lead to the same existing file.
  virtual bool sameFile(const std::string& a, const std::string& b) = 0;
  // A key that two names share exactly when they lead to the same file,
  // made already or not ("r.out", "./r.out" and "link-to-here/r.out").
  virtual std::string identity(const std::string& name) = 0;
  // 0 when a file can be made under `name` (its folder exists and takes
  // new files, the name is not too long), else the code of the obstacle.
  virtual int creatable(const std::string& name) = 0;
  // A new, empty direct-access file of 4-byte records under a fresh name
  // (returned in `name`) that no other file or run in the directory uses.
  virtual std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) = 0;
  virtual void remove(const std::string& name) = 0;
};

// The real terminal and the real working directory. The console takes
// SIGINT, SIGTERM, SIGHUP and SIGQUIT as a request to stop (see
// Console::stopSignal) and ignores SIGPIPE and SIGXFSZ, so that a failed
// write takes the ordinary path of a write that failed; make it before any
// file is created.
std::unique_ptr<Console> makeStandardConsole();
std::unique_ptr<FileSystem> makeDiskFileSystem();

// The processor cores this process may run on (at least 1).
int coresAvailable();

// Starts `work` on a new thread that takes no signals, so that a stop signal
// always reaches the thread that waits for the keyboard. Throws
// std::system_error when no thread can be started.
std::thread startQuietThread(std::function<void()> work);

}  // namespace korvelin
