#pragma once
// In-memory console and file system: a whole session runs in-process with
// scripted answers, and what it wrote is read back as text.

#include <map>
#include <set>
#include <string>
#include <vector>

#include "run/platform.h"

namespace korvelin {

class ScriptedConsole : public Console {
 public:
  explicit ScriptedConsole(std::vector<std::string> answers) : answers_(std::move(answers)) {}
  bool readLine(std::string& line) override;
  void out(const std::string& line) override;
  void err(const std::string& line) override;

  const std::string& stdoutText() const { return out_; }
  const std::string& stderrText() const { return err_; }
  // Number of answers taken so far.
  std::size_t answersRead() const { return next_; }

 private:
  std::vector<std::string> answers_;
  std::size_t next_ = 0;
  std::string out_;
  std::string err_;
};

class MemoryFileSystem : public FileSystem {
 public:
  void put(const std::string& name, const std::string& contents) { files_[plain(name)] = contents; }
  // Names that exist but cannot be opened (like a directory or a locked file).
  void makeUnreadable(const std::string& name) { unreadable_.insert(plain(name)); }
  void failScratch() { failScratch_ = true; }
  // Bytes that output files may still take, like the free space of a disk.
  void setCapacity(std::size_t bytes) { room_ = bytes; }
  // Whether a scratch file made by a run is still there.
  bool scratchLeft() const;
  // Whether the file was opened for appending.
  bool appendedTo(const std::string& name) const { return appended_.count(plain(name)) != 0; }

  const std::string& contents(const std::string& name) const { return files_.at(plain(name)); }
  std::vector<std::string> names() const;

  bool exists(const std::string& name) override;
  std::unique_ptr<InputFile> openRead(const std::string& name, int& status) override;
  std::unique_ptr<OutputFile> openWrite(const std::string& name, WriteMode mode,
                                        int& status) override;
  bool sameFile(const std::string& a, const std::string& b) override;
  std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) override;
  void remove(const std::string& name) override;

 private:
  // One directory: "./name" and "name" are the same file.
  static std::string plain(std::string name);

  std::map<std::string, std::string> files_;
  std::set<std::string> unreadable_;
  std::set<std::string> appended_;
  std::set<std::string> scratch_;
  std::size_t room_ = static_cast<std::size_t>(-1);
  bool failScratch_ = false;
  int scratchCount_ = 0;
};

}  // namespace korvelin
