#include "platform/files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/failure.h"
#include "platform/replacing_file.h"

namespace platform {
namespace fs = std::filesystem;

void moveFile(const std::string& from, const std::string& to) {
  std::error_code error;
  if (!fs::is_regular_file(from, error))
    failStderrLine("cannot move " + from + " to " + to + ": " + (error ? error.message() : "there is no such file"));
  fs::rename(from, to, error);
  if (error == std::errc::cross_device_link) {
    std::ifstream in(from, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) failStderrLine("cannot move " + from + " to " + to + ": the file cannot be read");
    replaceFile(to, bytes, WriteReport::OwnLine);
    fs::remove(from, error);
  }
  if (error) failStderrLine("cannot move " + from + " to " + to + ": " + error.message());
}

void moveFileInto(const std::string& file, const std::string& directory) {
  moveFile(file, (fs::path(directory) / fs::path(file).filename()).string());
}

void linkBeside(const std::string& file, const std::string& name, std::error_code& error) {
#ifdef _WIN32
  fs::create_hard_link(file, name, error);
  if (error) {
    error.clear();
    fs::copy_file(file, name, error);
  }
#else
  fs::create_symlink(fs::path(file).filename(), name, error);
#endif
}

void removeFileIfPresent(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  // A name the file system cannot even look up (too long, say) names no file.
  if (error || status.type() == fs::file_type::not_found) return;
  if (status.type() == fs::file_type::directory) return;
  if (!fs::remove(path, error) || error)
    failStderrLine("cannot remove " + path + ": " + (error ? error.message() : "it stays"));
}

void removeFile(const std::string& path) {
  std::error_code error;
  if (!fs::is_directory(path, error)) fs::remove(path, error);
}

}  // namespace platform
