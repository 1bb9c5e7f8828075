#include "memory_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace korvelin {
namespace {

class MemoryInputFile : public InputFile {
 public:
  MemoryInputFile(std::string text, int failAt) : text_(std::move(text)), failAt_(failAt) {}
  bool readLine(std::string& line) override {
    if (++lineNumber_ == failAt_) {
      error_ = EIO;
      return false;
    }
    if (pos_ >= text_.size()) return false;
    const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }
  int readError() const override { return error_; }

 private:
  std::string text_;
  std::size_t pos_ = 0;
  int failAt_;
  int lineNumber_ = 0;
  int error_ = 0;
};

// Appends a line to `target` within `room` bytes: like a full disk, what
// fits is written and the rest is lost (ENOSPC).
int appendWithin(std::string& target, const std::string& line, std::size_t& room) {
  if (line.size() + 1 > room) {
    target.append(line, 0, room);
    room = 0;
    return ENOSPC;
  }
  if (room != static_cast<std::size_t>(-1)) room -= line.size() + 1;
  target += line;
  target += '\n';
  return 0;
}

class MemoryRecordFile : public RecordFile {
 public:
  explicit MemoryRecordFile(std::string& target) : target_(target) {}
  void write(int record, std::int32_t value) override {
    const std::size_t at = static_cast<std::size_t>(record - 1) * 4;
    if (target_.size() < at + 4) target_.resize(at + 4, '\0');
    std::memcpy(&target_[at], &value, 4);
  }

 private:
  std::string& target_;
};

// Sets the status of a request refused: nothing is opened.
std::nullptr_t refused(int& status, int code) {
  status = code;
  return nullptr;
}

}  // namespace

// The lock on a report file: its name, held until the file is dropped.
class MemoryHeldFile : public HeldFile {
 public:
  MemoryHeldFile(MemoryFileSystem& fs, std::string name) : fs(fs), name(std::move(name)) { fs.held_.insert(this->name); }
  ~MemoryHeldFile() override { fs.held_.erase(name); }
  MemoryFileSystem& fs;
  std::string name;
};

// Writes into the directory's text `written`, within what is left on the
// disk: the file itself, or a temporary that replaces the held file when an
// overwrite closes. A staged file (`held` may be null, or lock the existing
// file) is written whole into a temporary and published as the disk version
// does.
class MemoryWrittenFile : public StagedFile {
 public:
  MemoryWrittenFile(MemoryFileSystem& fs, std::string name, WriteMode mode, std::unique_ptr<MemoryHeldFile> held,
                    std::string written, bool staged)
      : fs_(fs), name_(std::move(name)), mode_(mode), held_(std::move(held)), written_(std::move(written)),
        staged_(staged) {}
  ~MemoryWrittenFile() override { discard(); }
  bool writeLine(const std::string& line, int& status) override {
    if (fs_.beforeWrite) fs_.beforeWrite(name_, ++lines_);
    status = appendWithin(fs_.files_[written_], line, fs_.room_);
    return status == 0;
  }
  int flush() override { return 0; }
  int close() override {
    if (staged_) return 0;
    if (held_ && written_ != name_) fs_.files_[name_] = std::move(fs_.files_[written_]);
    discard();
    return 0;
  }
  int publish() override {
    auto& files = fs_.files_;
    int status = 0;
    if (!held_ && files.count(name_) != 0) {
      status = EEXIST;
    } else if (held_ && mode_ == WriteMode::Append) {
      std::string& old = files[name_];
      if (!old.empty() && old.back() != '\n') old += '\n';
      old += files[written_];
      fs_.appended_.insert(name_);
    } else {
      files[name_] = std::move(files[written_]);
    }
    discard();
    return status;
  }
  void discard() override {
    if (written_ != name_) fs_.files_.erase(written_);
    held_.reset();
  }

 private:
  MemoryFileSystem& fs_;
  std::string name_;
  WriteMode mode_;
  std::unique_ptr<MemoryHeldFile> held_;
  std::string written_;
  bool staged_;
  std::size_t lines_ = 0;
};

bool ScriptedConsole::readLine(std::string& line) {
  if (stopSignal() != 0 || next_ >= answers_.size()) return false;
  line = answers_[next_++];
  return true;
}

void ScriptedConsole::out(const std::string& line) {
  if (outError_ != 0) return;
  outError_ = appendWithin(out_, line, outRoom_);
  if (outError_ == 0) ++lines_;
}

void ScriptedConsole::err(const std::string& line) {
  err_ += line + '\n';
}

std::string MemoryFileSystem::plain(std::string name) const {
  while (name.rfind("./", 0) == 0) name.erase(0, 2);
  for (const auto& [alias, target] : aliases_) {
    if (alias.ends_with('/') && name.starts_with(alias)) return plain(target + name.substr(alias.size()));
    if (name == alias) return plain(target);
  }
  return name;
}

std::unique_ptr<StagedFile> MemoryFileSystem::stage(const std::string& name, WriteMode mode, int& status) {
  const std::string target = plain(name);
  if (const int code = creatable(target); code != 0) return refused(status, code);
  std::unique_ptr<MemoryHeldFile> held;
  if (mode != WriteMode::Create && files_.count(target) != 0) {
    if (held_.count(target) != 0) return refused(status, EWOULDBLOCK);
    held = std::make_unique<MemoryHeldFile>(*this, target);
  }
  status = 0;
  return std::make_unique<MemoryWrittenFile>(*this, target, mode, std::move(held), temporary(), true);
}

int MemoryFileSystem::creatable(const std::string& name) {
  const auto failing = failCreating_.find(plain(name));
  return failing == failCreating_.end() ? 0 : failing->second;
}

std::vector<std::string> MemoryFileSystem::names() const {
  std::vector<std::string> result;
  for (const auto& [name, text] : files_) result.push_back(name);
  return result;
}

bool MemoryFileSystem::exists(const std::string& name) {
  return files_.count(plain(name)) != 0 || kinds_.count(plain(name)) != 0;
}

FileKind MemoryFileSystem::kindOf(const std::string& name) {
  if (const auto kind = kinds_.find(plain(name)); kind != kinds_.end()) return kind->second;
  return files_.count(plain(name)) != 0 ? FileKind::Plain : FileKind::Missing;
}

std::unique_ptr<InputFile> MemoryFileSystem::openRead(const std::string& name, int& status) {
  if (kindOf(name) != FileKind::Plain || unreadable_.count(plain(name)) != 0) return refused(status, EACCES);
  status = 0;
  const auto failAt = failAt_.find(plain(name));
  return std::make_unique<MemoryInputFile>(files_[plain(name)], failAt == failAt_.end() ? 0 : failAt->second);
}

std::unique_ptr<HeldFile> MemoryFileSystem::hold(const std::string& name, int& status) {
  const FileKind kind = kindOf(name);
  if (unreadable_.count(plain(name)) != 0 || (kind != FileKind::Plain && kind != FileKind::Missing))
    return refused(status, EACCES);
  if (held_.count(plain(name)) != 0) return refused(status, EWOULDBLOCK);
  if (const int code = kind == FileKind::Missing ? creatable(name) : 0; code != 0) return refused(status, code);
  files_[plain(name)];  // a missing file is created empty
  status = 0;
  return std::make_unique<MemoryHeldFile>(*this, plain(name));
}

std::unique_ptr<OutputFile> MemoryFileSystem::openWrite(std::unique_ptr<HeldFile> file, WriteMode mode,
                                                        int& status) {
  std::unique_ptr<MemoryHeldFile> held(static_cast<MemoryHeldFile*>(file.release()));
  const std::string name = held->name;
  if (mode == WriteMode::Append) {
    appended_.insert(name);
    std::string& target = files_[name];
    if (!target.empty() && target.back() != '\n') target += '\n';
  }
  status = 0;
  return std::make_unique<MemoryWrittenFile>(*this, name, mode, std::move(held),
                                             mode == WriteMode::Overwrite ? temporary() : name, false);
}

std::string MemoryFileSystem::temporary() {
  std::string name = ".korvelin-test-" + std::to_string(temporaryCount_++) + ".new";
  files_[name].clear();
  scratch_.insert(name);
  return name;
}

bool MemoryFileSystem::sameFile(const std::string& a, const std::string& b) {
  return exists(a) && plain(a) == plain(b);
}

std::unique_ptr<RecordFile> MemoryFileSystem::createScratch(std::string& name, int& status) {
  if (failScratch_) return refused(status, EACCES);
  // Never reuses a name that is taken, as the disk version does.
  do {
    name = ".korvelin-test-" + std::to_string(scratchCount_++) + ".scr";
  } while (exists(name));
  scratch_.insert(name);
  status = 0;
  return std::make_unique<MemoryRecordFile>(files_[name]);
}

// Nor may the new text of an overwrite outlive the run (a report the user
// named "x.new" is no such text).
bool MemoryFileSystem::scratchLeft() const {
  for (const auto& name : scratch_)
    if (files_.count(name) != 0) return true;
  return false;
}

void MemoryFileSystem::remove(const std::string& name) { files_.erase(plain(name)); }

}  // namespace korvelin
