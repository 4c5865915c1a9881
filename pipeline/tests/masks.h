#pragma once
// The region masks Ferrow writes, as the tests expect them.

#include <string>

namespace pipeline_testing {

// The bytes of the mask of `region` for a label raster.
inline std::string maskBytes(int width, int height, const std::string& labels, int region) {
  std::string bytes = "P5\n# Created by qlix\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  for (char label : labels) bytes.push_back(static_cast<unsigned char>(label) == region ? '\xff' : '\0');
  return bytes;
}

}  // namespace pipeline_testing
