// The in-process normalisation against the command-line converter it
// replaces: the same PPM bytes, the same sizes, the same failure lines, on
// photos as users have them (turned by a tag, transparent, grey, 16-bit,
// palette, several frames, larger and smaller than the longest side).

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "batch_support.h"
#include "collection/normalise.h"
#include "collection/photo_job.h"

namespace {

using namespace batch_support;
using collection::readWholeFile;

const collection::ImageLibrary& library() {
  static const collection::ImageLibrary started(nullptr);
  return started;
}

// A copy of a JPEG with an EXIF block whose orientation tag is `orientation`,
// put right after the start marker.
std::string withOrientation(const std::string& jpeg, std::uint16_t orientation) {
  const std::string tiff = std::string("MM\0*\0\0\0\x08", 8) + std::string("\0\x01", 2) +  // one entry
                           std::string("\x01\x12\0\x03\0\0\0\x01", 8) +                    // orientation, 1 short
                           std::string(1, '\0') + std::string(1, static_cast<char>(orientation)) +
                           std::string(2, '\0') + std::string(4, '\0');  // padding, no next block
  const std::string block = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = block.size() + 2;
  const std::string segment = std::string("\xff\xe1", 2) + static_cast<char>(length >> 8) +
                              static_cast<char>(length & 0xff) + block;
  return jpeg.substr(0, 2) + segment + jpeg.substr(2);
}

struct Case {
  std::string name;                     // the photo's file name
  std::vector<std::string> make;        // convert arguments after the sample, before the name; empty: see below
  int orientation = 0;                  // > 0: the sample with this EXIF orientation instead
  int longerSide = collection::kLongerSide;
};

void PrintTo(const Case& photoCase, std::ostream* out) { *out << photoCase.name; }

class NormaliseTest : public testing::TestWithParam<Case> {};

TEST_P(NormaliseTest, WritesTheConvertersBytesAndSizes) {
  library();
  const Case& photoCase = GetParam();
  const fs::path folder = freshFolder("normalise-" + photoCase.name);
  keepCredits(folder);
  const fs::path sample = samplePhotos()[1];
  const fs::path photo = folder / photoCase.name;
  if (photoCase.orientation > 0) {
    const std::string large = (folder / "large.jpg").string();
    ASSERT_EQ(run(folder, {"convert", sample.string(), "-resize", "200%", large}).status, 0);
    collection::writeFile(photo, withOrientation(readWholeFile(large), photoCase.orientation));
  } else {
    std::vector<std::string> command = {"convert", sample.string()};
    command.insert(command.end(), photoCase.make.begin(), photoCase.make.end());
    command.push_back(photo.string());
    ASSERT_EQ(run(folder, command).status, 0);
  }

  std::vector<std::string> converter = {"convert", "-regard-warnings", photo.string() + "[0]", "-format", "%w %h",
                                        "-write", "info:original.txt", "-auto-orient", "-background", "white", "-alpha",
                                        "remove", "-alpha", "off", "-depth", "8"};
  if (photoCase.longerSide > 0) {
    const std::string side = std::to_string(photoCase.longerSide);
    converter.insert(converter.end(), {"-resize", side + 'x' + side + '>'});
  }
  converter.insert(converter.end(), {"-format", "%w %h", "-write", "info:normalised.txt", "-strip", "expected.ppm"});
  ASSERT_EQ(run(folder, converter).status, 0);

  const collection::PhotoSizes sizes = collection::normalisePhoto(photo.string(), photoCase.name,
                                                                  (folder / "actual.ppm").string(), photoCase.longerSide);
  EXPECT_TRUE(readWholeFile(folder / "actual.ppm") == readWholeFile(folder / "expected.ppm")) << "PPM bytes differ";
  EXPECT_EQ(std::to_string(sizes.originalWidth) + ' ' + std::to_string(sizes.originalHeight),
            readWholeFile(folder / "original.txt"));
  EXPECT_EQ(std::to_string(sizes.width) + ' ' + std::to_string(sizes.height), readWholeFile(folder / "normalised.txt"));
}

// The sample is 640 x 416.
INSTANTIATE_TEST_SUITE_P(
    Photos, NormaliseTest,
    testing::Values(Case{"as-is.jpg", {}}, Case{"large.jpg", {"-resize", "300%"}},
                    Case{"full-size.jpg", {"-resize", "150%"}, 0, 0}, Case{"small.png", {"-resize", "150x150"}},
                    Case{"turned-tag.jpg", {}, 6}, Case{"mirrored-tag.jpg", {}, 5},
                    Case{"turned.tif", {"-resize", "120%", "-orient", "RightTop"}},
                    Case{"grey.jpg", {"-colorspace", "Gray"}},
                    Case{"grey16.png", {"-resize", "130%", "-colorspace", "Gray", "-depth", "16"}},
                    Case{"deep.png", {"-resize", "130%", "-depth", "16", "-evaluate", "multiply", "0.9"}},
                    Case{"clear.png", {"-resize", "130%", "-alpha", "set", "-channel", "A", "-fx", "i/w", "+channel"}},
                    Case{"holes.png", {"-alpha", "set", "-region", "320x200+0+0", "-alpha", "transparent"}},
                    Case{"palette.gif", {"-resize", "110%", "-colors", "64"}},
                    Case{"frames.gif", {"(", "+clone", "-negate", ")", "-resize", "120%"}},
                    Case{"lossless.webp", {"-resize", "125%", "-define", "webp:lossless=true"}},
                    Case{"plain.bmp", {"-resize", "105%"}}, Case{"cmyk.jpg", {"-colorspace", "CMYK"}},
                    Case{"wide.ppm", {"-resize", "2000x100!"}}),
    [](const testing::TestParamInfo<Case>& info) {
      std::string name;
      for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      return name;
    });

TEST(Normalise, FailsWithTheConvertersFirstLine) {
  library();
  const fs::path folder = freshFolder("normalise-failures");
  keepCredits(folder);
  const std::string whole = readWholeFile(samplePhotos()[1]);
  const std::vector<std::pair<std::string, std::string>> photos = {
      {"empty.jpg", ""}, {"text.jpg", "this is not a photo\n"}, {"truncated.jpg", whole.substr(0, whole.size() / 3)}};
  for (const auto& [name, bytes] : photos) {
    SCOPED_TRACE(name);
    collection::writeFile(folder / name, bytes);
    const auto converted = run(folder, {"convert", "-regard-warnings", name + "[0]", "-strip", "out.ppm"});
    ASSERT_NE(converted.status, 0);
    const std::string expected = converted.output.substr(0, converted.output.find('\n'));
    try {
      collection::normalisePhoto((folder / name).string(), name, (folder / "in-process.ppm").string(), 640);
      ADD_FAILURE() << "no failure";
    } catch (const collection::NormaliseFailure& failure) {
      EXPECT_EQ(failure.what(), expected);
    }
    EXPECT_FALSE(fs::exists(folder / "in-process.ppm")) << "nothing is written for a photo that fails";
  }
}

TEST(Normalise, WritesUnderAFolderNameThatLooksLikePlaceholders) {
  library();
  const fs::path folder = freshFolder("normalise %d %[w] [1]");
  keepCredits(folder);
  const collection::PhotoSizes sizes = collection::normalisePhoto(samplePhotos()[1].string(), "photo.jpg",
                                                                  (folder / "photo %d.ppm").string(), 320);
  EXPECT_EQ(sizes.width, 320);
  EXPECT_EQ(readWholeFile(folder / "photo %d.ppm").rfind("P6\n320 208\n255\n", 0), 0u);
}

}  // namespace
