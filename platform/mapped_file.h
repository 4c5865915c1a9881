#pragma once
// A whole file's bytes for reading, mapped into memory where the system can
// (the pages come straight from the file cache, nothing is copied), read into
// a buffer elsewhere.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The whole file read into memory, or nothing when it cannot be opened or
// read.
std::optional<std::string> readWholeFile(const std::string& path);

class MappedFile {
 public:
  // The file's bytes, or nothing when it cannot be opened or read (missing,
  // a folder, no permission).
  static std::optional<MappedFile> open(const std::string& path);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // Valid while this object lives, wherever it is moved.
  std::string_view bytes() const { return {data_, size_}; }

 private:
  MappedFile() = default;
  void release();

  const char* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
  std::string buffer_;  // where the file is read instead of mapped
};

}  // namespace platform
