// The trainer's pieces: point files, which region each point labels and when
// a region is left out, the group balancing and its shares, photo-grouped
// folds, the whole training and the grid search (nested too) on synthetic
// regions, and the concept list it writes.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "classification/concept_list.h"
#include "platform/failure.h"
#include "testing/test_files.h"
#include "tools/svm/concept_list_file.h"
#include "tools/svm/concept_training.h"
#include "tools/svm/grid_search.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/point_labels.h"

namespace {

using namespace svm_tools;
using testing_support::TempDir;
using testing_support::writeFile;

LabelledPoint point(int x, int y, const std::string& name) {
  LabelledPoint result;
  result.image = "photo.jpg";
  result.x = x;
  result.y = y;
  result.conceptName = name;
  return result;
}

// Four regions side by side, each 10 columns wide and 6 rows high, with the
// region numbers 0, 1, 2 and 5 (3 and 4 unused).
imaging::GreyImage fourRegions() {
  imaging::GreyImage labels(40, 6);
  const int numbers[4] = {0, 1, 2, 5};
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 40; ++column) labels[row][column] = static_cast<std::uint8_t>(numbers[column / 10]);
  }
  return labels;
}

TEST(LabelRegionsTest, RegionsTakeTheirPointsConceptWhenTwoThirdsAgree) {
  const RegionLabelling labelling = labelRegions(
      fourRegions(), {
                         point(1, 1, "sky"), point(8, 5, "sky"), point(5, 3, "sky"),   // region 0: all sky
                         point(11, 0, "water"), point(12, 0, "water"), point(19, 5, "sky"),  // 1: two of three
                         point(21, 2, "sand"), point(22, 2, "rock"),                    // 2: one each
                         point(30, 0, "a"), point(31, 0, "a"), point(32, 0, "a"),       // 5: three of five
                         point(33, 0, "b"), point(34, 0, "b"),
                         point(40, 0, "sky"), point(0, 6, "sky"),                       // beyond the edges
                     });
  ASSERT_EQ(labelling.labelled.size(), 2u);
  EXPECT_EQ(labelling.labelled[0].region, 0);
  EXPECT_EQ(labelling.labelled[0].conceptName, "sky");
  EXPECT_EQ(labelling.labelled[0].points, 3);
  EXPECT_EQ(labelling.labelled[0].agreeing, 3);
  EXPECT_EQ(labelling.labelled[1].region, 1);
  EXPECT_EQ(labelling.labelled[1].conceptName, "water");
  EXPECT_EQ(labelling.labelled[1].points, 3);
  EXPECT_EQ(labelling.labelled[1].agreeing, 2);
  EXPECT_EQ(labelling.labelled[1].votes, (std::map<std::string, int>{{"sky", 1}, {"water", 2}}));

  ASSERT_EQ(labelling.leftOut.size(), 2u);
  EXPECT_EQ(labelling.leftOut[0].region, 2);
  EXPECT_EQ(labelling.leftOut[0].votes, (std::map<std::string, int>{{"rock", 1}, {"sand", 1}}));
  EXPECT_EQ(labelling.leftOut[1].region, 5);
  EXPECT_EQ(labelling.leftOut[1].votes, (std::map<std::string, int>{{"a", 3}, {"b", 2}}));

  ASSERT_EQ(labelling.outside.size(), 2u);
  EXPECT_EQ(labelling.outside[0].x, 40);
  EXPECT_EQ(labelling.outside[1].y, 6);
}

TEST(LabelRegionsTest, PointsIndexColumnThenRow) {
  imaging::GreyImage labels(3, 2, 0);
  labels[1][2] = 7;  // row 1, column 2
  const RegionLabelling labelling = labelRegions(labels, {point(2, 1, "x"), point(1, 2, "y")});
  ASSERT_EQ(labelling.labelled.size(), 1u);
  EXPECT_EQ(labelling.labelled[0].region, 7);
  EXPECT_EQ(labelling.labelled[0].conceptName, "x");
  ASSERT_EQ(labelling.outside.size(), 1u);  // row 2 does not exist
}

TEST(PointFileTest, ReadsRowsSkipsCommentsAndGroupsByPhoto) {
  TempDir dir;
  writeFile(dir / "points.tsv",
            "# image\tx\ty\tconcept\n"
            "b.jpg\t1\t2\tsky\r\n"
            "\n"
            "a.jpg\t3\t4\tsea water\n"
            "b.jpg\t0\t0\tsand\n");
  const std::vector<LabelledPoint> points = readPointFile(dir / "points.tsv");
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[0].image, "b.jpg");
  EXPECT_EQ(points[0].x, 1);
  EXPECT_EQ(points[0].y, 2);
  EXPECT_EQ(points[0].conceptName, "sky");
  EXPECT_EQ(points[0].line, 2);
  EXPECT_EQ(points[1].conceptName, "sea water");

  const std::vector<PhotoPoints> photos = groupByPhoto(points);
  ASSERT_EQ(photos.size(), 2u);
  EXPECT_EQ(photos[0].image, "b.jpg");
  EXPECT_EQ(photos[0].points.size(), 2u);
  EXPECT_EQ(photos[1].image, "a.jpg");
}

class BadPointFileTest : public ::testing::TestWithParam<const char*> {};

TEST_P(BadPointFileTest, FailsNamingTheLine) {
  TempDir dir;
  writeFile(dir / "points.tsv", std::string("a.jpg\t1\t1\tsky\n") + GetParam() + "\n");
  try {
    readPointFile(dir / "points.tsv");
    FAIL() << "accepted " << GetParam();
  } catch (const platform::Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("line 2"), std::string::npos) << failure.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, BadPointFileTest,
                         ::testing::Values("a.jpg\t1\t1", "a.jpg\t1\t1\tsky\textra", "a.jpg 1 1 sky",
                                           "a.jpg\t-1\t1\tsky", "a.jpg\t1.5\t1\tsky", "a.jpg\t1\t\tsky",
                                           "\t1\t1\tsky", "a.jpg\t1\t1\t", "a.jpg\t1\t1\tsky/sea",
                                           "a.jpg\t1\t1\tsky;sea", "../../../x.jpg\t1\t1\tsky", "photos/x.jpg\t1\t1\tsky",
                                           "photos\\x.jpg\t1\t1\tsky", "..\t1\t1\tsky", ".\t1\t1\tsky"));

// Rows whose four groups vary on very different scales, one group constant.
std::vector<FeatureVector> unevenRows(int count) {
  std::mt19937 generator(3);
  std::normal_distribution<double> noise(0.0, 1.0);
  const double spread[4] = {0.01, 0.5, 0.0, 4.0};
  std::vector<FeatureVector> rows;
  for (int i = 0; i < count; ++i) {
    FeatureVector row(kFeatureCount, 0.25);
    for (std::size_t g = 0; g < kFeatureGroups.size(); ++g) {
      for (int n = kFeatureGroups[g].first; n <= kFeatureGroups[g].last; ++n) row[n - 1] += spread[g] * noise(generator);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(GroupScalingTest, BalancedGroupsHaveEqualMeanSquaredDistance) {
  const std::vector<FeatureVector> rows = unevenRows(50);
  const GroupScaling scaling = fitGroupScaling(rows);
  std::vector<FeatureVector> scaled;
  for (const FeatureVector& row : rows) scaled.push_back(scaling.applied(row));
  for (std::size_t g : {0u, 1u, 3u}) {
    EXPECT_NEAR(meanSquaredGroupDistance(scaled, kFeatureGroups[g]), 0.25, 1e-9) << kFeatureGroups[g].name;
  }
  EXPECT_EQ(scaling.factors[2], 1.0);  // the constant group

  // The closed form agrees with the mean over all pairs.
  double sum = 0.0;
  int pairs = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t j = i + 1; j < rows.size(); ++j, ++pairs) {
      for (int n = 354; n <= 433; ++n) sum += std::pow(rows[i][n - 1] - rows[j][n - 1], 2);
    }
  }
  EXPECT_NEAR(meanSquaredGroupDistance(rows, kFeatureGroups[3]), sum / pairs, 1e-9 * sum / pairs);
}

TEST(GroupScalingTest, SharesDivideTheMeanSquaredDistance) {
  const std::vector<FeatureVector> rows = unevenRows(50);
  const GroupScaling scaling = fitGroupScaling(rows, GroupShares{4.0, 1.0, 2.0, 1.0});
  std::vector<FeatureVector> scaled;
  for (const FeatureVector& row : rows) scaled.push_back(scaling.applied(row));
  EXPECT_NEAR(meanSquaredGroupDistance(scaled, kFeatureGroups[0]), 0.5, 1e-9);
  EXPECT_NEAR(meanSquaredGroupDistance(scaled, kFeatureGroups[1]), 0.125, 1e-9);
  EXPECT_NEAR(meanSquaredGroupDistance(scaled, kFeatureGroups[3]), 0.125, 1e-9);
  EXPECT_EQ(scaling.factors[2], 1.0);  // the constant group still
  // Equal shares are the balancing the bundled models were made with.
  EXPECT_EQ(fitGroupScaling(rows, GroupShares{2.0, 2.0, 2.0, 2.0}).factors, fitGroupScaling(rows).factors);
}

TEST(GroupScalingTest, SharesReadAndWriteAsColonSeparatedNumbers) {
  EXPECT_EQ(parseShares("4:1:1:1"), (GroupShares{4.0, 1.0, 1.0, 1.0}));
  EXPECT_EQ(parseShares("0.5:1:2.25:3"), (GroupShares{0.5, 1.0, 2.25, 3.0}));
  EXPECT_EQ(sharesText(GroupShares{4.0, 1.0, 0.5, 1.0}), "4:1:0.5:1");
  for (const char* bad : {"", "4:1:1", "4:1:1:1:1", "4:1:1:0", "4:-1:1:1", "4::1:1", "a:1:1:1", "4:1:1:1 ", "1e3:1:1:1"}) {
    EXPECT_FALSE(parseShares(bad).has_value()) << bad;
  }
}

TEST(GroupScalingTest, CompanionFileKeepsFactorsExactly) {
  TempDir dir;
  GroupScaling scaling;
  scaling.factors = {0.1, 1.0 / 3.0, 12345.678901234567, 2e-7};
  writeGroupScaling(dir / "model.txt.groups", scaling);
  EXPECT_EQ(readGroupScaling(dir / "model.txt.groups").factors, scaling.factors);
}

// Regions of three concepts on 12 photos, each concept showing in a few
// features of every group, with noise a balanced model sees through.
TrainingSet syntheticSet() {
  std::mt19937 generator(11);
  std::normal_distribution<double> noise(0.0, 0.15);
  std::vector<std::string> conceptOf;
  std::vector<std::vector<std::string>> pointsOf;
  std::vector<int> photoOf;
  std::vector<FeatureVector> features;
  const std::string names[3] = {"sky", "sea", "sand"};
  for (int photo = 0; photo < 12; ++photo) {
    for (int k = 0; k < 3 + photo % 3; ++k) {
      const int c = (photo + k) % 3;
      FeatureVector row(kFeatureCount, 0.0);
      for (double& value : row) value = noise(generator);
      for (const FeatureGroup& group : kFeatureGroups) row[group.first - 1 + c] += 1.0;
      for (int n = 354; n <= 433; ++n) row[n - 1] += 5.0 * noise(generator);
      conceptOf.push_back(names[c]);
      pointsOf.push_back({names[c], names[c]});
      photoOf.push_back(photo);
      features.push_back(row);
    }
  }
  return makeTrainingSet(conceptOf, pointsOf, photoOf, features);
}

TEST(TrainingTest, ConceptsAreOrderedByRegionCountAndIndexed) {
  const TrainingSet set = makeTrainingSet({"b", "a", "c", "c", "b", "c"}, {{"b"}, {"a", "x"}, {}, {}, {}, {}},
                                          {0, 0, 1, 1, 2, 2}, std::vector<FeatureVector>(6));
  EXPECT_EQ(set.concepts, (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(set.regions[0].conceptIndex, 1);
  EXPECT_EQ(set.regions[1].pointConcepts, (std::vector<int>{2, -1}));
}

TEST(TrainingTest, FoldsKeepEveryPhotoTogether) {
  const TrainingSet set = syntheticSet();
  const std::vector<int> folds = photoFolds(set, 5);
  std::map<int, std::set<int>> foldsOfPhoto;
  std::set<int> used;
  for (std::size_t i = 0; i < set.regions.size(); ++i) {
    foldsOfPhoto[set.regions[i].photo].insert(folds[i]);
    used.insert(folds[i]);
  }
  for (const auto& [photo, photoFolds] : foldsOfPhoto) EXPECT_EQ(photoFolds.size(), 1u) << "photo " << photo;
  EXPECT_EQ(used, (std::set<int>{0, 1, 2, 3, 4}));
}

TEST(TrainingTest, CrossValidationFindsSeparableConcepts) {
  const TrainingSet set = syntheticSet();
  const Evaluation evaluation = crossValidate(set, photoFolds(set, 4), 4, GridPoint{4.0, 1.0});
  EXPECT_GT(evaluation.regionAccuracy, 0.9);
  EXPECT_EQ(evaluation.pointAccuracy, evaluation.regionAccuracy);  // two agreeing points per region
  int positives = 0;
  for (const ConceptFigures& figures : evaluation.concepts) {
    positives += figures.positives;
    EXPECT_EQ(figures.positives + figures.negatives, static_cast<int>(set.regions.size()));
    EXPECT_GT(figures.recall, 0.8);
    EXPECT_GT(figures.precision, 0.8);
  }
  EXPECT_EQ(positives, static_cast<int>(set.regions.size()));
}

TEST(TrainingTest, CrossValidationOnThePrecomputedKernelPredictsAsTheTrainedModels) {
  const TrainingSet set = syntheticSet();
  const std::vector<int> folds = photoFolds(set, 3);
  const GridPoint point{0.5, 2.0, GroupShares{4.0, 1.0, 1.0, 1.0}};
  const Evaluation evaluation = crossValidate(set, folds, 3, point);
  std::vector<int> expected(set.regions.size(), -1);
  for (int fold = 0; fold < 3; ++fold) {
    const ConceptModels models = trainConceptModels(set, trainingRegionsOf(folds, fold), point, true);
    for (std::size_t i : scoredRegionsOf(set, folds, fold)) expected[i] = models.bestConcept(set.regions[i].features);
  }
  EXPECT_EQ(evaluation.predicted, expected);
  // Several points at once give what each gives alone.
  const GridPoint other{2.0, 0.5, kEqualShares};
  const std::vector<Evaluation> both = crossValidateGrid(set, folds, 3, {point, other});
  EXPECT_EQ(both[0].predicted, evaluation.predicted);
  EXPECT_EQ(both[1].predicted, crossValidate(set, folds, 3, other).predicted);
}

TEST(GridSearchTest, GridPointsCombineEveryValue) {
  const Grid grid{{1.0, 2.0}, {0.5}, {kEqualShares, GroupShares{4.0, 1.0, 1.0, 1.0}}};
  const std::vector<GridPoint> points = grid.points();
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[1].c, 2.0);
  EXPECT_EQ(points[2].shares, (GroupShares{4.0, 1.0, 1.0, 1.0}));
}

TEST(GridSearchTest, ChoosesTheBestMeanOverDealsAndNestedCrossValidationMeasuresIt) {
  const TrainingSet set = syntheticSet();
  // A tiny C cannot separate the concepts; the search must not pick it.
  const Grid grid{{0.001, 4.0}, {1.0}, {kEqualShares}};
  const SearchSettings settings{3, 2};
  std::vector<Evaluation> heard;
  const Evaluation chosen = chooseGridPoint(set, grid, settings, {}, [&](const Evaluation& e) { heard.push_back(e); });
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(chosen.point.c, 4.0);
  EXPECT_GT(chosen.pointAccuracy, heard[0].pointAccuracy);
  // The figure is the mean of the deals' figures.
  const double first = crossValidate(set, photoFolds(set, 3, 0), 3, chosen.point).pointAccuracy;
  const double second = crossValidate(set, photoFolds(set, 3, 1), 3, chosen.point).pointAccuracy;
  EXPECT_DOUBLE_EQ(chosen.pointAccuracy, (first + second) / 2.0);

  int outerFolds = 0;
  const NestedEvaluation nested =
      nestedCrossValidate(set, grid, settings, [&](int, int, const Evaluation&) { ++outerFolds; });
  EXPECT_EQ(outerFolds, 6);  // three folds in each of two deals
  ASSERT_EQ(nested.chosen.size(), 6u);
  for (const GridPoint& point : nested.chosen) EXPECT_EQ(point.c, 4.0);
  EXPECT_GT(nested.evaluation.pointAccuracy, 0.9);
  for (int guess : nested.evaluation.predicted) EXPECT_GE(guess, 0);  // every region predicted once
}

TEST(TrainingTest, FiguresCountTopOneDecisions) {
  TrainingSet set = makeTrainingSet({"a", "a", "b", "b"}, {{"a"}, {"a", "b"}, {"b"}, {"b"}}, {0, 1, 2, 3},
                                    std::vector<FeatureVector>(4));
  const Evaluation evaluation = evaluate(set, GridPoint{}, {0, 1, 1, 0});
  EXPECT_DOUBLE_EQ(evaluation.regionAccuracy, 0.5);
  EXPECT_DOUBLE_EQ(evaluation.pointAccuracy, 3.0 / 5.0);
  EXPECT_DOUBLE_EQ(evaluation.concepts[0].recall, 0.5);
  EXPECT_DOUBLE_EQ(evaluation.concepts[0].precision, 0.5);
  EXPECT_DOUBLE_EQ(evaluation.concepts[1].recall, 0.5);
}

TEST(ConceptListTest, ClassifierReadsBackTheWrittenNames) {
  TempDir dir;
  const std::vector<std::string> names{"sky", "sea water", "a=b", "x "};
  writeConceptList(dir / "concepts.txt", names);
  EXPECT_EQ(classification::readConceptList(dir / "concepts.txt"), names);
  EXPECT_THROW(writeConceptList(dir / "bad.txt", {"a;b"}), platform::Failure);
}

}  // namespace
