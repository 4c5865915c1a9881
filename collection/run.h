#pragma once
// Starting a program in a given working directory with its output captured
// in a file, for the chain steps of one photo, and the small file helpers of
// a batch.

#include <filesystem>
#include <string>
#include <vector>

namespace collection {

struct RunResult {
  int status = -1;   // exit status, 128 + signal, or -1 when it could not start
  std::string output;  // standard output and standard error, interleaved
};

// Runs arguments[0] (searched on PATH when it has no separator) in
// `directory`, standard output and standard error both going to `log`, and
// waits for it (platform::runProgramLogged). The log's text is returned too.
RunResult runIn(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                const std::filesystem::path& log);

// The last line of `output` that holds more than blanks, without its line
// end; empty when there is none.
std::string lastLine(const std::string& output);

// The whole content of a file; empty when it cannot be read.
std::string readWholeFile(const std::filesystem::path& path);

// A hidden name beside `path` for work in progress: "<dir>/.<name>.<tag>-<pid>".
std::filesystem::path besideHidden(const std::filesystem::path& path, const std::string& tag);

// Writes `text` as `path` through platform::replaceFile: readers see the old
// file or the whole new one. Throws platform::Failure ("cannot write <path>:
// <reason>") when the file cannot be written.
void writeFile(const std::filesystem::path& path, const std::string& text);

}  // namespace collection
