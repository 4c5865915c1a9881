#include "platform/files.h"

#include <filesystem>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;

void renameFile(const std::string& from, const std::string& to) {
  std::error_code error;
  if (!fs::is_regular_file(from, error)) return;
  fs::rename(from, to, error);
  if (error == std::errc::cross_device_link) {
    // Across file systems a rename cannot work; copy, then remove the source
    // only once the copy is complete.
    std::error_code copyError;
    if (fs::copy_file(from, to, fs::copy_options::overwrite_existing, copyError)) fs::remove(from, copyError);
  }
}

void moveFileInto(const std::string& file, const std::string& directory) {
  std::error_code error;
  if (!fs::is_directory(directory, error)) return;
  renameFile(file, (fs::path(directory) / fs::path(file).filename()).string());
}

void removeFile(const std::string& path) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) fs::remove(path, error);
}

}  // namespace platform
