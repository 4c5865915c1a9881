#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(RenameFile, ReplacesTheTarget) {
  TempDir dir;
  writeFile(dir / "a", "new");
  writeFile(dir / "b", "old");
  platform::renameFile(dir / "a", dir / "b");
  EXPECT_FALSE(fs::exists(dir / "a"));
  EXPECT_EQ(readFile(dir / "b"), "new");
}

TEST(MoveFileInto, ReplacesAFileOfTheSameNameAndLeavesOthers) {
  TempDir dir;
  fs::create_directory(dir / "into");
  writeFile(dir / "x.xml", "mine");
  writeFile(dir / "y.xml", "someone else's");
  writeFile(dir / "into/x.xml", "earlier");
  platform::moveFileInto(dir / "x.xml", dir / "into");
  EXPECT_FALSE(fs::exists(dir / "x.xml"));
  EXPECT_EQ(readFile(dir / "into/x.xml"), "mine");
  EXPECT_EQ(readFile(dir / "y.xml"), "someone else's");
  EXPECT_FALSE(fs::exists(dir / "into/y.xml"));
}

TEST(FileOperations, FailuresChangeNothing) {
  TempDir dir;
  writeFile(dir / "kept", "data");
  platform::renameFile(dir / "missing", dir / "kept");
  platform::moveFileInto(dir / "kept", dir / "no such folder");
  platform::moveFileInto(dir / "missing", dir.path().string());
  platform::removeFile(dir / "missing");
  EXPECT_EQ(readFile(dir / "kept"), "data");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  platform::removeFile(dir / "kept");
  EXPECT_FALSE(fs::exists(dir / "kept"));
}

}  // namespace
