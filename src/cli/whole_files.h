#pragma once
// The files of a run from the command line, written whole: the report and
// the data files each go to a new text beside their name, and all are put
// in place together once the run has ended well. A run that fails, or is
// stopped, leaves no new file and changes none that was there.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/platform.h"

namespace korvelin::cli {

// Passes everything to the file system it wraps, except that a report
// file taken through hold() and openWrite() becomes a staged text.
class WholeFiles : public FileSystem {
 public:
  explicit WholeFiles(FileSystem& files) : files_(files) {}

  // A staged text of `name`; once closed whole, it waits for publishAll().
  std::unique_ptr<OutputFile> open(const std::string& name, WriteMode mode, int& status);

  struct Failure {
    std::string name;
    int status = 0;
  };
  // Puts every text closed whole in place: the new files first, then the
  // replaced and extended ones. At the first failure the new files already
  // made are taken back, and the failure returned.
  std::optional<Failure> publishAll();

  // Nothing is made under the name yet: see StagedFile.
  std::unique_ptr<HeldFile> hold(const std::string& name, int& status) override;
  std::unique_ptr<OutputFile> openWrite(std::unique_ptr<HeldFile> held, WriteMode mode, int& status) override;

  bool exists(const std::string& name) override { return files_.exists(name); }
  FileKind kindOf(const std::string& name) override { return files_.kindOf(name); }
  std::unique_ptr<InputFile> openRead(const std::string& name, int& status) override {
    return files_.openRead(name, status);
  }
  std::unique_ptr<StagedFile> stage(const std::string& name, WriteMode mode, int& status) override {
    return files_.stage(name, mode, status);
  }
  bool sameFile(const std::string& a, const std::string& b) override { return files_.sameFile(a, b); }
  std::string identity(const std::string& name) override { return files_.identity(name); }
  int creatable(const std::string& name) override { return files_.creatable(name); }
  std::unique_ptr<RecordFile> createScratch(std::string& name, int& status) override {
    return files_.createScratch(name, status);
  }
  void remove(const std::string& name) override { files_.remove(name); }

 private:
  struct Text {
    std::string name;
    bool existed = false;
    std::unique_ptr<StagedFile> file;
    bool closed = false;
  };
  FileSystem& files_;
  std::vector<std::unique_ptr<Text>> texts_;
};

}  // namespace korvelin::cli
