#include "run/platform.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace korvelin {
namespace {

// Output is buffered and flushed before every read from the keyboard, so
// long reports cost little and prompts still show before the answer.
class StandardConsole : public Console {
 public:
  StandardConsole() {
    std::ios::sync_with_stdio(false);
    std::cin.tie(nullptr);
  }
  ~StandardConsole() override { std::cout.flush(); }
  bool readLine(std::string& line) override {
    std::cout.flush();
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  void out(const std::string& line) override {
    std::cout.write(line.data(), static_cast<std::streamsize>(line.size()));
    std::cout.put('\n');
  }
  void err(const std::string& line) override {
    std::cout.flush();
    std::cerr << line << '\n';
    std::cerr.flush();
  }
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

class DiskOutputFile : public OutputFile {
 public:
  explicit DiskOutputFile(std::FILE* f) : f_(f) { std::setvbuf(f_, nullptr, _IOFBF, 1 << 16); }
  ~DiskOutputFile() override { std::fclose(f_); }
  void writeLine(const std::string& line) override {
    std::fwrite(line.data(), 1, line.size(), f_);
    std::fputc('\n', f_);
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
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      status = EISDIR;
      return nullptr;
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) {
      status = errno != 0 ? errno : EIO;
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
      status = errno != 0 ? errno : EIO;
      return nullptr;
    }
    if (closeLastLine) std::fputc('\n', f);
    status = 0;
    return std::make_unique<DiskOutputFile>(f);
  }
  std::unique_ptr<RecordFile> openScratch(const std::string& name, int& status) override {
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) {
      status = errno != 0 ? errno : EIO;
      return nullptr;
    }
    status = 0;
    return std::make_unique<DiskRecordFile>(fd);
  }
  void remove(const std::string& name) override { ::unlink(name.c_str()); }
  std::string uniqueScratchName() override {
    for (int n = 0;; ++n) {
      std::string name = ".korvelin-" + std::to_string(::getpid()) + "-" + std::to_string(n) + ".scr";
      if (!exists(name)) return name;
    }
  }
};

}  // namespace

std::unique_ptr<Console> makeStandardConsole() { return std::make_unique<StandardConsole>(); }
std::unique_ptr<FileSystem> makeDiskFileSystem() { return std::make_unique<DiskFileSystem>(); }

}  // namespace korvelin
