#include "platform/replacing_file.h"
#include "tools/descriptors/xml_writer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/failure.h"
#include "testing/test_files.h"
#include "classification/descriptor_readers.h"
#include "formats/exchanged_formats.h"
#include "tools/descriptors/extraction.h"
#include "tools/descriptors/tests/scenes.h"

namespace {

namespace fs = std::filesystem;
using descriptors::Block;
using descriptors::DescriptorKind;
using descriptors::KindInfo;
using descriptors::kindInfo;
using namespace descriptors_testing;

std::vector<Block> compute(DescriptorKind kind, const Scene& scene) {
  return descriptors::computeDescriptor(kind, scene.image, scene.labels, scene.regions);
}

std::string document(DescriptorKind kind, const Scene& scene) {
  return descriptors::descriptorDocument(kindInfo(kind), scene.regions, compute(kind, scene), scene.image.width(),
                                         scene.image.height());
}

// The design note's example: columns 0..127 are 1-pixel black and white
// stripes (region 0), columns 128..191 flat red (region 1).
Scene noteExample() {
  return makeScene(
      192, 128,
      [](int x, int) {
        return x < 128 ? grey(255 * (x % 2)) : Rgb{255, 0, 0};
      },
      [](int x, int) { return x < 128 ? 0 : 1; });
}

const char* const kNoteRegionShape =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Mpeg7 xmlns=\"urn:mpeg:mpeg7:schema:2001\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
    "<Description xsi:type=\"ContentEntityType\">\n"
    "<RegionCollection descriptor=\"RegionShape\" regions=\"2\" imageWidth=\"192\" imageHeight=\"128\">\n"
    "<VisualDescriptor xsi:type=\"RegionShapeType\">\n"
    "<Region label=\"0\" pixels=\"16384\"/>\n"
    "<BoundingBox left=\"0\" top=\"0\" width=\"128\" height=\"128\"/>\n"
    "<MagnitudeOfART>8  13  0  0  0  0  0  0  0  0  0  6  7  5  0  0  0  0  0  0  0  0  0  3  5  4  0  0  0  0  0  0  "
    "0  0  0</MagnitudeOfART>\n"
    "</VisualDescriptor>\n"
    "<VisualDescriptor xsi:type=\"RegionShapeType\">\n"
    "<Region label=\"1\" pixels=\"8192\"/>\n"
    "<BoundingBox left=\"128\" top=\"0\" width=\"64\" height=\"128\"/>\n"
    "<MagnitudeOfART>6  11  0  0  0  9  10  4  0  0  0  3  5  5  0  0  0  4  5  2  0  0  0  4  5  5  0  0  0  2  3  4  "
    "0  0  0</MagnitudeOfART>\n"
    "</VisualDescriptor>\n"
    "</RegionCollection>\n"
    "</Description>\n"
    "</Mpeg7>\n";

const char* const kNoteTextureBlocks =
    "<Average>128</Average>\n"
    "<StandardDeviation>255</StandardDeviation>\n"
    "<Energy>230  78  0  0  0  78  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0</Energy>\n"
    "<EnergyDeviation>230  78  0  0  0  78  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  0  "
    "0</EnergyDeviation>\n"
    "</VisualDescriptor>\n"
    "<VisualDescriptor xsi:type=\"HomogeneousTextureType\">\n"
    "<Region label=\"1\" pixels=\"8192\"/>\n"
    "<BoundingBox left=\"128\" top=\"0\" width=\"64\" height=\"128\"/>\n"
    "<Average>76</Average>\n"
    "<StandardDeviation>0</StandardDeviation>\n";

TEST(DescriptorDocument, ReproducesTheNoteExample) {
  const Scene scene = noteExample();
  EXPECT_EQ(document(DescriptorKind::RegionShape, scene), kNoteRegionShape);
  EXPECT_NE(document(DescriptorKind::HomogeneousTexture, scene).find(kNoteTextureBlocks), std::string::npos);

  const fs::path examples = testing_support::sharedData() / "tools/examples";
  if (!fs::exists(examples)) GTEST_SKIP() << "no example files to compare with";
  for (DescriptorKind kind : formats::kReadingOrder) {
    const std::string name(kindInfo(kind).outputFile);
    EXPECT_TRUE(document(kind, scene) == testing_support::readFile(examples / name)) << name << " differs";
  }
}

TEST(DescriptorDocument, ReadsBackBlockByBlockTheWayTheClassifierReadsIt) {
  // Three regions of different texture, colour and shape, one of them two
  // separate pieces; label 3 is absent and still gets its block.
  const Scene scene = makeScene(
      150, 110,
      [](int x, int y) {
        return Rgb{(x * 7 + y * 3) % 256, (x * y) % 256, y < 55 ? 250 - 2 * x % 200 : 30 + (x + y) % 40};
      },
      [](int x, int y) {
        return y < 40 ? 0 : x < 70 ? 1 : (x < 110 || y > 90) ? 4 : 2;
      });
  ASSERT_EQ(scene.regions.size(), 5u);
  testing_support::TempDir dir;
  for (DescriptorKind kind : formats::kReadingOrder) {
    const KindInfo& info = kindInfo(kind);
    const std::vector<Block> blocks = compute(kind, scene);
    const std::string path = dir / std::string(info.outputFile);
    platform::replaceFile(path, descriptors::descriptorDocument(info, scene.regions, blocks, 150, 110),
                          platform::WriteReport::OpeningClosing);
    const std::string bytes = testing_support::readFile(path);
    EXPECT_EQ(bytes.find('\r'), std::string::npos);

    // The classifier's own reader, block after block.
    const std::vector<double> values = classification::readDescriptorFile(path, kind);
    ASSERT_EQ(values.size(), 5u * static_cast<std::size_t>(info.values)) << info.outputFile;
    for (std::size_t j = 0; j < 5; ++j) {
      const Block block(values.begin() + static_cast<std::ptrdiff_t>(j * info.values),
                        values.begin() + static_cast<std::ptrdiff_t>((j + 1) * info.values));
      EXPECT_EQ(block, blocks[j]) << info.outputFile << " block " << j;
      for (int v : block) {
        EXPECT_GE(v, 0);
        EXPECT_LE(v, info.largest);
      }
    }
    EXPECT_EQ(blocks[3], Block(static_cast<std::size_t>(info.values), 0)) << info.outputFile;

    // A file cut before its end is not taken for a complete one.
    const std::string cut = dir / ("cut-" + std::string(info.outputFile));
    testing_support::writeFile(cut, bytes.substr(0, bytes.rfind("</RegionCollection>")));
    EXPECT_THROW(classification::readDescriptorFile(cut, kind), platform::Failure);
  }
}

TEST(DescriptorFileWriting, ReplacesWholeFilesAndReportsAMissingFolderAsAnOpeningFailure) {
  testing_support::TempDir dir;
  const std::string path = dir / "HomoTexture.xml";
  testing_support::writeFile(path, "old and longer content");
  platform::replaceFile(path, "new\n", platform::WriteReport::OpeningClosing);
  EXPECT_EQ(testing_support::readFile(path), "new\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);

  const std::string missingFolder = dir / "missing/HomoTexture.xml";
  try {
    platform::replaceFile(missingFolder, "new\n", platform::WriteReport::OpeningClosing);
    ADD_FAILURE() << "wrote into a missing folder";
  } catch (const platform::Failure& failure) {
    EXPECT_EQ(std::string(failure.what()), "failure in opening file " + missingFolder + "\n");
  }
}

}  // namespace
