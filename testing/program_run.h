#pragma once
// Running a built program, or a stand-in one, the way a user would: in a
// given working directory, optionally with a folder of stand-in programs
// ahead on PATH, collecting its exit status and what it printed.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_files.h"

namespace testing_support {

struct ProgramRun {
  int status = -1;     // -1 when the program did not end normally
  std::string output;  // standard output
  std::string errors;  // standard error
};

// A shell script the tests use as a stand-in for an outside program.
inline void writeScript(const std::filesystem::path& path, const std::string& body) {
  writeFile(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

// Runs words[0] (looked up on PATH when it holds no slash) with the other
// words as arguments in `directory`. `pathPrefix`, when not empty, is put
// ahead of PATH. The output passes through files in `scratch`.
inline ProgramRun runProgramIn(const std::filesystem::path& directory, std::vector<std::string> words,
                               const std::filesystem::path& scratch, const std::string& pathPrefix = "") {
  const std::string outputFile = (scratch / "stdout").string();
  const std::string errorFile = (scratch / "stderr").string();
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const char* inherited = std::getenv("PATH");
  const std::string path = pathPrefix.empty() ? std::string(inherited ? inherited : "")
                                              : pathPrefix + ":" + (inherited ? inherited : "");

  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(directory.c_str()) != 0) _exit(126);
    setenv("PATH", path.c_str(), 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  ProgramRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.output = readFile(outputFile);
  run.errors = readFile(errorFile);
  return run;
}

}  // namespace testing_support
