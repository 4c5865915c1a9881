// The extractor as the pipeline runs it: Ferrow on a photo, in a working
// directory laid out from this build, with the real converter, segmenter and
// extractor, leaves the four descriptor files in descriptors/ with one block
// per region of the label file.

#include <gtest/gtest.h>

#include <filesystem>

#include "classification/descriptor_readers.h"
#include "formats/exchanged_formats.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "testing/test_files.h"
#include "tools/descriptors/extraction.h"
#include "tools/descriptors/tests/program_run.h"

namespace {

namespace fs = std::filesystem;
using descriptors::DescriptorKind;
using descriptors_testing::runIn;

bool onPath(const std::string& program) {
  return runIn(fs::temp_directory_path(), {"sh", "-c", "command -v " + program}, fs::temp_directory_path()).status == 0;
}

TEST(FerrowWithTheExtractor, LeavesFourDescriptorFilesWithABlockPerRegion) {
  const fs::path ferrow = PROJECT_BINARY_DIR "/pipeline/Ferrow";
  if (!fs::exists(ferrow) || !fs::exists(PROJECT_BINARY_DIR "/segmentation/Zorvik"))
    GTEST_SKIP() << "Ferrow and Zorvik are not built";
  if (!onPath("convert")) GTEST_SKIP() << "the image converter is not installed";
  const fs::path photo = testing_support::sharedData() / "photos/gc_bison_grassland.jpg";
  if (!fs::exists(photo)) GTEST_SKIP() << "no shared photos";

  testing_support::TempDir root;
  const fs::path work = root.path() / "work";
  ASSERT_EQ(
      runIn(root.path(), {PROJECT_SOURCE_DIR "/scripts/layout", PROJECT_BINARY_DIR, work.string()}, root.path()).status,
      0)
      << testing_support::readFile(root.path() / "stderr");
  fs::create_directories(work / "images/segmentationMasks");
  fs::copy_file(photo, work / "images/bison.jpg");
  ASSERT_EQ(runIn(work, {ferrow.string(), "images/bison.jpg"}, root.path()).status, 0)
      << testing_support::readFile(root.path() / "stdout") << testing_support::readFile(root.path() / "stderr");

  // The pixels and labels the extractor saw, to compute what it should have written.
  const imaging::ColourImage pixels = imaging::readColourImage((work / "images/bison.ppm").string());
  const imaging::GreyImage labels = imaging::readLabelFile((work / "images/segmentationMasks/bison.seg").string());
  const std::vector<descriptors::Region> regions = descriptors::findRegions(labels);
  const int regionCount = imaging::regionCount(labels);
  ASSERT_EQ(static_cast<int>(regions.size()), regionCount);

  for (const DescriptorKind kind : formats::kExtractionOrder) {
    const formats::DescriptorFormat& format = formats::descriptorFormat(kind);
    const fs::path path = work / formats::kDescriptorFolder / ("bison.jpg" + std::string(format.suffix));
    ASSERT_TRUE(fs::exists(path)) << path;
    // The classifier's own reader.
    const std::vector<double> values = classification::readDescriptorFile(path.string(), kind);
    EXPECT_EQ(values.size(), static_cast<std::size_t>(regionCount * format.values)) << format.suffix;
    const std::vector<descriptors::Block> expected = descriptors::computeDescriptor(kind, pixels, labels, regions);
    std::vector<double> flat;
    for (const descriptors::Block& block : expected) flat.insert(flat.end(), block.begin(), block.end());
    EXPECT_EQ(values, flat) << format.suffix;
  }
  EXPECT_FALSE(fs::exists(work / "infiles.txt"));
  for (const formats::DescriptorFormat& format : formats::kDescriptorFormats)
    EXPECT_FALSE(fs::exists(work / format.extractorOutput)) << format.extractorOutput;
}

}  // namespace
