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

std::int64_t claimedPixels(std::string_view input, HeaderStyle style) {
  std::string tokens[4];
  int current = 0;
  std::size_t at = 0;
  while (current < 4) {
    if (at == input.size()) return 0;
    const char c = input[at++];
    if (c == '#') {
      // The comment's line feed goes with it and ends no token.
      while (at < input.size() && input[at] != '\n') ++at;
      if (at < input.size()) ++at;
      continue;
    }
    if (style == HeaderStyle::ColourImage && c == '\n' && tokens[current].empty()) continue;
    if (c == ' ' || c == '\n') {
      ++current;
      continue;
    }
    if (tokens[current].size() < 19) tokens[current].push_back(c);
  }
  // Leading digits after blanks and a sign, as the readers take them: the
  // colour image reader converts with atoi, which keeps the low 32 bits of a
  // number too large for an int. A negative or absent size asks for nothing.
  const auto number = [style](const std::string& token) -> std::int64_t {
    long long value = std::strtoll(token.c_str(), nullptr, 10);
    if (style == HeaderStyle::ColourImage) value = static_cast<int>(static_cast<unsigned long long>(value));
    return std::clamp<long long>(value, 0, kMaxFuzzPixels + 1);
  };
  return number(tokens[1]) * number(tokens[2]);
}

}  // namespace fuzzing
