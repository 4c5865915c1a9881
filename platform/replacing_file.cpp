#include "platform/replacing_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

#include "platform/failure.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

// A short name that no other writer uses at the same time: long target names
// (up to the file system's limit) still get a temporary name that fits.
std::string temporaryNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const fs::path folder = fs::path(path).parent_path();
  const std::string name = ".writing-" + std::to_string(static_cast<long>(getpid())) + "-" +
                           std::to_string(counter.fetch_add(1)) + ".tmp";
  return (folder / name).string();
}

// Opens a new file for writing; fails (EEXIST) rather than take over a file
// that happens to exist under the name.
std::FILE* openNew(const std::string& path, WriteMode mode) {
#ifdef _WIN32
  // The Windows C runtime's fopen knows no "x". Text takes the runtime's
  // default mode.
  const int flags = _O_WRONLY | _O_CREAT | _O_EXCL | (mode == WriteMode::Binary ? _O_BINARY : 0);
  const int descriptor = _open(path.c_str(), flags, _S_IREAD | _S_IWRITE);
  if (descriptor < 0) return nullptr;
  std::FILE* file = _fdopen(descriptor, mode == WriteMode::Binary ? "wb" : "w");
  if (file == nullptr) _close(descriptor);
  return file;
#else
  return std::fopen(path.c_str(), mode == WriteMode::Binary ? "wbx" : "wx");
#endif
}

}  // namespace

ReplacingFile::ReplacingFile(std::string path, WriteReport report, WriteMode mode)
    : path_(std::move(path)), report_(report) {
  for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
    temporary_ = temporaryNameBeside(path_);
    file_ = openNew(temporary_, mode);
    if (file_ == nullptr && errno != EEXIST) break;
  }
  if (file_ == nullptr) {
    const int error = errno;
    switch (report_) {
      case WriteReport::OpeningClosing: failStdoutExact("failure in opening file " + path_ + "\n");
      case WriteReport::CannotWrite: failStdoutExact("cannot write!!!!!!!!!!!!!!");
      case WriteReport::OwnLine: failStderrLine("cannot write " + path_ + ": " + std::strerror(error));
    }
  }
}

ReplacingFile::~ReplacingFile() {
  if (!committed_) discard();
}

void ReplacingFile::discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  std::error_code ignored;
  fs::remove(temporary_, ignored);
}

void ReplacingFile::failWriting(int error) {
  discard();
  committed_ = true;  // nothing left to clean up
  switch (report_) {
    case WriteReport::OpeningClosing: failStdoutExact("failure in closing file " + path_);
    case WriteReport::CannotWrite: failStdoutExact("cannot write!!!!!!!!!!!!!!");
    case WriteReport::OwnLine: failStderrLine("cannot write " + path_ + ": " + std::strerror(error));
  }
  failStderrLine("cannot write " + path_);
}

void ReplacingFile::write(std::string_view bytes) {
  if (bytes.empty()) return;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failWriting(errno);
}

void ReplacingFile::commit() {
  if (std::fflush(file_) != 0) failWriting(errno);
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) failWriting(errno);
  // Replaces an existing target on every platform, unlike std::rename on Windows.
  std::error_code error;
  fs::rename(temporary_, path_, error);
  if (error) failWriting(error.value());
  committed_ = true;
}

void replaceFile(const std::string& path, std::string_view bytes, WriteReport report, WriteMode mode) {
  ReplacingFile file(path, report, mode);
  file.write(bytes);
  file.commit();
}

}  // namespace platform
