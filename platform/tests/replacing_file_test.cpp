#include "platform/replacing_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/failure.h"
#include "testing/small_disk.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using platform::WriteReport;
using testing_support::namesIn;
using testing_support::readFile;
using testing_support::SmallDisk;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(ReplaceFile, WritesANewFileAndReplacesAnOldOneLeavingNothingElse) {
  TempDir dir;
  platform::replaceFile(dir / "new.txt", "first", WriteReport::OwnLine);
  EXPECT_EQ(readFile(dir / "new.txt"), "first");
  platform::replaceFile(dir / "new.txt", std::string("second\0bytes", 12), WriteReport::OwnLine);
  EXPECT_EQ(readFile(dir / "new.txt"), std::string("second\0bytes", 12));
  platform::replaceFile(dir / "empty", "", WriteReport::OwnLine);
  EXPECT_EQ(readFile(dir / "empty"), "");
  EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"empty", "new.txt"}));
}

TEST(ReplaceFile, ANameAsLongAsTheFileSystemAllowsStillGetsATemporaryName) {
  TempDir dir;
  const std::string name(255, 'n');
  platform::replaceFile(dir / name, "data", WriteReport::OwnLine);
  EXPECT_EQ(readFile(dir / name), "data");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{name});
}

TEST(ReplacingFile, AnAbandonedWriteLeavesTheOldFile) {
  TempDir dir;
  writeFile(dir / "target", "old");
  {
    platform::ReplacingFile file(dir / "target", WriteReport::OwnLine);
    file.write("half of the new");
  }
  EXPECT_EQ(readFile(dir / "target"), "old");
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"target"});
}

enum class Fault { NoFolder, NameTooLong, FullDisk, ReadOnly };

struct FailureCase {
  const char* name;
  Fault fault;
  WriteReport report;
  platform::Stream stream;
  std::string text;  // with "<path>" for the target's path
};

class ReplaceFileFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ReplaceFileFailure, StopsWithItsMessageAndLeavesTheOldFileAndNoTemporary) {
  const FailureCase& c = GetParam();
  TempDir dir;
  SmallDisk disk(dir.path() / "disk", "64k");
  if ((c.fault == Fault::FullDisk || c.fault == Fault::ReadOnly) && !disk.available()) GTEST_SKIP() << disk.skipReason();

  fs::path folder = dir.path();
  std::string name = "target";
  if (c.fault == Fault::NoFolder) folder /= "missing";
  if (c.fault == Fault::NameTooLong) name = std::string(300, 'n');
  if (c.fault == Fault::FullDisk || c.fault == Fault::ReadOnly) {
    folder = disk.path();
    writeFile(folder / name, "old");
    if (c.fault == Fault::FullDisk) disk.fill();
    if (c.fault == Fault::ReadOnly) {
      ASSERT_TRUE(disk.makeReadOnly());
    }
  }
  const std::string path = (folder / name).string();
  const std::string content(200'000, 'b');

  try {
    platform::replaceFile(path, content, c.report);
    FAIL() << "no failure";
  } catch (const platform::Failure& failure) {
    std::string expected = c.text;
    if (const std::size_t at = expected.find("<path>"); at != std::string::npos) expected.replace(at, 6, path);
    if (c.stream == platform::Stream::Error) {
      EXPECT_EQ(std::string(failure.what()).rfind(expected, 0), 0u) << failure.what();
      EXPECT_EQ(std::string(failure.what()).find('\n'), std::string(failure.what()).size() - 1);
    } else {
      EXPECT_EQ(failure.what(), expected);
    }
    EXPECT_EQ(failure.stream(), c.stream);
  }
  if (fs::exists(folder)) {
    const std::vector<std::string> left = namesIn(folder);
    if (c.fault == Fault::FullDisk || c.fault == Fault::ReadOnly) {
      EXPECT_EQ(left, std::vector<std::string>{name});
      EXPECT_EQ(readFile(folder / name), "old");
    } else {
      EXPECT_EQ(left, std::vector<std::string>{"disk"});
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ReplaceFileFailure,
    ::testing::Values(
        FailureCase{"noFolderOpening", Fault::NoFolder, WriteReport::OpeningClosing, platform::Stream::Output,
                    "failure in opening file <path>\n"},
        FailureCase{"noFolderCannotWrite", Fault::NoFolder, WriteReport::CannotWrite, platform::Stream::Output,
                    "cannot write!!!!!!!!!!!!!!"},
        FailureCase{"noFolderOwnLine", Fault::NoFolder, WriteReport::OwnLine, platform::Stream::Error,
                    "cannot write <path>: "},
        FailureCase{"nameTooLong", Fault::NameTooLong, WriteReport::OwnLine, platform::Stream::Error,
                    "cannot write <path>: "},
        FailureCase{"fullDiskClosing", Fault::FullDisk, WriteReport::OpeningClosing, platform::Stream::Output,
                    "failure in closing file <path>"},
        FailureCase{"fullDiskCannotWrite", Fault::FullDisk, WriteReport::CannotWrite, platform::Stream::Output,
                    "cannot write!!!!!!!!!!!!!!"},
        FailureCase{"fullDiskOwnLine", Fault::FullDisk, WriteReport::OwnLine, platform::Stream::Error,
                    "cannot write <path>: No space left on device"},
        FailureCase{"readOnlyOpening", Fault::ReadOnly, WriteReport::OpeningClosing, platform::Stream::Output,
                    "failure in opening file <path>\n"},
        FailureCase{"readOnlyOwnLine", Fault::ReadOnly, WriteReport::OwnLine, platform::Stream::Error,
                    "cannot write <path>: Read-only file system"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
