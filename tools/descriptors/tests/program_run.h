#pragma once
// Running a program in a given folder and collecting its exit status and output.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_files.h"

namespace descriptors_testing {

struct ProgramRun {
  int status = -1;  // -1 when the program did not end normally
  std::string output;
  std::string errors;
};

// Runs words[0] (looked up on PATH when it has no slash) with the other words
// as arguments in `directory`; the output passes through files in `scratch`.
inline ProgramRun runIn(const std::filesystem::path& directory, std::vector<std::string> words,
                        const std::filesystem::path& scratch) {
  const std::string out = (scratch / "stdout").string();
  const std::string err = (scratch / "stderr").string();
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(directory.c_str()) != 0) _exit(126);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  ProgramRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.output = testing_support::readFile(out);
  run.errors = testing_support::readFile(err);
  return run;
}

}  // namespace descriptors_testing
