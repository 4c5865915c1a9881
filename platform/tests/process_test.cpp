#include "platform/process.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/environment.h"
#include "platform/paths.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempDir;

// Arguments a shell, or the Windows command-line split, would change: blanks,
// quotes, shell and command-interpreter characters, an empty argument,
// backslashes alone, before a quote and at the end.
const std::vector<std::string> kAwkwardArguments = {
    "two words", "it's \"quoted\"", "$HOME;`ls`|*.xml", "R&D ^caret %PATH% 100%", "", "back\\slash",
    "\\\"lead", "trail\\", "trail\\\\", " ", "\"", "a\tb", "\"&\" ^& %%"};

std::string recorded(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) text += "[" + argument + "]\n";
  return text;
}

TEST(RunProgram, PassesEveryArgumentWholeWithoutAShell) {
  TempDir dir;
  const std::string log = dir / "arguments.log";
  std::vector<std::string> arguments = {RECORD_ARGUMENTS_PATH, log};
  arguments.insert(arguments.end(), kAwkwardArguments.begin(), kAwkwardArguments.end());
  ASSERT_EQ(platform::runProgram(arguments), 0);
  EXPECT_EQ(readFile(log), recorded(kAwkwardArguments));
}

// A program whose own name holds blanks and shell characters is started too
// (quotes only where file names may hold them).
TEST(RunProgram, StartsAProgramWhoseNameHoldsBlanksAndShellCharacters) {
  TempDir dir;
#ifdef _WIN32
  const fs::path folder = dir.path() / "R&D ^1 %x% 'q'";
#else
  const fs::path folder = dir.path() / "R&D ^1 %x% \"q\"";
#endif
  fs::create_directories(folder);
  const fs::path program = folder / fs::path(RECORD_ARGUMENTS_PATH).filename();
  fs::copy_file(RECORD_ARGUMENTS_PATH, program);
  const std::string log = dir / "arguments.log";
  ASSERT_EQ(platform::runProgram({program.string(), log, "one & two"}), 0);
  EXPECT_EQ(readFile(log), "[one & two]\n");
}

class WithStandInsOnPath : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(bin);
    for (const char* program : {RECORD_ARGUMENTS_PATH, EXIT_WITH_PATH})
      fs::copy_file(program, bin / fs::path(program).filename());
    platform::setEnvironmentVariable("PATH", bin.string() + platform::kPathListSeparator + inherited);
  }
  void TearDown() override { platform::setEnvironmentVariable("PATH", inherited); }

  TempDir dir;
  fs::path bin = dir.path() / "bin";
  std::string inherited = platform::environmentVariable("PATH").value_or("");
};

TEST_F(WithStandInsOnPath, ReturnsTheExitStatusAndFindsProgramsOnPath) {
  EXPECT_EQ(platform::runProgram({"exit_with", "3"}), 3);
  EXPECT_EQ(platform::runProgram({"exit_with"}), 0);
  const std::string log = dir / "arguments.log";
  ASSERT_EQ(platform::runProgram({"record_arguments", log, "R&D ^ %PATH%"}), 0);
  EXPECT_EQ(readFile(log), "[R&D ^ %PATH%]\n");
}

// A name without a folder is looked up on PATH and nowhere else: not in the
// system folders that Windows' own search takes first.
TEST_F(WithStandInsOnPath, LooksUpANameWithoutAFolderOnPathOnly) {
  platform::setEnvironmentVariable("PATH", bin.string());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform::runProgram({"hostname"}), -1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("could not start hostname"), std::string::npos);
  EXPECT_EQ(platform::runProgram({"exit_with", "4"}), 4);
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

// The program's ./talk is taken in the folder it runs in, the log's relative
// name in the caller's working directory.
TEST(RunProgramLogged, RunsInTheFolderWithBothStreamsInTheLogAndNoInput) {
  TempDir dir;
  fs::create_directory(dir / "work");
  const std::string talk = platform::executableName("talk");
  fs::copy_file(TALK_PATH, dir.path() / "work" / talk);
  const fs::path caller = fs::current_path();
  fs::current_path(dir.path());
  const int status = platform::runProgramLogged({std::string(".") + platform::kSeparator + talk, "4", "two words"},
                                                dir / "work", "talk.log");
  fs::current_path(caller);
  EXPECT_EQ(status, 4);
  const std::string log = readFile(dir / "talk.log");
  const std::size_t firstLineEnd = log.find('\n');
  ASSERT_NE(firstLineEnd, std::string::npos) << log;
  EXPECT_TRUE(fs::equivalent(log.substr(0, firstLineEnd), dir / "work")) << log;
  EXPECT_EQ(log.substr(firstLineEnd), "\nout\nerr\n[two words]\n");
}

TEST_F(WithStandInsOnPath, RunsALoggedProgramFromPathOnlyIntoAnEmptiedLog) {
  const std::string log = dir / "logged.log";
  testing_support::writeFile(log, "an earlier run's words\n");
  EXPECT_EQ(platform::runProgramLogged({"exit_with", "5"}, dir.path().string(), log), 5);
  EXPECT_EQ(readFile(log), "") << "the log starts empty";

  platform::setEnvironmentVariable("PATH", bin.string());
  EXPECT_EQ(platform::runProgramLogged({"hostname"}, dir.path().string(), log), -1);
  EXPECT_EQ(readFile(log).rfind("could not start hostname: ", 0), 0u) << readFile(log);
}

TEST(RunProgramLogged, LogsAProgramThatCannotBeStarted) {
  TempDir dir;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform::runProgramLogged({dir / "missing"}, dir.path().string(), dir / "missing.log"), -1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  const std::string line = readFile(dir / "missing.log");
  EXPECT_EQ(line.rfind("could not start " + (dir / "missing") + ": ", 0), 0u) << line;
  EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line only";
  EXPECT_EQ(platform::runProgramLogged({EXIT_WITH_PATH}, dir.path().string(), dir / "no-such-folder/x.log"), -1);
}

}  // namespace
