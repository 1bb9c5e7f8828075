#include "run/platform.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvelin {
namespace {

namespace fs = std::filesystem;

std::string get(const std::string& name) {
  std::ostringstream text;
  text << std::ifstream(name, std::ios::binary).rdbuf();
  return text.str();
}

// A fresh working directory of its own: scratch-file names are relative to
// it, as in a real run.
class DiskFiles : public ::testing::Test {
 protected:
  DiskFiles() {
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  ~DiskFiles() override {
    fs::current_path(home_);
    fs::remove_all(dir_);
  }
  // Writes two lines over the old contents `old` of `name`; returns the result.
  std::string rewrite(const std::string& name, const std::string& old, WriteMode mode) {
    if (!old.empty()) std::ofstream(name, std::ios::binary) << old;
    int status = -1;
    if (auto out = disk_->openWrite(name, mode, status); out && status == 0) {
      out->writeLine("new 1");
      out->writeLine("new 2");
    }
    return get(name);
  }

  fs::path home_ = fs::current_path();
  fs::path dir_ = fs::temp_directory_path() / ("korvelin-platform-" + std::to_string(::getpid()));
  std::unique_ptr<FileSystem> disk_ = makeDiskFileSystem();
};

TEST_F(DiskFiles, AppendKeepsTheOldReportOverwriteDropsIt) {
  EXPECT_EQ(rewrite("a.out", "old 1\nold 2\n", WriteMode::Append), "old 1\nold 2\nnew 1\nnew 2\n");
  // A last line without its line end is closed before the new report.
  EXPECT_EQ(rewrite("b.out", "old 1\nunfinished", WriteMode::Append), "old 1\nunfinished\nnew 1\nnew 2\n");
  EXPECT_EQ(rewrite("c.out", std::string(500, 'x') + "\n", WriteMode::Overwrite), "new 1\nnew 2\n");
  EXPECT_EQ(rewrite("d.out", "", WriteMode::Create), "new 1\nnew 2\n");
}

TEST_F(DiskFiles, ScratchFilesHaveDistinctNamesAndCanBeRemoved) {
  int status = -1;
  const std::string first = disk_->uniqueScratchName();
  auto store = disk_->openScratch(first, status);
  ASSERT_TRUE(store);
  store->write(3, 7);  // 4-byte records numbered from 1
  store.reset();
  EXPECT_NE(disk_->uniqueScratchName(), first);
  const std::int32_t seven = 7;
  EXPECT_EQ(get(first), std::string(8, '\0') + std::string(reinterpret_cast<const char*>(&seven), 4));
  disk_->remove(first);
  EXPECT_FALSE(disk_->exists(first));
  EXPECT_FALSE(disk_->openScratch("no/such/dir.scr", status));
  EXPECT_NE(status, 0);
}

}  // namespace
}  // namespace korvelin
