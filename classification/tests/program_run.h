#pragma once
// Running a program in a given working directory, with a folder of stand-in
// programs ahead on PATH, collecting what it prints in files of a scratch
// folder.

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_files.h"

namespace classifier_files {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string shellQuoted(const std::string& text) {
  std::string result = "'";
  for (char c : text) {
    if (c == '\'') result += "'\\''";
    else result += c;
  }
  return result + "'";
}

inline ProgramRun runIn(const std::filesystem::path& directory, const std::filesystem::path& pathPrefix,
                        const std::string& program, const std::vector<std::string>& arguments,
                        const std::filesystem::path& scratch) {
  const std::filesystem::path out = scratch / "stdout";
  const std::filesystem::path err = scratch / "stderr";
  std::string command = "cd " + shellQuoted(directory.string()) + " && PATH=" + shellQuoted(pathPrefix.string()) +
                        ":\"$PATH\" " + shellQuoted(program);
  for (const std::string& argument : arguments) {
    command += ' ';
    command += shellQuoted(argument);
  }
  command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing_support::readFile(out), testing_support::readFile(err)};
}

}  // namespace classifier_files
