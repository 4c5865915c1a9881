#pragma once
// Small helpers the tests of every folder share: a scratch folder that cleans
// up after itself, and whole-file reads and writes.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace testing_support {

class TempDir {
 public:
  // A new folder of a random name in the system's temporary folder: creating
  // it fails when the name is taken, so no two tests ever share one.
  TempDir() {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 generator(seed());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = "rat-";
      for (int k = 0; k < 10; ++k) name += kLetters[letter(generator)];
      if (std::filesystem::create_directory(folder / name)) {
        path_ = folder / name;
        return;
      }
    }
    throw std::runtime_error("cannot make a scratch folder in " + folder.string());
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// The shared photos, labels and golden runs next to the project's root.
inline std::filesystem::path sharedData() { return SHARED_DATA_DIR; }

}  // namespace testing_support
