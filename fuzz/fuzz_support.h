#pragma once
// What the fuzz targets share: a scratch folder per process, the input
// written to a file for readers that take a path, the header check that
// keeps a lying header from asking for more memory than a fuzz run allows,
// and the rule that a reader refuses bad input only by throwing
// platform::Failure (anything else reaches libFuzzer as a finding).

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/failure.h"

namespace fuzzing {

// The input as text.
inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// This process's scratch folder, made on first use and removed at exit.
const std::filesystem::path& scratchFolder();

// Makes the scratch folder the working directory (for readers that take
// their files relative to it).
void enterScratchFolder();

// Writes `contents` to `name` below the scratch folder, replacing what was
// there, and returns its path.
std::string writeScratchFile(const std::string& name, std::string_view contents);

// The input cut at every line "=====", for targets that need several files.
// Always `parts` pieces; those the input lacks are empty.
std::vector<std::string_view> splitParts(std::string_view input, std::size_t parts);

// Runs a reader on the input; its refusal (platform::Failure) is an expected
// outcome, every other exception escapes and ends the run as a finding.
template <typename Read>
void readOrRefuse(Read&& read) {
  try {
    read();
  } catch (const platform::Failure&) {
  }
}

}  // namespace fuzzing
