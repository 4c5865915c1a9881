#include "imaging/label_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/failure.h"
#include "platform/file.h"
#include "imaging/pnm.h"

namespace imaging {
namespace {

constexpr std::size_t kMaxTokenLength = 19;

// A header that ends early or has an over-long token is reported like a file
// that cannot be opened: the file is not a label file we can read.
[[noreturn]] void failUnreadable(const std::string& path) { platform::failStdoutExact("failure in opening file " + path + "\n"); }

// The decimal value of the token's leading digits (after optional white space
// and sign, as the C conversion reads them), 0 when there are none. Values too
// large for the pixel limit are clamped so they cannot overflow.
std::int64_t leadingNumber(const std::string& token) {
  std::size_t at = 0;
  while (at < token.size() && std::isspace(static_cast<unsigned char>(token[at]))) ++at;
  bool negative = false;
  if (at < token.size() && (token[at] == '+' || token[at] == '-')) negative = token[at++] == '-';
  std::int64_t value = 0;
  for (; at < token.size() && std::isdigit(static_cast<unsigned char>(token[at])); ++at)
    value = std::min<std::int64_t>(value * 10 + (token[at] - '0'), kMaxPixels + 1);
  return negative ? -value : value;
}

}  // namespace

GreyImage readLabelFile(const std::string& path) {
  platform::File file(std::fopen(path.c_str(), "rb"));
  if (!file) failUnreadable(path);

  std::string tokens[4];
  int current = 0;
  while (current < 4) {
    int c = std::getc(file.get());
    if (c == EOF) failUnreadable(path);
    if (c == '#') {
      while (c != EOF && c != '\n') c = std::getc(file.get());
      if (c == EOF) failUnreadable(path);
      continue;
    }
    if (c == ' ' || c == '\n') {
      ++current;
      continue;
    }
    if (tokens[current].size() == kMaxTokenLength) failUnreadable(path);
    tokens[current].push_back(static_cast<char>(c));
  }

  const std::int64_t width = leadingNumber(tokens[1]);
  const std::int64_t height = leadingNumber(tokens[2]);
  if (width < 0 || height < 0)
    platform::failStderrLine(path + ": the label file's width and height must not be negative (read \"" + tokens[1] + "\" and \"" +
             tokens[2] + "\")");
  if (width * height > kMaxPixels)
    platform::failStderrLine(path + ": the label file has " + tokens[1] + " x " + tokens[2] + " pixels, more than the limit of " +
             std::to_string(kMaxPixels));

  GreyImage labels(static_cast<int>(width), static_cast<int>(height));
  if (!labels.empty()) {
    const std::size_t got = std::fread(labels.data(), 1, labels.size(), file.get());
    std::fill(labels.data() + got, labels.data() + labels.size(), std::uint8_t{255});
  }
  platform::closeOrFail(std::move(file), path);
  return labels;
}

int regionCount(const GreyImage& labels) {
  if (labels.empty()) return 1;
  return *std::max_element(labels.data(), labels.data() + labels.size()) + 1;
}

}  // namespace imaging
