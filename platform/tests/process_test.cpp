#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "testing/test_files.h"

namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

void writeScript(const std::string& path, const std::string& body) {
  writeFile(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

TEST(RunProgram, PassesEveryArgumentWholeWithoutAShell) {
  TempDir dir;
  const std::string log = dir / "arguments.log";
  writeScript(dir / "record", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" + log + "'\n");
  const std::vector<std::string> arguments = {
      dir / "record", "two words", "it's \"quoted\"", "$HOME;`ls`|*.xml", "", "back\\slash"};
  ASSERT_EQ(platform::runProgram(arguments), 0);
  EXPECT_EQ(readFile(log), "[two words]\n[it's \"quoted\"]\n[$HOME;`ls`|*.xml]\n[]\n[back\\slash]\n");
}

TEST(RunProgram, ReturnsTheExitStatusAndFindsProgramsOnPath) {
  EXPECT_EQ(platform::runProgram({"sh", "-c", "exit 3"}), 3);
  EXPECT_EQ(platform::runProgram({"true"}), 0);
}

TEST(RunProgram, ReportsAProgramThatCannotBeStarted) {
  TempDir dir;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform::runProgram({dir / "missing", "x"}), -1);
  const std::string message = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(message.find(dir / "missing"), std::string::npos) << message;
  EXPECT_EQ(message.back(), '\n');
  EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line only";
}

}  // namespace
