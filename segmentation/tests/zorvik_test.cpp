// Runs the Zorvik program itself: command line, output text, label file.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "imaging/pnm.h"
#include "segmentation/run_driver.h"
#include "segmentation/tests/zorvik_runs.h"
#include "testing/test_files.h"

namespace segmentation {
namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

using RunResult = testing_support::ProgramRun;

RunResult runZorvik(const TempDir& dir, const std::string& arguments) {
  return zorvik_runs::runZorvik(dir.path(), arguments);
}

// The number at the start of the line that ends with `text` (the first
// such line), or -1.
int numberBefore(const std::string& output, const std::string& text) {
  const std::size_t at = output.find(text);
  if (at == std::string::npos) return -1;
  const std::size_t lineStart = output.rfind('\n', at);
  const std::size_t first = lineStart == std::string::npos ? 0 : lineStart + 1;
  return std::atoi(output.substr(first, at - first).c_str());
}

// The region count of the report's " region_number: " line, or -1.
int reportedRegions(const std::string& output) {
  const std::string mark = " region_number: \n";
  const std::size_t at = output.find(mark);
  return at == std::string::npos ? -1 : std::atoi(output.c_str() + at + mark.size());
}

// Every run of digits and points replaced by '#'.
std::string figuresMasked(const std::string& text) {
  std::string masked;
  for (const char c : text) {
    const bool figure = std::isdigit(static_cast<unsigned char>(c)) || c == '.';
    if (!figure)
      masked += c;
    else if (masked.empty() || masked.back() != '#')
      masked += '#';
  }
  return masked;
}

std::string ppm(int width, int height, const std::vector<std::uint8_t>& raster) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" +
         std::string(raster.begin(), raster.end());
}

// Left half red, right half blue.
std::string twoHalves(int width, int height) {
  std::vector<std::uint8_t> raster;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      const bool left = column < width / 2;
      raster.insert(raster.end(), {static_cast<std::uint8_t>(left ? 200 : 40), 40,
                                   static_cast<std::uint8_t>(left ? 40 : 200)});
    }
  return ppm(width, height, raster);
}

const std::string kUsage = usageText(ZORVIK_PATH);

class BadCommandLines : public ::testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(
    Table, BadCommandLines,
    ::testing::Values("in out img 8 2 1 1 0",             // eight arguments
                      "in out img 8 2 1 1 0 10 7",        // ten
                      "in out img 0 2 1 1 0 10", "in out img 9 2 1 1 0 10", "in out img 8 1 1 1 0 10",
                      "in out img 8 5 1 1 0 10", "in out img 8 2 2 1 0 10", "in out img 8 2 1 -1 0 10",
                      "in out img 8 2 1 1 -1 10",         // negative margin
                      "in out img 8 2 1 1 0 0",           // no region allowed
                      "in out img 8 2 1 1 0 -5", "in out img x 2 1 1 0 10",  // not a number reads as 0
                      "in out img 99999999999 2 1 1 0 10"));

TEST_P(BadCommandLines, PrintTheUsageTextAndExitWithOne) {
  TempDir dir;
  const RunResult run = runZorvik(dir, GetParam());
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, kUsage);
  EXPECT_EQ(run.errors, "");
}

TEST(Zorvik, UsageTextNamesTheProgram) {
  EXPECT_EQ(usageText("Zorvik"),
            "Usage : \n\nZorvik <input_image_dir> <output_dir> <Image Name> <ReductionFactor{1...8}> <LDC{2,3,4}> "
            "<Texture{0,1}> <ML{0,1}> <SingleSideMargin{0...20}> <MaxAreaNum{5...1000}>\n\nThe input_image must be "
            "in ppm format\n\nDo not write the file's extention\n\n");
}

TEST(Zorvik, ArgumentsAreReadLikeAtoi) {
  const char* argv[] = {"Zorvik", "a", "b", "c", "8x", " 2", "1.5", "0", "+3", "10junk"};
  const RunSettings settings = parseCommandLine(10, argv);
  EXPECT_EQ(settings.reductionFactor, 8);
  EXPECT_EQ(settings.ldc, 2);
  EXPECT_TRUE(settings.texture);
  EXPECT_FALSE(settings.refine);
  EXPECT_EQ(settings.margin, 3);
  EXPECT_EQ(settings.maxAreaNum, 10);
  EXPECT_EQ(settings.inputPath(), "a/c.ppm");
  EXPECT_EQ(settings.outputPath(), "b/c.seg");
}

// The output text of a run on the two-halves image, timing figures aside.
TEST(Zorvik, TwoRegionImageGivesAnExactLabelFileAndTheRunReport) {
  for (const char* refine : {"0", "1"}) {
    SCOPED_TRACE(std::string("ML ") + refine);
    TempDir dir;
    writeFile(dir / "halves.ppm", twoHalves(64, 48));
    const RunResult run = runZorvik(dir, std::string(". . halves 8 2 1 ") + refine + " 0 10");
    ASSERT_EQ(run.status, 0) << run.output << run.errors;
    EXPECT_EQ(run.errors, "");

    // Label 1 on the left, label 2 (the largest) written as 0 on the right.
    std::string raster;
    for (int row = 0; row < 48; ++row) raster += std::string(32, '\1') + std::string(32, '\0');
    EXPECT_EQ(readFile(dir / "halves.seg"), "P5\n# Created by qlix\n64 48\n255\n" + raster);

    EXPECT_EQ(run.output.rfind(std::string("W=8 ; LDC=2 ;l1=1 ; ML_enable=") + refine + " \n processing image halves\n",
                               0),
              0u)
        << run.output;
    // Three blanks after the count, then the total time on the same line.
    const std::string ending =
        "# final regions\n region_number: \n#        # seconds total\n  # seconds average for feature extraction\n"
        "# small region average\n";
    const std::string masked = figuresMasked(run.output);
    ASSERT_GE(masked.size(), ending.size()) << run.output;
    EXPECT_EQ(masked.substr(masked.size() - ending.size()), ending) << run.output;
    EXPECT_EQ(reportedRegions(run.output), 2);
  }
}

TEST(Zorvik, WideMarginAndFewRegionsAreAccepted) {
  TempDir dir;
  writeFile(dir / "halves.ppm", twoHalves(100, 80));
  const RunResult run = runZorvik(dir, ". . halves 8 2 1 1 25 3");
  ASSERT_EQ(run.status, 0) << run.output << run.errors;
  const std::string file = readFile(dir / "halves.seg");
  const std::string header = "P5\n# Created by qlix\n100 80\n255\n";
  ASSERT_EQ(file.size(), header.size() + 100 * 80);
  EXPECT_EQ(file.substr(0, header.size()), header);
  for (int row = 0; row < 80; ++row)
    for (int column = 0; column < 100; ++column) {
      const auto value = static_cast<std::uint8_t>(file[header.size() + row * 100 + column]);
      const bool frame = row < 25 || row >= 55 || column < 25 || column >= 75;
      if (frame)
        ASSERT_EQ(value, 255) << row << ", " << column;
      else
        ASSERT_LT(value, 3) << row << ", " << column;
    }
}

TEST(Zorvik, TinyImagesGiveAValidLabelFile) {
  // Smaller than one block and one pixel: a single reduced pixel, so one
  // region. One row: a few reduced pixels, numbered without gaps.
  for (const auto& [width, height] : std::vector<std::pair<int, int>>{{3, 2}, {1, 1}, {40, 1}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    TempDir dir;
    std::vector<std::uint8_t> raster;
    for (int k = 0; k < width * height * 3; ++k) raster.push_back(static_cast<std::uint8_t>(k * 53));
    writeFile(dir / "tiny.ppm", ppm(width, height, raster));
    const RunResult run = runZorvik(dir, ". . tiny 8 2 1 1 0 10");
    ASSERT_EQ(run.status, 0) << run.output << run.errors;
    const int regions = reportedRegions(run.output);
    ASSERT_GE(regions, 1) << run.output;
    if (width < 8) {
      EXPECT_EQ(regions, 1);
    }

    const std::string file = readFile(dir / "tiny.seg");
    const std::string header = imaging::greyImageHeader(width, height);
    ASSERT_EQ(file.size(), header.size() + static_cast<std::size_t>(width * height));
    std::vector<bool> present(256, false);
    for (std::size_t k = header.size(); k < file.size(); ++k) present[static_cast<std::uint8_t>(file[k])] = true;
    for (int value = 0; value < 256; ++value) EXPECT_EQ(present[value], value < regions) << "value " << value;
  }
}

TEST(Zorvik, MarginThatLeavesNoPixelsIsRefused) {
  TempDir dir;
  writeFile(dir / "halves.ppm", twoHalves(30, 20));
  const RunResult run = runZorvik(dir, ". . halves 8 2 1 1 10 10");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << run.errors;
  EXPECT_NE(run.errors.find("margin"), std::string::npos) << run.errors;
  EXPECT_FALSE(std::filesystem::exists(dir / "halves.seg"));
}

TEST(Zorvik, MissingInputGivesTheOpeningFailure) {
  TempDir dir;
  const RunResult run = runZorvik(dir, ". . absent 8 2 1 1 0 10");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output.substr(run.output.find("failure")), "failure in opening file ./absent.ppm\n");
}

TEST(LabelFileBytes, LowEightBitsAndTheLargestLabelAsZero) {
  imaging::IntMap labels(4, 1);
  labels[0][0] = 1, labels[0][1] = 254, labels[0][2] = 255, labels[0][3] = 2;
  const imaging::GreyImage bytes = labelFileBytes(labels, 255);
  EXPECT_EQ(bytes[0][0], 1);
  EXPECT_EQ(bytes[0][1], 254);
  EXPECT_EQ(bytes[0][2], 0);
  EXPECT_EQ(bytes[0][3], 2);
}

TEST(LabelFileBytes, MoreRegionsThanBytesCanNameAreRefused) {
  imaging::IntMap labels(2, 1);
  labels[0][0] = 1, labels[0][1] = 256;
  try {
    labelFileBytes(labels, 256);
    FAIL() << "256 regions were written";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(failure.stream(), platform::Stream::Error);
    EXPECT_NE(std::string(failure.what()).find("256 regions"), std::string::npos) << failure.what();
  }
}

// A real photo: at most MaxAreaNum regions out of the clustering, and a
// label file whose values 0..n-1 each name one 4-connected region.
TEST(Zorvik, PhotoGivesConnectedRegionsNumberedWithoutGaps) {
  const std::filesystem::path photo = testing_support::sharedData() / "photos" / "gc_alpaca.jpg";
  if (!std::filesystem::exists(photo)) GTEST_SKIP() << "no shared photos";
  TempDir dir;
  if (!zorvik_runs::convertToPpm(photo, dir / "photo.ppm", dir.path())) GTEST_SKIP() << "convert is not available";
  const RunResult run = runZorvik(dir, ". . photo 8 2 1 1 0 10");
  ASSERT_EQ(run.status, 0) << run.output << run.errors;

  const int clustered = numberBefore(run.output, " final regions\n");
  EXPECT_GE(clustered, 1) << run.output;
  EXPECT_LE(clustered, 10);
  const int regions = reportedRegions(run.output);
  ASSERT_GE(regions, 1) << run.output;

  const std::string file = readFile(dir / "photo.seg");
  const std::size_t headerEnd = file.find("\n255\n") + 5;
  int width = 0, height = 0;
  ASSERT_EQ(std::sscanf(file.c_str(), "P5\n# Created by qlix\n%d %d", &width, &height), 2);
  ASSERT_EQ(file.size(), headerEnd + static_cast<std::size_t>(width) * height);
  imaging::IntMap labels(width, height);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      labels[row][column] = static_cast<std::uint8_t>(file[headerEnd + static_cast<std::size_t>(row) * width + column]);

  // Count the 4-connected components of each value.
  std::vector<int> components(256, 0);
  imaging::IntMap seen(width, height, 0);
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column) {
      if (seen[row][column]) continue;
      const int value = labels[row][column];
      ++components[value];
      std::vector<std::pair<int, int>> stack{{row, column}};
      seen[row][column] = 1;
      while (!stack.empty()) {
        const auto [r, c] = stack.back();
        stack.pop_back();
        const std::pair<int, int> next[4] = {{r - 1, c}, {r + 1, c}, {r, c - 1}, {r, c + 1}};
        for (const auto& [nr, nc] : next) {
          if (nr < 0 || nr >= height || nc < 0 || nc >= width || seen[nr][nc] || labels[nr][nc] != value) continue;
          seen[nr][nc] = 1;
          stack.emplace_back(nr, nc);
        }
      }
    }
  for (int value = 0; value < 256; ++value)
    EXPECT_EQ(components[value], value < regions ? 1 : 0) << "value " << value;
}

}  // namespace
}  // namespace segmentation
