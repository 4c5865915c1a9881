#pragma once
// A reader of descriptor files that works the way the classifier reads them.

#include <climits>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tools/descriptors/descriptor_kind.h"

namespace descriptors_testing {

// The classifier's way of reading a descriptor file: it does not parse XML but
// takes the text up to the next '>', '<' or blank, again and again, and turns
// some of those chunks into numbers. Where that reader would loop for ever or
// overrun its buffer, this one throws.
class DelimiterReader {
 public:
  explicit DelimiterReader(std::string text) : text_(std::move(text)) {}

  // All values of the file, block after block, and the number of blocks.
  std::vector<int> readAll(descriptors::DescriptorKind kind, int& blocks) {
    std::vector<int> values;
    for (int i = 0; i < 4; ++i) skip('>');
    blocks = 0;
    while (!atEnd()) {
      if (kind == descriptors::DescriptorKind::HomogeneousTexture) {
        skip('<');
        skip('>');
        skip('>');
        values.push_back(read('<'));
        skip('>');
        skip('>');
        values.push_back(read('<'));
        skip('>');
        skip('>');
        row(30, values);
        skip('>');
        skip('>');
        row(30, values);
      } else {
        skip('>');
        skip('>');
        row(descriptors::kindInfo(kind).values, values);
      }
      skip('>');
      skip('>');
      ++blocks;
    }
    return values;
  }

 private:
  std::string chunk(char delimiter) {
    const auto end = text_.find(delimiter, position_);
    if (end == std::string::npos) throw std::runtime_error("the file ends while looking for a delimiter");
    if (end - position_ > 799) throw std::runtime_error("a chunk is longer than 799 characters");
    std::string taken = text_.substr(position_, end - position_);
    position_ = end + 1;
    return taken;
  }
  void skip(char delimiter) { chunk(delimiter); }
  // The decimal conversion of the chunk, truncated toward zero.
  int read(char delimiter) {
    const double value = std::strtod(chunk(delimiter).c_str(), nullptr);
    if (!(std::abs(value) < INT_MAX)) throw std::runtime_error("a value out of range");
    return static_cast<int>(value);
  }
  void row(int count, std::vector<int>& values) {
    for (int i = 0; i < count - 1; ++i) {
      values.push_back(read(' '));
      skip(' ');
    }
    values.push_back(read('<'));
  }
  // Two skips to '>'; the file ends when the second chunk's fourth character is 'D'.
  bool atEnd() {
    skip('>');
    const std::string tested = chunk('>');
    return tested.size() >= 4 && tested[3] == 'D';
  }

  std::string text_;
  std::size_t position_ = 0;
};

}  // namespace descriptors_testing
