#pragma once
// A small file system of our own for the tests of failed writes: a tmpfs
// mounted on a scratch folder, which a test can fill up or make read-only.
// Mounting needs root and Linux; where it is not possible, available() is
// false and skipReason() says why, for a GTEST_SKIP.

#ifdef __linux__
#include <sys/mount.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "testing/test_files.h"

namespace testing_support {

class SmallDisk {
 public:
  explicit SmallDisk(const std::filesystem::path& mountPoint, const std::string& size = "4m") : point_(mountPoint) {
    std::filesystem::create_directories(point_);
#ifdef __linux__
    const std::string options = "size=" + size + ",mode=0755";
    if (mount("tmpfs", point_.c_str(), "tmpfs", 0, options.c_str()) == 0) {
      mounted_ = true;
    } else {
      reason_ = "cannot mount a small tmpfs for the full-disk and read-only cases (" + std::string(std::strerror(errno)) +
                "); run the tests as root to cover them";
    }
#else
    (void)size;
    reason_ = "the full-disk and read-only cases need a small tmpfs, which only Linux mounts";
#endif
  }
  ~SmallDisk() {
#ifdef __linux__
    if (mounted_) umount2(point_.c_str(), MNT_DETACH);
#endif
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool available() const { return mounted_; }
  const std::string& skipReason() const { return reason_; }
  const std::filesystem::path& path() const { return point_; }

  // Writes a filler file until the disk has no room left.
  void fill() {
    std::FILE* filler = std::fopen((point_ / ".filler").string().c_str(), "wb");
    if (filler == nullptr) return;
    const std::vector<char> block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), filler) == block.size()) {
    }
    while (std::fwrite(block.data(), 1, 1, filler) == 1) {
    }
    std::fclose(filler);
  }

  // Nothing can be created, changed or removed on the disk any more.
  bool makeReadOnly() {
#ifdef __linux__
    return mount("tmpfs", point_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
#else
    return false;
#endif
  }

 private:
  std::filesystem::path point_;
  bool mounted_ = false;
  std::string reason_;
};

// A small disk mounted in place of `folder`, holding a copy of what the
// folder held; the folder itself is kept aside at `aside` (and put back when
// no disk can be mounted).
inline std::unique_ptr<SmallDisk> smallDiskInPlaceOf(const std::filesystem::path& folder,
                                                     const std::filesystem::path& aside,
                                                     const std::string& size = "1m") {
  std::filesystem::rename(folder, aside);
  auto disk = std::make_unique<SmallDisk>(folder, size);
  if (disk->available()) {
    std::filesystem::copy(aside, folder, std::filesystem::copy_options::recursive);
  } else {
    std::filesystem::remove(folder);
    std::filesystem::rename(aside, folder);
  }
  return disk;
}

// The names in a folder, sorted, without the filler of a full SmallDisk.
inline std::vector<std::string> namesIn(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != ".filler") names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace testing_support
