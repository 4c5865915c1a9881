#pragma once
// A photo's regions as the tables and the overlay see them: the confidences
// of the results file and each region's size and bounding box in the label
// file.

#include <string>
#include <vector>

#include "imaging/buffers.h"

namespace collection {

struct Confidences {
  std::vector<std::string> concepts;              // in the results file's order
  std::vector<std::vector<std::string>> values;   // [region][concept], as written ("0.985309")
};

// Reads the text of a results file: every region's labels in order. Throws
// std::runtime_error when the text is not a results file.
Confidences parseResults(const std::string& text);

// The index of the concept with the highest confidence (the first of equal
// ones), or -1 when the region has no concepts.
int bestConcept(const std::vector<std::string>& values);

struct RegionExtent {
  long pixels = 0;
  int left = 0, top = 0, right = -1, bottom = -1;  // inclusive; right < left when empty
};

// Pixel count and bounding box of every label value 0..count-1.
std::vector<RegionExtent> regionExtents(const imaging::GreyImage& labels, int count);

}  // namespace collection
