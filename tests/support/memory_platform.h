#pragma once
// In-memory console and file system: a whole session runs in-process with
// scripted answers, and what it wrote is read back as text.

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/platform.h"

namespace korvelin {

class ScriptedConsole : public Console {
 public:
  explicit ScriptedConsole(std::vector<std::string> answers) : answers_(std::move(answers)) {}
  bool readLine(std::string& line) override;
  void out(const std::string& line) override;
  void err(const std::string& line) override;
  int flush() override { return outError_; }
  int outError() const override { return outError_; }
  int stopSignal() const override {
    return next_ >= stopAfter_ || lines_ >= stopAfterLines_ ? stopSignal_ : 0;
  }

  // The signal comes now.
  void raise(int signal) { stopAfter(0, signal); }
  // Standard output takes this many bytes more, then fails like a full disk.
  void setOutCapacity(std::size_t bytes) { outRoom_ = bytes; }
  // The signal comes once this many answers have been read.
  void stopAfter(std::size_t answers, int signal) { stopAfter_ = answers, stopSignal_ = signal; }
  // The signal comes once standard output has taken this many lines.
  void stopAfterLines(std::size_t lines, int signal) { stopAfterLines_ = lines, stopSignal_ = signal; }

  const std::string& stdoutText() const { return out_; }
  const std::string& stderrText() const { return err_; }
  // Number of answers taken so far.
  std::size_t answersRead() const { return next_; }

 private:
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
  std::string out_;
  std::string err_;
  std::size_t outRoom_ = static_cast<std::size_t>(-1);
  int outError_ = 0;
  std::size_t stopAfter_ = static_cast<std::size_t>(-1);
  std::size_t lines_ = 0;
  std::size_t stopAfterLines_ = static_cast<std::size_t>(-1);
  int stopSignal_ = 0;
};

class MemoryFileSystem : public FileSystem {
 public:
  void put(const std::string& name, const std::string& contents) { files_[plain(name)] = contents; }
  // Names that exist but cannot be opened (like a file without permission).
  void makeUnreadable(const std::string& name) { unreadable_.insert(plain(name)); }
  // A name that is no plain file (a directory, a pipe, a link, ...).
  void setKind(const std::string& name, FileKind kind) { kinds_[plain(name)] = kind; }
  // Reading the file fails (an input/output error) at this line, from 1.
  void failReadingAt(const std::string& name, int line) { failAt_[plain(name)] = line; }
  void failScratch() { failScratch_ = true; }
  // Bytes that output files may still take, like the free space of a disk.
  void setCapacity(std::size_t bytes) { room_ = bytes; }
  // Whether a scratch file (or the new text of an overwrite) made by a run
  // is still there.
  bool scratchLeft() const;
  // A second name for a file ("h.json" for "r.out"), or with a final slash
  // for the folder itself ("here/" for ""), as links are.
  void link(const std::string& alias, const std::string& target) { aliases_[alias] = target; }
  // Making a file under this name fails with `code` (a missing folder, say).
  void failCreating(const std::string& name, int code) { failCreating_[plain(name)] = code; }
  // Called before each line goes to an output file, with the name the file
  // is for and the line's number from 1: a test may throw there (memory
  // exhausted), raise a signal or put another file in place.
  std::function<void(const std::string& name, std::size_t line)> beforeWrite;
  // Whether the file was opened for appending.
  bool appendedTo(const std::string& name) const { return appended_.count(plain(name)) != 0; }

  const std::string& contents(const std::string& name) const { return files_.at(plain(name)); }
  std::vector<std::string> names() const;

  bool exists(const std::string& name) override;
  FileKind kindOf(const std::string& name) override;
  std::unique_ptr<InputFile> openRead(const std::string& name, int& status) override;
  std::unique_ptr<HeldFile> hold(const std::string& name, int& status) override;
  std::unique_ptr<OutputFile> openWrite(std::unique_ptr<HeldFile> held, WriteMode mode, int& status) override;
  std::unique_ptr<StagedFile> stage(const std::string& name, WriteMode mode, int& status) override;
  bool sameFile(const std::string& a, const std::string& b) override;
  std::string identity(const std::string& name) override { return plain(name); }
  int creatable(const std::string& name) override;
  std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) override;
  void remove(const std::string& name) override;

 private:
  friend class MemoryHeldFile;
  friend class MemoryWrittenFile;
  // One directory: "./name" and "name" are the same file, and so are the
  // names that links give it.
  std::string plain(std::string name) const;
  // A new, empty temporary file: the new text of an overwrite.
  std::string temporary();

  std::map<std::string, std::string> files_;
  std::map<std::string, FileKind> kinds_;
  std::map<std::string, int> failAt_;
  std::set<std::string> unreadable_;
  std::set<std::string> appended_;
  // Scratch files, and the new files of overwrites (until they take their
  // target's place).
  std::set<std::string> scratch_;
  std::set<std::string> held_;
  std::map<std::string, std::string> aliases_;
  std::map<std::string, int> failCreating_;
  std::size_t room_ = static_cast<std::size_t>(-1);
  bool failScratch_ = false;
  int scratchCount_ = 0;
  int temporaryCount_ = 0;
};

}  // namespace korvelin
