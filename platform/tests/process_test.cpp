#include "platform/process.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

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

TEST(RunProgramLogged, RunsInTheFolderWithBothStreamsInTheLogAndNoInput) {
  TempDir dir;
  std::filesystem::create_directory(dir / "work");
  writeScript(dir / "work/talk", "pwd; echo out; echo err >&2; cat; echo \"[$1]\"; exit 4\n");
  // The log's relative name is the caller's, the program's ./talk is the folder's.
  const std::filesystem::path caller = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  const int status = platform::runProgramLogged({"./talk", "two words"}, dir / "work", "talk.log");
  std::filesystem::current_path(caller);
  EXPECT_EQ(status, 4);
  EXPECT_EQ(readFile(dir / "talk.log"),
            std::filesystem::canonical(dir / "work").string() + "\nout\nerr\n[two words]\n");
  EXPECT_EQ(platform::runProgramLogged({"sh", "-c", "echo again"}, dir / "work", dir / "talk.log"), 0);
  EXPECT_EQ(readFile(dir / "talk.log"), "again\n") << "the log starts empty";
}

TEST(RunProgramLogged, LogsAProgramThatCannotBeStarted) {
  TempDir dir;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform::runProgramLogged({dir / "missing"}, dir.path().string(), dir / "missing.log"), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  const std::string line = readFile(dir / "missing.log");
  EXPECT_EQ(line.rfind("could not start " + (dir / "missing") + ": ", 0), 0u) << line;
  EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line only";
  EXPECT_EQ(platform::runProgramLogged({"true"}, dir.path().string(), dir / "no-such-folder/x.log"), -1);
}

}  // namespace
