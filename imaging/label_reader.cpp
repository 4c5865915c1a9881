#include "imaging/label_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "platform/failure.h"
#include "platform/file.h"
#include "imaging/pnm_header.h"

namespace imaging {
namespace {

constexpr PnmHeaderRules kLabelRules{"P5", 1, 255, true};

// A header that ends early or has an over-long field is reported like a file
// that cannot be opened: the file is not a label file we can read.
[[noreturn]] void failUnreadable(const std::string& path) { platform::failStdoutExact("failure in opening file " + path + "\n"); }

}  // namespace

GreyImage readLabelFile(const std::string& path) {
  platform::File file(std::fopen(path.c_str(), "rb"));
  if (!file) failUnreadable(path);

  const PnmHeaderFields fields = readPnmHeaderFields(file.get(), LineFeedBeforeField::EndsField);
  if (!fields.problem.empty()) failUnreadable(path);
  PnmHeader header;
  const std::string problem = checkPnmHeader(fields, kLabelRules, file.get(), path, header);
  if (!problem.empty()) platform::failStderrLine(problem);
  const int width = header.width;
  const int height = header.height;

  GreyImage labels(width, height);
  if (!labels.empty()) {
    // The header check made sure the file holds the raster; a file cut short
    // meanwhile is refused all the same.
    if (std::fread(labels.data(), 1, labels.size(), file.get()) != labels.size())
      platform::failStderrLine(path + ": the raster ends before the header's " + std::to_string(width) + " x " +
                               std::to_string(height) + " pixels");
  }
  platform::closeOrFail(std::move(file), path);
  return labels;
}

int regionCount(const GreyImage& labels) {
  if (labels.empty()) return 1;
  return *std::max_element(labels.data(), labels.data() + labels.size()) + 1;
}

}  // namespace imaging
