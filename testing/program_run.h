#pragma once
// Running a built program, or a stand-in one, the way a user would: in a
// given working directory, optionally with a folder of stand-in programs
// ahead on PATH, collecting its exit status and what it printed. The program
// is started as the programs start theirs (platform::runProgram), so the same
// code runs the tests on every platform.
//
// The working directory, PATH and the standard streams belong to the whole
// test process; they are changed for the run and put back after it, which is
// safe because a test program runs one test at a time.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/stream_redirection.h"
#include "testing/test_files.h"

namespace testing_support {

struct ProgramRun {
  int status = -1;     // as platform::runProgram returns it: -1 when the program could not be started
  std::string output;  // standard output
  std::string errors;  // standard error
};

// A shell script the tests use as a stand-in for an outside program (POSIX
// only: on Windows the stand-ins are programs of the test build).
inline void writeScript(const std::filesystem::path& path, const std::string& body) {
  namespace fs = std::filesystem;
  writeFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
}

// Runs words[0] (looked up on PATH when it holds no separator) with the other
// words as arguments in `directory`. `pathPrefix`, when not empty, is put
// ahead of PATH. The output passes through files in `scratch`.
inline ProgramRun runProgramIn(const std::filesystem::path& directory, const std::vector<std::string>& words,
                               const std::filesystem::path& scratch, const std::string& pathPrefix = "") {
  namespace fs = std::filesystem;
  // The capture files are named before the working directory changes.
  const fs::path outputFile = fs::absolute(scratch / "stdout");
  const fs::path errorFile = fs::absolute(scratch / "stderr");
  const fs::path before = fs::current_path();
  const std::optional<std::string> inherited = platform::environmentVariable("PATH");
  ProgramRun run;
  fs::current_path(directory);
  if (!pathPrefix.empty())
    platform::setEnvironmentVariable("PATH", pathPrefix + platform::kPathListSeparator + inherited.value_or(""));
  {
    const platform::StreamRedirection redirection(outputFile.string(), errorFile.string());
    run.status = platform::runProgram(words);
  }
  if (!pathPrefix.empty()) platform::setEnvironmentVariable("PATH", inherited.value_or(""));
  fs::current_path(before);
  run.output = readFile(outputFile);
  run.errors = readFile(errorFile);
  return run;
}

// Whether `program` would be found on PATH (with ".exe" on Windows).
inline bool onPath(const std::string& program) {
  const std::string name = platform::executableName(program);
  const std::string folders = platform::environmentVariable("PATH").value_or("");
  std::size_t from = 0;
  while (from <= folders.size()) {
    std::size_t to = folders.find(platform::kPathListSeparator, from);
    if (to == std::string::npos) to = folders.size();
    const std::string folder = folders.substr(from, to - from);
    std::error_code ignored;
    if (!folder.empty() && std::filesystem::is_regular_file(std::filesystem::path(folder) / name, ignored)) return true;
    from = to + 1;
  }
  return false;
}

}  // namespace testing_support
