#pragma once
// The one way the programs write a file: the bytes go to a temporary file in
// the target's own folder, every write and the close are checked, and only a
// complete file is renamed over the target. On every failure the temporary
// file is removed, so the target is either what it was before or the whole
// new file, never a cut-short one.

#include <cstdio>
#include <string>
#include <string_view>

namespace platform {

// How a failed write is told to the user.
enum class WriteReport {
  // "failure in opening file <path>\n" when the file cannot be created,
  // "failure in closing file <path>" when a write, the close or the rename
  // fails (standard output, the system's fixed texts).
  OpeningClosing,
  // "cannot write!!!!!!!!!!!!!!" in every case (standard output, fixed text).
  CannotWrite,
  // One line on standard error: "cannot write <path>: <reason>".
  OwnLine,
};

enum class WriteMode { Binary, Text };

class ReplacingFile {
 public:
  // Creates the temporary file next to `path`, or stops the run as `report` says.
  ReplacingFile(std::string path, WriteReport report, WriteMode mode = WriteMode::Binary);
  // Removes the temporary file unless commit() has put it in place.
  ~ReplacingFile();
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Appends bytes; a short write stops the run (the temporary file is removed).
  void write(std::string_view bytes);

  // Flushes and closes the temporary file and renames it to the target,
  // replacing an existing file. Any failure stops the run with the temporary
  // file removed and the target untouched.
  void commit();

  const std::string& path() const { return path_; }

 private:
  [[noreturn]] void failWriting(int error);
  void discard();

  std::string path_;
  std::string temporary_;
  WriteReport report_;
  std::FILE* file_ = nullptr;
  bool committed_ = false;
};

// Writes the whole of `bytes` as `path` through a ReplacingFile.
void replaceFile(const std::string& path, std::string_view bytes, WriteReport report,
                 WriteMode mode = WriteMode::Binary);

}  // namespace platform
