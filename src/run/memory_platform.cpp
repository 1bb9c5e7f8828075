#include "run/memory_platform.h"

#include <cerrno>
#include <cstring>

namespace korvelin {
namespace {

class MemoryInputFile : public InputFile {
 public:
  explicit MemoryInputFile(std::string text) : text_(std::move(text)) {}
  bool readLine(std::string& line) override {
    if (pos_ >= text_.size()) return false;
    const auto end = text_.find('\n', pos_);
    if (end == std::string::npos) {
      line = text_.substr(pos_);
      pos_ = text_.size();
    } else {
      line = text_.substr(pos_, end - pos_);
      pos_ = end + 1;
    }
    return true;
  }

 private:
  std::string text_;
  std::size_t pos_ = 0;
};

// Writes into the directory's text; `room` is what is left on the disk.
class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(std::string& target, std::size_t& room) : target_(target), room_(room) {}
  bool writeLine(const std::string& line, int& status) override {
    if (line.size() + 1 > room_) {
      // Like a full disk: what fits is written, the rest is lost.
      target_.append(line, 0, room_);
      room_ = 0;
      status = ENOSPC;
      return false;
    }
    room_ -= line.size() + 1;
    target_ += line;
    target_ += '\n';
    status = 0;
    return true;
  }
  int close() override { return 0; }

 private:
  std::string& target_;
  std::size_t& room_;
};

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

}  // namespace

bool ScriptedConsole::readLine(std::string& line) {
  if (next_ >= answers_.size()) return false;
  line = answers_[next_++];
  return true;
}

void ScriptedConsole::out(const std::string& line) {
  out_ += line;
  out_ += '\n';
}

void ScriptedConsole::err(const std::string& line) {
  err_ += line;
  err_ += '\n';
}

std::string MemoryFileSystem::plain(std::string name) {
  while (name.rfind("./", 0) == 0) name.erase(0, 2);
  return name;
}

std::vector<std::string> MemoryFileSystem::names() const {
  std::vector<std::string> result;
  for (const auto& [name, text] : files_) result.push_back(name);
  return result;
}

bool MemoryFileSystem::exists(const std::string& name) { return files_.count(plain(name)) != 0; }

std::unique_ptr<InputFile> MemoryFileSystem::openRead(const std::string& name, int& status) {
  if (!exists(name) || unreadable_.count(plain(name)) != 0) {
    status = EACCES;
    return nullptr;
  }
  status = 0;
  return std::make_unique<MemoryInputFile>(files_[plain(name)]);
}

std::unique_ptr<OutputFile> MemoryFileSystem::openWrite(const std::string& name, WriteMode mode,
                                                        int& status) {
  if (unreadable_.count(plain(name)) != 0) {
    status = EACCES;
    return nullptr;
  }
  std::string& target = files_[plain(name)];
  if (mode == WriteMode::Append) {
    appended_.insert(plain(name));
    if (!target.empty() && target.back() != '\n') target += '\n';
  } else {
    target.clear();
  }
  status = 0;
  return std::make_unique<MemoryOutputFile>(target, room_);
}

bool MemoryFileSystem::sameFile(const std::string& a, const std::string& b) {
  return exists(a) && plain(a) == plain(b);
}

std::unique_ptr<RecordFile> MemoryFileSystem::createScratch(std::string& name, int& status) {
  if (failScratch_) {
    status = EACCES;
    return nullptr;
  }
  // Never reuses a name that is taken, as the disk version does.
  do {
    name = ".korvelin-test-" + std::to_string(scratchCount_++) + ".scr";
  } while (exists(name));
  scratch_.insert(name);
  status = 0;
  return std::make_unique<MemoryRecordFile>(files_[name]);
}

bool MemoryFileSystem::scratchLeft() const {
  for (const auto& name : scratch_)
    if (files_.count(name) != 0) return true;
  return false;
}

void MemoryFileSystem::remove(const std::string& name) { files_.erase(plain(name)); }

}  // namespace korvelin
