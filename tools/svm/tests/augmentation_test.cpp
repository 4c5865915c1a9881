// The trainer's augmentation: a mirrored copy's points lie on the mirrored
// pixels and in the regions those pixels belong to, the variants of a photo
// and their names, and the copies' regions that share their photo's fold in
// every deal, are trained on with it and never scored.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "imaging/pnm.h"
#include "platform/process.h"
#include "testing/program_run.h"
#include "testing/test_files.h"
#include "tools/svm/concept_training.h"
#include "tools/svm/photo_collection.h"
#include "tools/svm/photo_preparation.h"

namespace {

namespace fs = std::filesystem;
using namespace svm_tools;
using testing_support::TempDir;

LabelledPoint at(int x, int y, const std::string& name = "sky") { return LabelledPoint{"photo.ppm", x, y, name}; }

// Regions of uneven widths, so that a region never faces itself across the
// middle, and the points on them, on every column's edge cases.
imaging::GreyImage unevenRegions(int width, int height) {
  imaging::GreyImage labels(width, height);
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      labels[row][column] = static_cast<std::uint8_t>(column < 2 ? 0 : column < 7 ? 1 + row % 2 : 3);
    }
  }
  return labels;
}

imaging::GreyImage flopped(const imaging::GreyImage& image) {
  imaging::GreyImage result(image.width(), image.height());
  for (int row = 0; row < image.height(); ++row) {
    for (int column = 0; column < image.width(); ++column) result[row][image.width() - 1 - column] = image[row][column];
  }
  return result;
}

TEST(MirroredPointsTest, LandOnTheMirroredPixelsRegions) {
  const imaging::GreyImage labels = unevenRegions(11, 4);
  const std::vector<LabelledPoint> points{at(0, 0), at(1, 3, "sea"), at(2, 1, "sea"), at(6, 2), at(10, 3, "sand"),
                                          at(5, 0, "sand")};
  const std::vector<LabelledPoint> mirrored = mirroredPoints(points, labels.width());
  const imaging::GreyImage mirroredLabels = flopped(labels);
  for (std::size_t i = 0; i < points.size(); ++i) {
    EXPECT_EQ(mirrored[i].y, points[i].y);
    EXPECT_EQ(mirroredLabels[mirrored[i].y][mirrored[i].x], labels[points[i].y][points[i].x]) << "point " << i;
  }
  // The regions take the same concepts from the same points.
  const RegionLabelling original = labelRegions(labels, points);
  const RegionLabelling copy = labelRegions(mirroredLabels, mirrored);
  ASSERT_EQ(copy.labelled.size(), original.labelled.size());
  for (std::size_t i = 0; i < original.labelled.size(); ++i) {
    EXPECT_EQ(copy.labelled[i].region, original.labelled[i].region);
    EXPECT_EQ(copy.labelled[i].votes, original.labelled[i].votes);
  }
}

TEST(MirroredPointsTest, PointsOutsideThePhotoStayOutside) {
  const std::vector<LabelledPoint> mirrored = mirroredPoints({at(11, 0), at(40, 2)}, 11);
  EXPECT_EQ(mirrored[0].x, 11);
  EXPECT_EQ(mirrored[1].x, 40);
  EXPECT_EQ(labelRegions(unevenRegions(11, 4), mirrored).outside.size(), 2u);
}

// Enters a folder for the test's length: the preparation works in the
// current directory, as the trainer does.
class InFolder {
 public:
  explicit InFolder(const fs::path& folder) : before_(fs::current_path()) { fs::current_path(folder); }
  ~InFolder() { fs::current_path(before_); }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  fs::path before_;
};

TEST(MirroredPhotoTest, TheConvertedCopyHoldsThePixelsUnderTheMirroredPoints) {
  if (!testing_support::onPath("convert")) GTEST_SKIP() << "the image converter is not installed";
  TempDir dir;
  // A 7 x 3 photo in which every pixel has its own colour.
  const int width = 7;
  const int height = 3;
  std::string ppm = "P6\n7 3\n255\n";
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) ppm += {static_cast<char>(30 * column), static_cast<char>(80 * row), '\x7f'};
  }
  fs::create_directories(dir / "photos");
  fs::create_directories(dir / "work");
  testing_support::writeFile(dir / "photos/photo.ppm", ppm);
  {
    InFolder inside(dir / "work");
    prepareWorkingFolders("images/");
    // "true" stands in for Ferrow: only the mirrored photo is looked at.
    const PreparationSettings settings{"true", dir / "photos", "images/", false};
    EXPECT_FALSE(preparePhoto(settings, "photo.ppm", PhotoVariant{true}));
    ASSERT_TRUE(fs::exists("images/mirrored-photo.png"));
    ASSERT_EQ(platform::runProgram({"convert", "images/mirrored-photo.png", "check.ppm"}), 0);
  }
  const imaging::ColourImage original = imaging::readColourImage(dir / "photos/photo.ppm");
  const imaging::ColourImage copy = imaging::readColourImage(dir / "work/check.ppm");
  ASSERT_EQ(copy.width(), width);
  ASSERT_EQ(copy.height(), height);
  std::vector<LabelledPoint> points;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) points.push_back(at(column, row));
  }
  const std::vector<LabelledPoint> mirrored = mirroredPoints(points, width);
  for (std::size_t i = 0; i < points.size(); ++i) {
    for (int channel = 0; channel < 3; ++channel) {
      EXPECT_EQ(copy[channel][mirrored[i].y][mirrored[i].x], original[channel][points[i].y][points[i].x])
          << "point " << points[i].x << "," << points[i].y;
    }
  }
}

TEST(PhotoVariantsTest, EveryCopyHasItsOwnBaseName) {
  const std::vector<PhotoVariant> variants = photoVariants(true, {6, 10, 16});
  std::vector<std::string> names;
  for (const PhotoVariant& variant : variants) names.push_back(variantFileName("a.b.jpg", variant));
  EXPECT_EQ(names, (std::vector<std::string>{"a.b.jpg", "mirrored-a.png", "limit6-a.b.jpg", "limit6-mirrored-a.png",
                                             "limit16-a.b.jpg", "limit16-mirrored-a.png"}));
  EXPECT_FALSE(variants[0].augmented());
  for (std::size_t i = 1; i < variants.size(); ++i) EXPECT_TRUE(variants[i].augmented()) << names[i];
  EXPECT_EQ(photoVariants(false, {}).size(), 1u);
}

// Six photos with two regions each and one augmented copy of every region.
TrainingSet setWithCopies() {
  std::vector<std::string> conceptOf;
  std::vector<std::vector<std::string>> pointsOf;
  std::vector<int> photoOf;
  std::vector<bool> augmentedOf;
  for (int copy = 0; copy < 2; ++copy) {
    for (int photo = 0; photo < 6; ++photo) {
      for (const char* name : {"sky", "sea"}) {
        conceptOf.push_back(name);
        pointsOf.push_back({name});
        photoOf.push_back(photo);
        augmentedOf.push_back(copy == 1);
      }
    }
  }
  return makeTrainingSet(conceptOf, pointsOf, photoOf, std::vector<FeatureVector>(conceptOf.size()), augmentedOf);
}

TEST(AugmentedFoldsTest, CopiesStayInTheirPhotosFoldInEveryDeal) {
  const TrainingSet set = setWithCopies();
  std::set<std::vector<int>> deals;
  for (int deal = 0; deal < 3; ++deal) {
    const std::vector<int> folds = photoFolds(set, 3, deal);
    deals.insert(folds);
    std::map<int, std::set<int>> foldsOfPhoto;
    for (std::size_t i = 0; i < set.regions.size(); ++i) foldsOfPhoto[set.regions[i].photo].insert(folds[i]);
    for (const auto& [photo, photoFolds] : foldsOfPhoto) EXPECT_EQ(photoFolds.size(), 1u) << "photo " << photo;

    for (int fold = 0; fold < 3; ++fold) {
      std::set<int> heldPhotos;
      for (std::size_t i : scoredRegionsOf(set, folds, fold)) {
        EXPECT_FALSE(set.regions[i].augmented);
        heldPhotos.insert(set.regions[i].photo);
      }
      EXPECT_FALSE(heldPhotos.empty());
      int trainedCopies = 0;
      for (std::size_t i : trainingRegionsOf(folds, fold)) {
        EXPECT_EQ(heldPhotos.count(set.regions[i].photo), 0u) << "a held photo's region is trained on";
        trainedCopies += set.regions[i].augmented ? 1 : 0;
      }
      EXPECT_GT(trainedCopies, 0);
    }
  }
  EXPECT_EQ(deals.size(), 3u);  // each deal shuffles the photos its own way
}

TEST(AugmentedFoldsTest, OnlyTheIncludedPhotosAreDealt) {
  const TrainingSet set = setWithCopies();
  std::vector<bool> included(set.regions.size());
  for (std::size_t i = 0; i < set.regions.size(); ++i) included[i] = set.regions[i].photo < 4;
  const std::vector<int> folds = photoFolds(set, 2, 1, included);
  for (std::size_t i = 0; i < set.regions.size(); ++i) {
    if (included[i]) {
      EXPECT_GE(folds[i], 0);
    } else {
      EXPECT_EQ(folds[i], -1);
    }
  }
  for (std::size_t i : trainingRegionsOf(folds, 0)) EXPECT_TRUE(included[i]);
}

TEST(AugmentedFoldsTest, CopiesAreNotScored) {
  const TrainingSet set = setWithCopies();
  // Every original predicted right, every copy wrong: the copies do not count.
  std::vector<int> predicted;
  for (const TrainingRegion& region : set.regions) predicted.push_back(region.augmented ? 1 - region.conceptIndex : region.conceptIndex);
  const Evaluation evaluation = evaluate(set, GridPoint{}, predicted);
  EXPECT_DOUBLE_EQ(evaluation.pointAccuracy, 1.0);
  EXPECT_DOUBLE_EQ(evaluation.regionAccuracy, 1.0);
  EXPECT_EQ(evaluation.concepts[0].positives, 6);
  EXPECT_EQ(evaluation.concepts[0].negatives, 6);
}

}  // namespace
