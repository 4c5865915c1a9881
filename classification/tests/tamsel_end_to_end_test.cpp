// Ferrow and then Tamsel on a real photo, in a working directory laid out by
// scripts/layout, with the real converter, segmenter and descriptor extractor;
// the predictor is a stand-in that answers 0.<r> for region r.

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "imaging/label_reader.h"
#include "program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using classifier_files::ProgramRun;
using classifier_files::runIn;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// Keeps the test data it is given and answers one number per line of it.
const char* const kStandInPredictor =
    "#!/bin/sh\n"
    "cp testDataFile.txt testDataFile.seen\n"
    "n=$(wc -l < testDataFile.txt)\n"
    "i=0\n"
    "while [ $i -lt $n ]; do echo \"0.$i\"; i=$((i + 1)); done > \"$3\"\n";

TEST(TamselEndToEnd, ClassifiesTheRegionsOfAPhotoFerrowPrepared) {
  const fs::path build = PROJECT_BINARY_DIR;
  for (const char* program : {"pipeline/Ferrow", "segmentation/Zorvik", "tools/descriptors/mpeg7DescriptorsExtraction"})
    if (!fs::exists(build / program)) GTEST_SKIP() << program << " is not built";
  if (std::system("command -v convert >/dev/null") != 0) GTEST_SKIP() << "the image converter is not installed";
  const fs::path photo = testing_support::sharedData() / "photos/enl_mountain.jpg";
  if (!fs::exists(photo)) GTEST_SKIP() << "no shared photos";

  TempDir root;
  const fs::path work = root.path() / "work";
  const fs::path bin = root.path() / "bin";
  const ProgramRun layout =
      runIn(root.path(), bin, PROJECT_SOURCE_DIR "/scripts/layout", {build.string(), work.string()}, root.path());
  ASSERT_EQ(layout.status, 0) << layout.errors;
  fs::create_directories(work / "images/segmentationMasks");
  fs::copy_file(photo, work / "images/mountain.jpg");
  fs::create_directories(bin);
  writeFile(bin / "SVMpredictfuzzy", kStandInPredictor);
  fs::permissions(bin / "SVMpredictfuzzy", fs::perms::owner_all);
  writeFile(work / "conf/two.txt", "concepts=2;\nconcept=sky;\nconcept=rock;\n");

  const ProgramRun ferrow = runIn(work, bin, (build / "pipeline/Ferrow").string(), {"images/mountain.jpg"}, root.path());
  ASSERT_EQ(ferrow.status, 0) << ferrow.output << ferrow.errors;
  const ProgramRun tamsel = runIn(work, bin, TAMSEL_PATH, {"images/mountain.jpg", "two.txt"}, root.path());
  ASSERT_EQ(tamsel.status, 0) << tamsel.output << tamsel.errors;
  EXPECT_EQ(tamsel.output,
            "\nSVM classifier\n\nProcessing image: mountain.jpg"
            "\nClassification procedure is finished\nResults are saved in folder \\output\n\n");

  const int regions = imaging::regionCount(imaging::readLabelFile((work / "images/segmentationMasks/mountain.seg").string()));
  const std::string results = readFile(work / "output/classification-results.mountain.jpg.ORM.xml");
  EXPECT_EQ(std::count(results.begin(), results.end(), '\n'), 3 + regions * (3 + 4 * 2));
  EXPECT_NE(results.find("<RegionNumber>" + std::to_string(regions - 1) + "</RegionNumber>\n<Label>\n<Concept>sky"
                         "</Concept>\n<Confidence>0." + std::to_string(regions - 1) + "00000</Confidence>\n"),
            std::string::npos)
      << results;
  EXPECT_FALSE(fs::exists(work / "testDataFile.txt"));
  EXPECT_FALSE(fs::exists(work / "output.txt"));

  // The features the predictor saw are the extractor's values, each within
  // the range its scaling maps onto: -1..1, and 0..1 for the colour group.
  std::istringstream lines(readFile(work / "testDataFile.seen"));
  int region = 0;
  for (std::string line; std::getline(lines, line); ++region) {
    std::istringstream fields(line);
    std::string label;
    fields >> label;
    EXPECT_EQ(label, "+1");
    int expected = 1;
    for (std::string field; fields >> field; ++expected) {
      const std::size_t colon = field.find(':');
      ASSERT_EQ(field.substr(0, colon), std::to_string(expected)) << line;
      const double value = std::stod(field.substr(colon + 1));
      EXPECT_GE(value, expected >= 98 && expected <= 353 ? 0.0 : -1.0) << field;
      EXPECT_LE(value, 1.0) << field;
    }
    EXPECT_EQ(expected, 434);
  }
  EXPECT_EQ(region, regions);
}

}  // namespace
