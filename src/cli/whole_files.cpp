#include "cli/whole_files.h"

#include <cerrno>

namespace korvelin::cli {
namespace {

// A name taken for a report, nothing more.
class NameOnly : public HeldFile {
 public:
  explicit NameOnly(std::string name) : name(std::move(name)) {}
  std::string name;
};

// What the run writes into: the staged text, which is kept for publishing
// once closed whole.
class TextWriter : public OutputFile {
 public:
  TextWriter(StagedFile& file, bool& closed) : file_(file), closed_(closed) {}
  bool writeLine(const std::string& line, int& status) override { return file_.writeLine(line, status); }
  bool writeLines(std::string_view lines, int& status) override { return file_.writeLines(lines, status); }
  int flush() override { return file_.flush(); }
  int close() override {
    const int status = file_.close();
    closed_ = status == 0;
    return status;
  }
  void discard() override { closed_ = false; }

 private:
  StagedFile& file_;
  bool& closed_;
};

}  // namespace

std::unique_ptr<OutputFile> WholeFiles::open(const std::string& name, WriteMode mode, int& status) {
  auto text = std::make_unique<Text>();
  text->name = name;
  text->existed = files_.kindOf(name) == FileKind::Plain;
  text->file = files_.stage(name, mode, status);
  if (!text->file) return nullptr;
  auto writer = std::make_unique<TextWriter>(*text->file, text->closed);
  texts_.push_back(std::move(text));
  return writer;
}

std::unique_ptr<HeldFile> WholeFiles::hold(const std::string& name, int& status) {
  status = 0;
  return std::make_unique<NameOnly>(name);
}

std::unique_ptr<OutputFile> WholeFiles::openWrite(std::unique_ptr<HeldFile> held, WriteMode mode, int& status) {
  return open(static_cast<NameOnly&>(*held).name, mode, status);
}

std::optional<WholeFiles::Failure> WholeFiles::publishAll() {
  std::vector<std::string> made;
  for (const bool existing : {false, true})
    for (const auto& text : texts_) {
      if (!text->closed || text->existed != existing) continue;
      text->closed = false;
      if (const int status = text->file->publish(); status != 0) {
        for (const std::string& name : made) files_.remove(name);
        return Failure{text->name, status};
      }
      if (!existing) made.push_back(text->name);
    }
  return std::nullopt;
}

}  // namespace korvelin::cli
