// Reading what a run starts from: the concept list, the label file's region
// count and the four descriptor files, down to the 433 values of each region.

#include <gtest/gtest.h>

#include <filesystem>

#include "classification/concept_list.h"
#include "classification/descriptor_readers.h"
#include "classification/predictor_input.h"
#include "classification/region_features.h"
#include "classifier_files.h"
#include "platform/failure.h"
#include "testing/test_files.h"

namespace {

using classification::DescriptorKind;
using namespace classifier_files;
using testing_support::TempDir;
using testing_support::writeFile;
using namespace std::string_literals;

// The text a step stops the run with, or "" when it completes.
template <typename Step>
std::string failureOf(Step&& step) {
  try {
    step();
  } catch (const platform::Failure& failure) {
    return (failure.stream() == platform::Stream::Output ? "stdout: " : "stderr: ") + std::string(failure.what());
  }
  return "";
}

// Runs a test's steps inside a folder, for the names relative to it.
class InsideFolder {
 public:
  explicit InsideFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~InsideFolder() { std::filesystem::current_path(previous_); }

 private:
  std::filesystem::path previous_;
};

// ---------------------------------------------------------------- concept list

struct ListCase {
  const char* what;
  std::string text;
  std::vector<std::string> names;
};

void PrintTo(const ListCase& c, std::ostream* os) { *os << c.what; }

class ConceptList : public testing::TestWithParam<ListCase> {};

TEST_P(ConceptList, GivesTheNamesOfTheFile) {
  TempDir dir;
  writeFile(dir / "list", GetParam().text);
  EXPECT_EQ(classification::readConceptList(dir / "list"), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Items, ConceptList,
    testing::Values(ListCase{"lines", "concepts=2;\nconcept=sky;\nconcept=sea;\n", {"sky", "sea"}},
                    ListCase{"trailing blank kept", "n=1;\nconcept=sky ;", {"sky "}},
                    ListCase{"first equals splits", "n=1;\nname=a=b;", {"a=b"}},
                    ListCase{"no equals, last item at the end", "n=2;x=sky;sea", {"sky", "sea"}},
                    ListCase{"count beyond the names", "n=3;c=sky;c=sea;", {"sky", "sea", ""}},
                    ListCase{"count with blanks and sign", "n= +2 ;a=x;b=y;c=z;", {"x", "y"}},
                    ListCase{"count without digits", "n=two;c=sky;", {}},
                    ListCase{"negative count", "n=-1;c=sky;", {}},
                    ListCase{"empty file", "", {}},
                    ListCase{"items of 799 characters, then one longer",
                             "n=3;c=" + std::string(797, 'x') + ";c=" + std::string(798, 'y') + ";c=z;",
                             {std::string(797, 'x'), std::string(797, 'y'), ""}}),
    caseName<ListCase>);

// ------------------------------------------------------------------ label file

struct CountCase {
  const char* what;
  std::string file;  // the whole label file
  int regions;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.what; }

class LabelCount : public testing::TestWithParam<CountCase> {};

TEST_P(LabelCount, IsTheLargestValuePlusOne) {
  TempDir dir;
  std::filesystem::create_directory(dir / "segmentationMasks");
  writeFile(dir / "segmentationMasks/photo.seg", GetParam().file);
  EXPECT_EQ(classification::readRegionCount(classification::labelFilePath("photo.jpg", dir.path().string() + "/")),
            GetParam().regions);
}

INSTANTIATE_TEST_SUITE_P(Values, LabelCount,
                         testing::Values(CountCase{"only 0", "P5\n3 1\n255\n\0\0\0"s, 1},
                                         CountCase{"1 2 5", "P5\n3 1\n255\n\1\2\5", 6},
                                         CountCase{"255 present", "P5\n2 2\n255\n\0\xff\3\0"s, 256},
                                         CountCase{"width 0", "P5\n0 4\n255\n", 1}),
                         caseName<CountCase>);

TEST(LabelFile, PathUsesTheNameUpToItsFirstDot) {
  EXPECT_EQ(classification::labelFilePath("a.b.jpg", "images/"), "images/segmentationMasks/a.seg");
  EXPECT_EQ(classification::labelFilePath("photo1.jpg", ""), "segmentationMasks/photo1.seg");
}

// ---------------------------------------------------------- descriptor readers

struct NumberCase {
  const char* what;
  std::string text;
  double value;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.what; }

class NumberText : public testing::TestWithParam<NumberCase> {};

// Every number is cut toward zero to a whole number.
TEST_P(NumberText, IsReadAsAWholeNumber) {
  TempDir dir;
  Block block = uniform(DescriptorKind::RegionShape, "1");
  block[0] = block[17] = block[34] = GetParam().text;
  writeFile(dir / "a.RS.xml", descriptorXml(DescriptorKind::RegionShape, {block}));
  const std::vector<double> values = classification::readDescriptorFile(dir / "a.RS.xml", DescriptorKind::RegionShape);
  ASSERT_EQ(values.size(), 35u);
  for (int i : {0, 17, 34}) EXPECT_EQ(values[i], GetParam().value) << i;
  EXPECT_EQ(values[1], 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberText,
    testing::Values(NumberCase{"fraction", "3.9", 3}, NumberCase{"negative fraction", "-2.5", -2},
                    NumberCase{"small negative", "-0.9", 0}, NumberCase{"exponent", "1e2", 100},
                    NumberCase{"hexadecimal", "0x10", 16}, NumberCase{"trailing text", "7abc", 7},
                    NumberCase{"no number", "abc", 0}, NumberCase{"empty", "", 0},
                    NumberCase{"largest integer", "2147483647", 2147483647.0},
                    NumberCase{"799 characters", std::string(799, '0'), 0}),
    caseName<NumberCase>);

struct BrokenCase {
  const char* what;
  std::string text;  // "" for no file at all
};

void PrintTo(const BrokenCase& c, std::ostream* os) { *os << c.what; }

class BrokenFile : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenFile, StopsTheRunNamingTheFile) {
  TempDir dir;
  if (!GetParam().text.empty()) writeFile(dir / "a.EH.xml", GetParam().text);
  EXPECT_EQ(failureOf([&] { classification::readDescriptorFile(dir / "a.EH.xml", DescriptorKind::EdgeHistogram); }),
            "stdout: failure in reading file " + (dir / "a.EH.xml") + "\n");
}

std::string edgeFile(const std::string& number) {
  Block block = uniform(DescriptorKind::EdgeHistogram, "1");
  block[40] = number;
  return descriptorXml(DescriptorKind::EdgeHistogram, {block});
}

std::string withoutEnd() {
  const std::string text = edgeFile("1");
  return text.substr(0, text.find("</RegionCollection>"));
}

INSTANTIATE_TEST_SUITE_P(Files, BrokenFile,
                         testing::Values(BrokenCase{"missing", ""}, BrokenCase{"ends before its end", withoutEnd()},
                                         BrokenCase{"chunk of 800 characters", edgeFile(std::string(800, '0'))},
                                         BrokenCase{"beyond the integer range", edgeFile("2147483648")},
                                         BrokenCase{"not a number", edgeFile("nan")},
                                         BrokenCase{"infinite", edgeFile("-inf")}),
                         caseName<BrokenCase>);

// ------------------------------------------------------- features of a region

class Descriptors : public testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir_.path() / "segmentationMasks");
    std::filesystem::create_directories(dir_.path() / "descriptors");
    writeLabels(dir_ / "segmentationMasks/photo.seg", {0, 1, 1});
  }

  void writeDescriptors(DescriptorKind kind, const std::vector<Block>& blocks) {
    writeFile(dir_.path() / classification::descriptorPath("photo.jpg", kind), descriptorXml(kind, blocks));
  }

  classification::FeatureTable loaded() {
    InsideFolder inside(dir_.path());
    const std::string labelFile = classification::labelFilePath("photo.jpg", "");
    return classification::readFeatureTable("photo.jpg", classification::readRegionCount(labelFile), labelFile);
  }

  TempDir dir_;
};

// Block 0 counts up within the kind's range, so every value's place shows.
Block countingBlock(DescriptorKind kind, int range) {
  Block block(static_cast<std::size_t>(formats::descriptorFormat(kind).values));
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = std::to_string(static_cast<int>(i) % range);
  return block;
}

TEST_F(Descriptors, FillEveryRegionScaledInTextureShapeColourEdgeOrder) {
  writeDescriptors(DescriptorKind::HomogeneousTexture,
                   {countingBlock(DescriptorKind::HomogeneousTexture, 256),
                    uniform(DescriptorKind::HomogeneousTexture, "127")});
  writeDescriptors(DescriptorKind::RegionShape,
                   {countingBlock(DescriptorKind::RegionShape, 16), uniform(DescriptorKind::RegionShape, "12.9")});
  writeDescriptors(DescriptorKind::ScalableColour,
                   {countingBlock(DescriptorKind::ScalableColour, 256), uniform(DescriptorKind::ScalableColour, "255")});
  writeDescriptors(DescriptorKind::EdgeHistogram,
                   {countingBlock(DescriptorKind::EdgeHistogram, 8), uniform(DescriptorKind::EdgeHistogram, "3.5")});
  const classification::FeatureTable table = loaded();
  ASSERT_EQ(table.size(), 2u);

  const classification::RegionFeatures& first = table[0];
  for (int i = 0; i < 62; ++i) EXPECT_EQ(first[i], (i - 127.5) / 127.5) << i;
  for (int i = 0; i < 35; ++i) EXPECT_EQ(first[62 + i], (i % 16 - 7.5) / 7.5) << i;
  for (int i = 0; i < 256; ++i) EXPECT_EQ(first[97 + i], i / 255.0) << i;
  for (int i = 0; i < 80; ++i) EXPECT_EQ(first[353 + i], (i % 8 - 3.5) / 3.5) << i;

  const classification::RegionFeatures& second = table[1];
  EXPECT_EQ(classification::formatFixed(second[0]), "-0.003922");
  EXPECT_EQ(classification::formatFixed(second[96]), "0.600000");
  EXPECT_EQ(second[97], 1.0);
  EXPECT_EQ(second[352], 1.0);
  EXPECT_EQ(classification::formatFixed(second[353]), "-0.142857");
  EXPECT_EQ(classification::formatFixed(second[432]), "-0.142857");
}

}  // namespace
