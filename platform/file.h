#pragma once
// A C stream that closes itself, and the open and close steps with the
// system's fixed failure messages.

#include <cstdio>
#include <memory>
#include <string>

#include "platform/failure.h"

namespace platform {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Opens the file or stops with "failure in opening file <path>".
inline File openOrFail(const std::string& path, const char* mode) {
  File file(std::fopen(path.c_str(), mode));
  if (!file) failStdoutExact("failure in opening file " + path + "\n");
  return file;
}

// Closes the file or stops with "failure in closing file <path>". A write
// that fell short (`written` false) is reported the same way: it shows up at
// the latest when the file is closed.
inline void closeOrFail(File file, const std::string& path, bool written = true) {
  if (std::fclose(file.release()) != 0 || !written) failStdoutExact("failure in closing file " + path);
}

}  // namespace platform
