#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>

#include "platform/failure.h"
#include "testing/small_disk.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::namesIn;
using testing_support::readFile;
using testing_support::SmallDisk;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(MoveFile, ReplacesTheTarget) {
  TempDir dir;
  writeFile(dir / "a", "new");
  writeFile(dir / "b", "old");
  platform::moveFile(dir / "a", dir / "b");
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

TEST(MoveFileInto, CopiesAcrossFileSystemsAndRemovesTheSource) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk");
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  writeFile(dir / "x.xml", "mine");
  platform::moveFileInto(dir / "x.xml", disk.path().string());
  EXPECT_FALSE(fs::exists(dir / "x.xml"));
  EXPECT_EQ(readFile(disk.path() / "x.xml"), "mine");
  EXPECT_EQ(namesIn(disk.path()), std::vector<std::string>{"x.xml"});
}

struct MoveFailure {
  const char* name;
  std::function<void(const TempDir&)> operation;
  const char* message;  // the start of the line
};

// Test listings show the case's name, not the bytes of its function object.
void PrintTo(const MoveFailure& failure, std::ostream* out) { *out << failure.name; }

class FailedFileOperation : public ::testing::TestWithParam<MoveFailure> {};

TEST_P(FailedFileOperation, StopsWithOneLineAndChangesNothing) {
  TempDir dir;
  writeFile(dir / "kept", "data");
  fs::create_directory(dir / "folder");
  try {
    GetParam().operation(dir);
    FAIL() << "no failure";
  } catch (const platform::Failure& failure) {
    const std::string text = failure.what();
    EXPECT_EQ(failure.stream(), platform::Stream::Error);
    EXPECT_EQ(text.rfind(GetParam().message, 0), 0u) << text;
    EXPECT_EQ(text.find('\n'), text.size() - 1) << text;
  }
  EXPECT_EQ(readFile(dir / "kept"), "data");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"folder", "kept"}));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedFileOperation,
    ::testing::Values(
        MoveFailure{"missingSource", [](const TempDir& d) { platform::moveFile(d / "missing", d / "kept"); },
                    "cannot move "},
        MoveFailure{"missingFolder",
                    [](const TempDir& d) { platform::moveFileInto(d / "kept", d / "no such folder"); }, "cannot move "},
        MoveFailure{"targetNameTooLong",
                    [](const TempDir& d) { platform::moveFile(d / "kept", d / std::string(300, 'n')); },
                    "cannot move "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RemoveFile, RemovesAFileAndTakesAMissingOneAsDone) {
  TempDir dir;
  writeFile(dir / "kept", "data");
  platform::removeFileIfPresent(dir / "missing");
  platform::removeFile(dir / "missing");
  platform::removeFileIfPresent(dir / "kept");
  EXPECT_FALSE(fs::exists(dir / "kept"));
  fs::create_directory(dir / "folder");
  platform::removeFileIfPresent(dir / "folder");
  EXPECT_TRUE(fs::is_directory(dir / "folder"));
}

TEST(RemoveFileIfPresent, AFileThatCannotBeRemovedIsAFailure) {
  TempDir dir;
  SmallDisk disk(dir.path() / "disk");
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  writeFile(disk.path() / "stale", "earlier");
  ASSERT_TRUE(disk.makeReadOnly());
  EXPECT_THROW(platform::removeFileIfPresent((disk.path() / "stale").string()), platform::Failure);
  EXPECT_EQ(readFile(disk.path() / "stale"), "earlier");
}

}  // namespace
