// A whole file's bytes, mapped or read: the same bytes either way, nothing
// for what is no readable file, and a view that stays valid when moved.

#include "platform/mapped_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "testing/test_files.h"

namespace {

using platform::MappedFile;
using testing_support::TempDir;
using testing_support::writeFile;

class MappedFileBytes : public ::testing::TestWithParam<std::string> {};

TEST_P(MappedFileBytes, AreTheFilesBytesAndOutliveAMove) {
  const TempDir dir;
  writeFile(dir / "file", GetParam());
  std::optional<MappedFile> file = MappedFile::open(dir / "file");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->bytes(), GetParam());
  EXPECT_EQ(platform::readWholeFile(dir / "file"), GetParam());
  const MappedFile moved = std::move(*file);
  file.reset();
  EXPECT_EQ(moved.bytes(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sizes, MappedFileBytes,
                         ::testing::Values(std::string(), std::string("short\0text", 10),
                                           std::string(100000, 'x') + "end"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return "size" + std::to_string(info.param.size());
                         });

TEST(MappedFile, NothingForAMissingFileOrAFolder) {
  const TempDir dir;
  EXPECT_FALSE(MappedFile::open(dir / "missing"));
  EXPECT_FALSE(MappedFile::open(dir.path().string()));
  EXPECT_FALSE(platform::readWholeFile(dir / "missing"));
  EXPECT_FALSE(platform::readWholeFile(dir.path().string()));
}

}  // namespace
