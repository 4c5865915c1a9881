// SVMpredictfuzzy run as the classifier runs it: on models trained here on
// separable synthetic vectors, and on every kind of bad input.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "testing/small_disk.h"
#include "testing/test_files.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/predictor_input.h"

namespace {

using namespace svm_tools;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// Positives lean one way in a few features of every group, negatives the
// other way; the edge histogram carries large noise, as it does in real data.
FeatureVector syntheticRow(bool positive, std::mt19937& generator) {
  std::normal_distribution<double> noise(0.0, 0.1);
  FeatureVector row(kFeatureCount, 0.0);
  for (int i = 0; i < kFeatureCount; ++i) row[i] = noise(generator);
  const double side = positive ? 0.5 : -0.5;
  for (const FeatureGroup& group : kFeatureGroups) {
    for (int n = group.first; n < group.first + 5; ++n) row[n - 1] += side;
  }
  for (int n = 354; n <= 433; ++n) row[n - 1] += 3.0 * noise(generator);
  return row;
}

struct Rows {
  std::vector<FeatureVector> rows;
  std::vector<int> labels;
};

Rows syntheticRows(int perClass, bool negativeFirst, unsigned seed) {
  std::mt19937 generator(seed);
  Rows result;
  for (int i = 0; i < 2 * perClass; ++i) {
    const bool positive = (i % 2 == 0) != negativeFirst;
    result.rows.push_back(syntheticRow(positive, generator));
    result.labels.push_back(positive ? +1 : -1);
  }
  return result;
}

struct RunResult {
  int status = 0;
  std::string output;
  std::string error;
};

RunResult runPredictor(const TempDir& dir, const std::vector<std::string>& arguments) {
  std::string command = std::string("'") + PREDICTOR_PATH + "'";
  for (const std::string& argument : arguments) command += " '" + argument + "'";
  command += " >'" + (dir / "stdout") + "' 2>'" + (dir / "stderr") + "'";
  const int status = std::system(command.c_str());
  return RunResult{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir / "stdout"), readFile(dir / "stderr")};
}

std::vector<double> readConfidences(const std::string& path) {
  std::istringstream in(readFile(path));
  std::vector<double> values;
  double value = 0.0;
  while (in >> value) values.push_back(value);
  return values;
}

// A trained model with its group scaling next to it, and test data of fresh
// rows from the same distribution.
class PredictorTest : public ::testing::Test {
 protected:
  void trainModel(bool probability, bool negativeFirst) {
    const Rows training = syntheticRows(20, negativeFirst, 7);
    const GroupScaling scaling = fitGroupScaling(training.rows);
    std::vector<FeatureVector> scaled;
    for (const FeatureVector& row : training.rows) scaled.push_back(scaling.applied(row));
    TrainingSettings settings;
    settings.probability = probability;
    ConceptSvm::train(scaled, training.labels, settings).save(modelPath);
    writeGroupScaling(scalingPathFor(modelPath), scaling);

    const Rows test = syntheticRows(10, false, 99);
    writePredictorInput(testPath, test.rows);
    testLabels = test.labels;
  }

  TempDir dir;
  std::string modelPath = dir / "trainingModels_thing.txt";
  std::string testPath = dir / "testDataFile.txt";
  std::string outputPath = dir / "output.txt";
  std::vector<int> testLabels;
};

class PredictorConfidenceTest : public PredictorTest,
                                public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(PredictorConfidenceTest, PositivesAboveOneHalfNegativesBelowOneLinePerRow) {
  const auto [probability, negativeFirst] = GetParam();
  trainModel(probability, negativeFirst);
  const RunResult run = runPredictor(dir, {testPath, modelPath, outputPath});
  ASSERT_EQ(run.status, 0) << run.error;
  EXPECT_EQ(run.error, "");

  const std::string text = readFile(outputPath);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(testLabels.size()));
  const std::vector<double> confidences = readConfidences(outputPath);
  ASSERT_EQ(confidences.size(), testLabels.size());
  for (std::size_t i = 0; i < confidences.size(); ++i) {
    if (testLabels[i] > 0) {
      EXPECT_GT(confidences[i], 0.5) << "row " << i;
    } else {
      EXPECT_LT(confidences[i], 0.5) << "row " << i;
    }
    EXPECT_GE(confidences[i], 0.0);
    EXPECT_LE(confidences[i], 1.0);
  }
  EXPECT_FALSE(std::filesystem::exists(outputPath + ".partial"));
}

INSTANTIATE_TEST_SUITE_P(ProbabilityAndClassOrder, PredictorConfidenceTest,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

TEST_F(PredictorTest, EmptyTestDataGivesEmptyOutput) {
  trainModel(true, false);
  writeFile(testPath, "");
  const RunResult run = runPredictor(dir, {testPath, modelPath, outputPath});
  ASSERT_EQ(run.status, 0) << run.error;
  EXPECT_EQ(readFile(outputPath), "");
}

TEST_F(PredictorTest, SparseRowsAndBlanksAreAccepted) {
  trainModel(true, false);
  writeFile(testPath, "+1 1:0.5 2:0.5\r\n-1\t3:0.25   433:1e-3 \n");
  const RunResult run = runPredictor(dir, {testPath, modelPath, outputPath});
  ASSERT_EQ(run.status, 0) << run.error;
  EXPECT_EQ(readConfidences(outputPath).size(), 2u);
}

// Each case spoils one input; the predictor must then print exactly one line
// on standard error, nothing on standard output, exit non-zero and leave no
// output file, also not one left over from an earlier run.
struct BadInput {
  const char* name;
  const char* testData;       // replaces the test data when set
  const char* model;          // replaces the model file when set
  const char* scaling;        // replaces the group scaling file when set
  bool removeTestData;
  bool removeModel;
  bool removeScaling;
};

// Cases print as their names in test listings.
void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class PredictorBadInputTest : public PredictorTest, public ::testing::WithParamInterface<BadInput> {};

TEST_P(PredictorBadInputTest, OneLineOnStandardErrorAndNoOutputFile) {
  const BadInput& bad = GetParam();
  trainModel(true, false);
  if (bad.testData != nullptr) writeFile(testPath, bad.testData);
  if (bad.model != nullptr) writeFile(modelPath, bad.model);
  if (bad.scaling != nullptr) writeFile(scalingPathFor(modelPath), bad.scaling);
  if (bad.removeTestData) std::filesystem::remove(testPath);
  if (bad.removeModel) std::filesystem::remove(modelPath);
  if (bad.removeScaling) std::filesystem::remove(scalingPathFor(modelPath));
  writeFile(outputPath, "0.9\n0.9\n");  // an earlier run's answer

  const RunResult run = runPredictor(dir, {testPath, modelPath, outputPath});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.output, "");
  ASSERT_FALSE(run.error.empty());
  EXPECT_EQ(run.error.find('\n'), run.error.size() - 1) << run.error;
  EXPECT_FALSE(std::filesystem::exists(outputPath));
  EXPECT_FALSE(std::filesystem::exists(outputPath + ".partial"));
}

const char* kScalingWithBadFactor =
    "HT 1 62 1\nRS 63 97 1\nSC 98 353 abc\nEH 354 433 1\n";
const char* kScalingWithThreeGroups = "HT 1 62 1\nRS 63 97 1\nSC 98 353 1\n";
const char* kScalingWithWrongRange = "HT 1 61 1\nRS 63 97 1\nSC 98 353 1\nEH 354 433 1\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, PredictorBadInputTest,
    ::testing::Values(
        BadInput{"MissingTestData", nullptr, nullptr, nullptr, true, false, false},
        BadInput{"LabelNotANumber", "abc 1:0.5\n", nullptr, nullptr, false, false, false},
        BadInput{"BlankLine", "+1 1:0.5\n\n+1 1:0.5\n", nullptr, nullptr, false, false, false},
        BadInput{"ValueNotANumber", "+1 1:0.5 2:x\n", nullptr, nullptr, false, false, false},
        BadInput{"ValueNotFinite", "+1 1:nan\n", nullptr, nullptr, false, false, false},
        BadInput{"ValueWithTrailingText", "+1 1:0.5abc\n", nullptr, nullptr, false, false, false},
        BadInput{"FeatureWithoutColon", "+1 1:0.5 7\n", nullptr, nullptr, false, false, false},
        BadInput{"FeatureNumberZero", "+1 0:0.5\n", nullptr, nullptr, false, false, false},
        BadInput{"FeatureNumberBeyondLast", "+1 1:0.5 434:0.5\n", nullptr, nullptr, false, false, false},
        BadInput{"FeatureNumberNegative", "+1 -3:0.5\n", nullptr, nullptr, false, false, false},
        BadInput{"FeatureNumbersNotIncreasing", "+1 5:0.5 5:0.5\n", nullptr, nullptr, false, false, false},
        BadInput{"MissingModel", nullptr, nullptr, nullptr, false, true, false},
        BadInput{"ModelNotLibsvm", nullptr, "this is not a model\n", nullptr, false, false, false},
        BadInput{"ModelWithoutClassPlusOne", nullptr,
                 "svm_type c_svc\nkernel_type rbf\ngamma 1\nnr_class 2\ntotal_sv 2\nrho 0\nlabel 2 -1\n"
                 "nr_sv 1 1\nSV\n1 1:1\n-1 1:-1\n",
                 nullptr, false, false, false},
        BadInput{"RegressionModel", nullptr,
                 "svm_type epsilon_svr\nkernel_type rbf\ngamma 1\nnr_class 2\ntotal_sv 1\nrho 0\nSV\n1 1:1\n",
                 nullptr, false, false, false},
        BadInput{"MissingGroupScaling", nullptr, nullptr, nullptr, false, false, true},
        BadInput{"GroupScalingFactorNotANumber", nullptr, nullptr, kScalingWithBadFactor, false, false, false},
        BadInput{"GroupScalingMissingAGroup", nullptr, nullptr, kScalingWithThreeGroups, false, false, false},
        BadInput{"GroupScalingWrongRange", nullptr, nullptr, kScalingWithWrongRange, false, false, false}),
    [](const ::testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST_F(PredictorTest, WrongArgumentCountIsOneLine) {
  trainModel(true, false);
  const RunResult run = runPredictor(dir, {testPath, modelPath});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.error.find('\n'), run.error.size() - 1) << run.error;
}

TEST_F(PredictorTest, UnwritableOutputIsOneLineAndNoFile) {
  trainModel(true, false);
  const std::string output = dir / "no-such-folder/output.txt";
  const RunResult run = runPredictor(dir, {testPath, modelPath, output});
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.error.find('\n'), run.error.size() - 1) << run.error;
  EXPECT_FALSE(std::filesystem::exists(output));
}

TEST_F(PredictorTest, OutputOnAFullOrReadOnlyDiskIsOneLineAndNoFile) {
  trainModel(true, false);
  for (const bool readOnly : {false, true}) {
    testing_support::SmallDisk disk(dir.path() / (readOnly ? "readOnly" : "full"), "64k");
    if (!disk.available()) GTEST_SKIP() << disk.skipReason();
    if (readOnly) {
      ASSERT_TRUE(disk.makeReadOnly());
    } else {
      disk.fill();
    }
    const std::string output = (disk.path() / "output.txt").string();
    const RunResult run = runPredictor(dir, {testPath, modelPath, output});
    EXPECT_EQ(run.status, 1) << readOnly;
    EXPECT_EQ(run.error.rfind("cannot write " + output + ": ", 0), 0u) << run.error;
    EXPECT_EQ(run.error.find('\n'), run.error.size() - 1) << run.error;
    EXPECT_EQ(testing_support::namesIn(disk.path()), std::vector<std::string>{}) << readOnly;
  }
}

}  // namespace
