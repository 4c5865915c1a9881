// Ferrow on a real photo in a working directory laid out by scripts/layout,
// with the real converter and the real segmenter; the extractor is a
// stand-in that writes the four descriptor files.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "imaging/label_reader.h"
#include "pipeline/tests/masks.h"
#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::onPath;
using testing_support::ProgramRun;
using testing_support::runProgramIn;
using testing_support::readFile;
using testing_support::TempDir;

const char* const kStandInExtractor =
    "case \"$2\" in\n"
    "  *RegionShape.par) out=RegionShape.xml ;;\n"
    "  *ScalColor.par) out=ScalableColorReg.xml ;;\n"
    "  *HomogeneousTexture.par) out=HomoTexture.xml ;;\n"
    "  *EdgeHistogram.par) out=EdgeHistogram.xml ;;\n"
    "esac\n"
    "cat infiles.txt > \"$out\"\n";

TEST(FerrowEndToEnd, SegmentsAPhotoAndWritesItsMasks) {
  if (!fs::exists(ZORVIK_PATH)) GTEST_SKIP() << "Zorvik is not built";
  if (!onPath("convert")) GTEST_SKIP() << "the image converter is not installed";
  const fs::path photo = testing_support::sharedData() / "photos/lomiri_bridge_beach.jpg";
  if (!fs::exists(photo)) GTEST_SKIP() << "no shared photos";

  TempDir root;
  const fs::path work = root.path() / "work";
  const ProgramRun layout =
      runProgramIn(root.path(), {PROJECT_SOURCE_DIR "/scripts/layout", PROJECT_BINARY_DIR, work.string()}, root.path());
  ASSERT_EQ(layout.status, 0) << layout.errors;
  testing_support::writeScript(work / "lib/mpeg7DescriptorsExtraction", kStandInExtractor);
  fs::create_directories(work / "images/segmentationMasks");
  fs::copy_file(photo, work / "images/beach.jpg");

  const ProgramRun run = runProgramIn(work, {FERROW_PATH, "images/beach.jpg"}, root.path());
  ASSERT_EQ(run.status, 0) << run.output << run.errors;

  const fs::path masks = work / "images/segmentationMasks";
  const std::string labelFile = (masks / "beach.seg").string();
  const imaging::GreyImage labels = imaging::readLabelFile(labelFile);
  EXPECT_EQ(labels.width(), 640);
  EXPECT_EQ(labels.height(), 360);
  const int regions = imaging::regionCount(labels);
  EXPECT_LE(regions, 10);
  const std::string raster(reinterpret_cast<const char*>(labels.data()), labels.size());
  for (int region = 0; region < regions; ++region)
    EXPECT_EQ(readFile(masks / ("RegionMask.beach.jpg." + std::to_string(region) + ".pgm")),
              pipeline_testing::maskBytes(640, 360, raster, region))
        << "mask " << region;
  EXPECT_FALSE(fs::exists(masks / ("RegionMask.beach.jpg." + std::to_string(regions) + ".pgm")));
  EXPECT_FALSE(fs::exists(work / "images/beach.seg"));
  EXPECT_TRUE(fs::exists(work / "images/beach.ppm"));
  for (const char* suffix : {".RS.xml", ".SC.xml", ".HT.xml", ".EH.xml"})
    EXPECT_EQ(readFile(work / "descriptors" / (std::string("beach.jpg") + suffix)), "./images/beach.jpg");

  // The segmenter ran with the pipeline's fixed settings, so its label file is
  // the one those settings give for this photo.
  const fs::path golden = testing_support::sharedData() / "golden/lomiri_bridge_beach_p.seg";
  if (fs::exists(golden)) {
    EXPECT_TRUE(readFile(labelFile) == readFile(golden)) << "label file differs from " << golden;
  }
}

}  // namespace
