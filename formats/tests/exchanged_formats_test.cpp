#include "formats/exchanged_formats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using formats::DescriptorFormat;
using formats::kDescriptorFormats;

// scripts/layout copies the bundled parameter files into lib/Parfiles/, where
// Ferrow names them; each must select the kind it is listed for.
TEST(ExchangedFormatsTest, BundledParameterFilesSelectTheirKinds) {
  for (const DescriptorFormat& format : kDescriptorFormats) {
    const std::filesystem::path name = std::filesystem::path(std::string(format.parameterFile)).filename();
    std::ifstream in(std::filesystem::path(PROJECT_SOURCE_DIR) / "tools/descriptors/parfiles" / name);
    ASSERT_TRUE(in) << name;
    std::string line;
    bool selects = false;
    while (std::getline(in, line)) selects |= line == "Descriptor = " + std::string(format.parameterName);
    EXPECT_TRUE(selects) << name << " does not select " << format.parameterName;
  }
}

// Every order a program walks the kinds in names each kind once.
TEST(ExchangedFormatsTest, EveryKindOrderIsAPermutation) {
  for (formats::KindOrder order : {formats::kExtractionOrder, formats::kFilingOrder, formats::kReadingOrder}) {
    std::sort(order.begin(), order.end());
    EXPECT_TRUE(std::adjacent_find(order.begin(), order.end()) == order.end());
  }
}

}  // namespace
