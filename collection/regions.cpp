#include "collection/regions.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace collection {
namespace {

// The text between <tag> and </tag> on a line of the form <tag>text</tag>.
bool element(const std::string& line, const std::string& tag, std::string& text) {
  const std::string open = "<" + tag + ">";
  const std::string close = "</" + tag + ">";
  if (line.rfind(open, 0) != 0 || line.size() < open.size() + close.size() ||
      line.compare(line.size() - close.size(), close.size(), close) != 0)
    return false;
  text = line.substr(open.size(), line.size() - open.size() - close.size());
  return true;
}

}  // namespace

Confidences parseResults(const std::string& text) {
  Confidences result;
  std::istringstream lines(text);
  std::string line;
  std::string value;
  std::size_t conceptIndex = 0;
  bool started = false;
  while (std::getline(lines, line)) {
    if (line == "<ImageAnnotation>") started = true;
    if (line == "<RegionLabeling>") {
      result.values.emplace_back();
      conceptIndex = 0;
    } else if (element(line, "Concept", value)) {
      if (result.values.empty()) throw std::runtime_error("results file: concept outside a region");
      if (result.values.size() == 1) result.concepts.push_back(value);
      else if (conceptIndex >= result.concepts.size() || result.concepts[conceptIndex] != value)
        throw std::runtime_error("results file: regions list different concepts");
      ++conceptIndex;
    } else if (element(line, "Confidence", value)) {
      if (result.values.empty()) throw std::runtime_error("results file: confidence outside a region");
      result.values.back().push_back(value);
    }
  }
  if (!started) throw std::runtime_error("not a results file");
  for (const auto& region : result.values)
    if (region.size() != result.concepts.size()) throw std::runtime_error("results file: a region lacks confidences");
  return result;
}

int bestConcept(const std::vector<std::string>& values) {
  int best = -1;
  double bestValue = 0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double value = std::strtod(values[i].c_str(), nullptr);
    if (best < 0 || value > bestValue) {
      best = static_cast<int>(i);
      bestValue = value;
    }
  }
  return best;
}

std::vector<RegionExtent> regionExtents(const imaging::GreyImage& labels, int count) {
  std::vector<RegionExtent> extents(static_cast<std::size_t>(count));
  for (int row = 0; row < labels.height(); ++row) {
    const std::uint8_t* line = labels[row];
    for (int column = 0; column < labels.width(); ++column) {
      if (line[column] >= count) continue;
      RegionExtent& extent = extents[line[column]];
      if (extent.pixels == 0) {
        extent.left = extent.right = column;
        extent.top = extent.bottom = row;
      } else {
        if (column < extent.left) extent.left = column;
        if (column > extent.right) extent.right = column;
        extent.bottom = row;
      }
      ++extent.pixels;
    }
  }
  return extents;
}

}  // namespace collection
