#pragma once
// Running a built program of the project in a given working directory, with
// a folder of stand-in programs ahead on PATH, and collecting what it printed.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_files.h"

namespace pipeline_testing {

struct ProgramRun {
  int status = -1;
  std::string output;  // standard output
  std::string errors;  // standard error
};

inline void writeScript(const std::filesystem::path& path, const std::string& body) {
  testing_support::writeFile(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
}

// Runs `program` with `arguments` in `directory`. `pathPrefix`, when not
// empty, is put ahead of PATH. Output goes through files in `scratch`.
inline ProgramRun runProgramIn(const std::string& program, const std::vector<std::string>& arguments,
                               const std::filesystem::path& directory, const std::string& pathPrefix,
                               const std::filesystem::path& scratch) {
  const std::string outputFile = (scratch / "stdout").string();
  const std::string errorFile = (scratch / "stderr").string();
  std::vector<std::string> words = {program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  std::string path = pathPrefix.empty() ? std::string(std::getenv("PATH")) : pathPrefix + ":" + std::getenv("PATH");

  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(directory.c_str()) != 0) _exit(126);
    setenv("PATH", path.c_str(), 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  ProgramRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.output = testing_support::readFile(outputFile);
  run.errors = testing_support::readFile(errorFile);
  return run;
}

inline std::string ferrowPath() { return PROJECT_BINARY_DIR "/pipeline/Ferrow"; }
inline std::string zorvikPath() { return PROJECT_BINARY_DIR "/segmentation/Zorvik"; }

// The bytes of the mask of `region` for a label raster.
inline std::string maskBytes(int width, int height, const std::string& labels, int region) {
  std::string bytes = "P5\n# Created by qlix\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (char label : labels) bytes.push_back(static_cast<unsigned char>(label) == region ? '\xff' : '\0');
  return bytes;
}

}  // namespace pipeline_testing
