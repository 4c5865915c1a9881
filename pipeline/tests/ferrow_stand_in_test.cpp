// Ferrow run the same way on every platform, Windows under wine included:
// the converter, the segmenter and the extractor are one stand-in program of
// the test build installed under their names, the paths are the platform's
// own (lib\Zorvik.exe on Windows), and an image name holding blanks and the
// characters a shell or the Windows command interpreter acts on reaches
// every program inside one argument.

#include <gtest/gtest.h>

#include <filesystem>

#include "formats/exchanged_formats.h"
#include "platform/environment.h"
#include "platform/paths.h"
#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(FerrowWithStandIns, StartsEveryProgramByItsPlatformPathWithTheNameWhole) {
  const std::string name = "R&D ^1 %x% it's $(x).jpg";
  const std::string base = "R&D ^1 %x% it's $(x)";
  const std::string sep(1, platform::kSeparator);

  TempDir root;
  const fs::path work = root.path() / "work";
  for (const char* folder : {"bin", "work/lib/Parfiles", "work/descriptors", "work/images/segmentationMasks"})
    fs::create_directories(root.path() / folder);
  for (const formats::DescriptorFormat& format : formats::kDescriptorFormats)
    writeFile(work / format.parameterFile, "");
  fs::copy_file(PIPELINE_STAND_IN_PATH, root.path() / "bin" / platform::executableName("convert"));
  for (const char* program : {"Zorvik", "mpeg7DescriptorsExtraction"})
    fs::copy_file(PIPELINE_STAND_IN_PATH, work / "lib" / platform::executableName(program));
  writeFile(work / "images" / name, "the image");

  const std::string log = (root.path() / "calls.log").string();
  ASSERT_TRUE(platform::setEnvironmentVariable("STAND_IN_LOG", log));
  const testing_support::ProgramRun run = testing_support::runProgramIn(
      work, {FERROW_PATH, "images" + sep + name}, root.path(), (root.path() / "bin").string());
  platform::setEnvironmentVariable("STAND_IN_LOG", "");

  ASSERT_EQ(run.status, 0) << run.output << run.errors;
  EXPECT_EQ(run.output, "converting\n");
  EXPECT_EQ(run.errors, "");
  std::string calls = "convert [-define] [filename:literal=true] [./images" + sep + sep +
                      ".ferrow-input.jpg] [ppm:./images" + sep + sep + ".ferrow-output.ppm]\n" +
                      "lib" + sep + platform::executableName("Zorvik") + " [images" + sep + "] [images" + sep + "] [" +
                      base + "] [8] [2] [1] [1] [0] [10]\n";
  for (formats::DescriptorKind kind : formats::kExtractionOrder)
    calls += "lib" + sep + "mpeg7DescriptorsExtraction [-p] [" +
             std::string(formats::descriptorFormat(kind).parameterFile) + "]\n";
  EXPECT_EQ(readFile(log), calls);

  const std::string listed = "./images" + sep + name;
  for (const formats::DescriptorFormat& format : formats::kDescriptorFormats)
    EXPECT_EQ(readFile(work / "descriptors" / (name + std::string(format.suffix))),
              std::string(format.extractorOutput) + " of " + listed);
  const fs::path masks = work / "images/segmentationMasks";
  EXPECT_EQ(readFile(masks / (base + ".seg")).size(), std::string("P5\n# Created by qlix\n4 3\n255\n").size() + 12);
  for (int region = 0; region < 4; ++region)
    EXPECT_TRUE(fs::exists(masks / ("RegionMask." + name + "." + std::to_string(region) + ".pgm"))) << region;
  EXPECT_TRUE(fs::exists(work / "images" / (base + ".ppm")));
}

}  // namespace
