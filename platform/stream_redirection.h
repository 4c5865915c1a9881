#pragma once
// Sending the process's standard output and/or standard error, and so those
// of every program it starts meanwhile, somewhere else for a while.

#include <string>

namespace platform {

class StreamRedirection {
 public:
  enum Streams { ErrorOnly, OutputAndError };

  // Redirects to the file at `path` (replaced). When the file cannot be
  // opened nothing is redirected.
  StreamRedirection(const std::string& path, Streams streams);
  // Standard output to the file at `outputPath`, standard error to the one at
  // `errorPath` (both replaced). A stream whose file cannot be opened stays.
  StreamRedirection(const std::string& outputPath, const std::string& errorPath);
  // Restores the streams as they were.
  ~StreamRedirection();
  StreamRedirection(const StreamRedirection&) = delete;
  StreamRedirection& operator=(const StreamRedirection&) = delete;

  // The platform's file that swallows everything written to it.
  static const char* nullDevice();

 private:
  int savedOutput_ = -1;
  int savedError_ = -1;
};

}  // namespace platform
