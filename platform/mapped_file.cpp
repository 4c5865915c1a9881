#include "platform/mapped_file.h"

#include <cstdio>
#include <utility>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/file.h"

namespace platform {
std::optional<std::string> readWholeFile(const std::string& path) {
  const File file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::string bytes;
  char block[65536];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) bytes.append(block, got);
  if (std::ferror(file.get())) return std::nullopt;
  return bytes;
}

std::optional<MappedFile> MappedFile::open(const std::string& path) {
  MappedFile result;
#ifndef _WIN32
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::nullopt;
  struct stat status {};
  if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(descriptor);
    return std::nullopt;
  }
  const bool regular = S_ISREG(status.st_mode);
  if (regular && status.st_size > 0) {
    // All pages at once: the caller reads every byte.
    void* data = ::mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE,
                        descriptor, 0);
    if (data != MAP_FAILED) {
      ::close(descriptor);
      result.data_ = static_cast<const char*>(data);
      result.size_ = static_cast<std::size_t>(status.st_size);
      result.mapped_ = true;
      return result;
    }
  }
  ::close(descriptor);
#endif
  // An empty file, a pipe, or a file the system will not map: read it.
  std::optional<std::string> bytes = readWholeFile(path);
  if (!bytes) return std::nullopt;
  result.buffer_ = std::move(*bytes);
  result.data_ = result.buffer_.data();
  result.size_ = result.buffer_.size();
  return result;
}

MappedFile::MappedFile(MappedFile&& other) noexcept { *this = std::move(other); }

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this == &other) return *this;
  release();
  mapped_ = std::exchange(other.mapped_, false);
  size_ = std::exchange(other.size_, 0);
  if (mapped_) {
    data_ = std::exchange(other.data_, nullptr);
  } else {
    // A moved string may keep its characters in place (short strings), so
    // the view is taken afresh.
    buffer_ = std::move(other.buffer_);
    data_ = buffer_.data();
    other.data_ = nullptr;
  }
  return *this;
}

MappedFile::~MappedFile() { release(); }

void MappedFile::release() {
#ifndef _WIN32
  if (mapped_) ::munmap(const_cast<char*>(data_), size_);
#endif
  mapped_ = false;
  data_ = nullptr;
  size_ = 0;
  buffer_.clear();
}

}  // namespace platform
