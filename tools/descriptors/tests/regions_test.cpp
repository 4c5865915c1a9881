#include "tools/descriptors/regions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/failure.h"
#include "testing/test_files.h"
#include "tools/descriptors/descriptor_kind.h"
#include "tools/descriptors/extraction.h"
#include "tools/descriptors/tests/scenes.h"

namespace {

using descriptors::BoundingBox;
using descriptors::DescriptorKind;
using descriptors::Region;
using namespace descriptors_testing;

TEST(RunEnd, StopsAtTheFirstDifferentLabelFromEveryStart) {
  // Runs of 1 to 20 labels, so that ends fall at every place in and past a group of eight.
  std::vector<std::uint8_t> row;
  for (int length = 1; length <= 20; ++length) row.insert(row.end(), static_cast<std::size_t>(length), length % 3 == 0 ? 255 : length);
  const int width = static_cast<int>(row.size());
  for (int start = 0; start < width; ++start) {
    int end = start + 1;
    while (end < width && row[static_cast<std::size_t>(end)] == row[static_cast<std::size_t>(start)]) ++end;
    ASSERT_EQ(descriptors::runEnd(row.data(), start, width), end) << start;
    ASSERT_EQ(descriptors::runEnd(row.data(), start, start + 1), start + 1) << start;
  }
}

TEST(FindRegions, EveryLabelUpToTheLargestIsARegion) {
  // Label 0 fills the frame, label 3 a rectangle, label 1 two separate pixels; label 2 is absent.
  const Scene scene = makeScene(
      12, 9, [](int, int) { return grey(0); },
      [](int x, int y) {
        if ((x == 0 && y == 8) || (x == 11 && y == 2)) return 1;
        return x >= 3 && x < 7 && y >= 2 && y < 5 ? 3 : 0;
      });
  ASSERT_EQ(scene.regions.size(), 4u);
  const Region& dots = scene.regions[1];
  EXPECT_EQ(dots.pixels, 2);
  EXPECT_EQ(dots.box, (BoundingBox{0, 2, 12, 7}));
  EXPECT_EQ(dots.sumX, 11);
  EXPECT_EQ(dots.sumY, 10);
  EXPECT_TRUE(scene.regions[2].empty());
  EXPECT_EQ(scene.regions[2].box, BoundingBox{});
  EXPECT_EQ(scene.regions[3].pixels, 12);
  EXPECT_EQ(scene.regions[3].box, (BoundingBox{3, 2, 4, 3}));
  EXPECT_EQ(scene.regions[3].sumX, 3 * (3 + 4 + 5 + 6));
  EXPECT_EQ(scene.regions[0].pixels, 12 * 9 - 14);
  for (int j = 0; j < 4; ++j) EXPECT_EQ(scene.regions[static_cast<std::size_t>(j)].label, j);
}

TEST(ParameterFile, NamesTheDescriptor) {
  testing_support::TempDir dir;
  const std::vector<std::pair<std::string, DescriptorKind>> accepted{
      {"Descriptor = RegionShape\n", DescriptorKind::RegionShape},
      {"# comment\n\nSpeed=fast\nDescriptor=ScalableColor", DescriptorKind::ScalableColour},
      {"\tDescriptor\t=  HomogeneousTexture  \r\n", DescriptorKind::HomogeneousTexture},
      {"Descriptor = Colour\nDescriptor = EdgeHistogram\n", DescriptorKind::EdgeHistogram},
  };
  for (const auto& [text, kind] : accepted) {
    testing_support::writeFile(dir / "p.par", text);
    EXPECT_EQ(descriptors::readParameterFile(dir / "p.par"), kind) << text;
  }
  for (const std::string text :
       {"", "# Descriptor = RegionShape\n", "descriptor = RegionShape\n", "Descriptor RegionShape\n"}) {
    testing_support::writeFile(dir / "p.par", text);
    try {
      descriptors::readParameterFile(dir / "p.par");
      ADD_FAILURE() << "accepted: " << text;
    } catch (const platform::Failure& failure) {
      EXPECT_EQ(std::string(failure.what()), "no descriptor named in " + (dir / "p.par") + "\n");
    }
  }
}

TEST(ListedImage, SplitsAfterTheLastSeparator) {
  struct Case {
    std::string line, directory, fileName, base;
  };
  for (const Case& c : std::vector<Case>{{"./images/photo.jpg", "./images/", "photo.jpg", "photo"},
                                         {"./images\\a.b.jpg", "./images\\", "a.b.jpg", "a"},
                                         {"./x/y/noext", "./x/y/", "noext", "noext"},
                                         {"photo.png", "", "photo.png", "photo"}}) {
    const descriptors::ListedImage image = descriptors::splitListedImage(c.line);
    EXPECT_EQ(image.directory, c.directory) << c.line;
    EXPECT_EQ(image.fileName, c.fileName) << c.line;
    EXPECT_EQ(image.base, c.base) << c.line;
    EXPECT_EQ(image.ppmPath(), c.directory + c.base + ".ppm");
    EXPECT_EQ(image.labelPath(), c.directory + c.base + ".seg");
  }
}

}  // namespace
