#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace fuzzing {
namespace {

void removeScratchFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(scratchFolder(), ignored);
}

std::filesystem::path makeScratchFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
  return pattern;
}

}  // namespace

const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path made = makeScratchFolder();
    std::atexit(removeScratchFolder);
    return made;
  }();
  return folder;
}

void enterScratchFolder() { std::filesystem::current_path(scratchFolder()); }

std::string writeScratchFile(const std::string& name, std::string_view contents) {
  const std::filesystem::path path = scratchFolder() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  out.close();
  if (!out) throw std::runtime_error("cannot write the scratch file " + path.string());
  return path.string();
}

std::vector<std::string_view> splitParts(std::string_view input, std::size_t parts) {
  constexpr std::string_view kMarker = "\n=====\n";
  std::vector<std::string_view> pieces;
  while (pieces.size() + 1 < parts) {
    const std::size_t at = input.find(kMarker);
    if (at == std::string_view::npos) break;
    pieces.push_back(input.substr(0, at));
    input.remove_prefix(at + kMarker.size());
  }
  pieces.push_back(input);
  pieces.resize(parts);
  return pieces;
}

}  // namespace fuzzing
