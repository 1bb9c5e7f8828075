#pragma once
// The program's two windows on the world: the console (standard input,
// output and error) and the file system. Tests and benchmarks put in-memory
// versions in their place and run whole sessions without a terminal.

#include <memory>
#include <string>

#include "state/origin_store.h"

namespace korvelin {

class Console {
 public:
  virtual ~Console() = default;
  // One line typed by the user, without its line end; false at end of input.
  virtual bool readLine(std::string& line) = 0;
  virtual void out(const std::string& line) = 0;
  virtual void err(const std::string& line) = 0;
  // A line on standard error that the next one replaces and any other
  // output erases; an empty text erases it. Shown only where standard error
  // is a terminal.
  virtual void progress(const std::string& /*text*/) {}
};

class InputFile {
 public:
  virtual ~InputFile() = default;
  // The next line without its line end; false at end of file.
  virtual bool readLine(std::string& line) = 0;
};

class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // False when the line could not be written (a full disk, say); `status`
  // then holds a non-zero code.
  virtual bool writeLine(const std::string& line, int& status) = 0;
  // Writes out what is still buffered and closes the file: 0, or the code
  // of a write that failed on the way.
  virtual int close() = 0;
};

enum class WriteMode { Create, Append, Overwrite };

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool exists(const std::string& name) = 0;
  // On failure the result is null and `status` holds a non-zero code.
  virtual std::unique_ptr<InputFile> openRead(const std::string& name, int& status) = 0;
  virtual std::unique_ptr<OutputFile> openWrite(const std::string& name, WriteMode mode,
                                                int& status) = 0;
  // Whether two names lead to the same existing file.
  virtual bool sameFile(const std::string& a, const std::string& b) = 0;
  // A new, empty direct-access file of 4-byte records under a fresh name
  // (returned in `name`) that no other file or run in the directory uses.
  virtual std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) = 0;
  virtual void remove(const std::string& name) = 0;
};

// The real terminal and the real working directory.
std::unique_ptr<Console> makeStandardConsole();
std::unique_ptr<FileSystem> makeDiskFileSystem();

}  // namespace korvelin
