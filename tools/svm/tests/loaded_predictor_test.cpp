// The predictor in process against the program: the same answer text for
// the same test data, on the bundled models, image after image with the
// models kept; a model that does not load fails with its name and loads once
// it is there.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "classification/confidences.h"
#include "classification/predictor_input.h"
#include "platform/failure.h"
#include "testing/program_run.h"
#include "testing/test_files.h"
#include "tools/svm/loaded_predictor.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TempDir;

const std::vector<std::string> kConcepts{"vegetation", "sky", "animal", "building", "water", "rock", "sand", "snow"};

// Features as the classifier gives them: scaled values with more decimals
// than the test data keeps, so that the text's rounding matters.
std::string testData(unsigned seed, int regions) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> value(0.0, 1.0);
  std::vector<std::vector<double>> rows(regions, std::vector<double>(formats::kFeatureCount));
  for (auto& row : rows)
    for (double& feature : row) feature = value(generator) / 3.0;
  return classification::predictorInputText(std::vector<std::span<const double>>(rows.begin(), rows.end()));
}

class LoadedPredictorTest : public testing::Test {
 protected:
  LoadedPredictorTest() {
    fs::create_directories(models_);
    for (const auto& entry : fs::directory_iterator(fs::path(PROJECT_SOURCE_DIR) / "models/SVMtrainingModels"))
      fs::copy_file(entry.path(), models_ / entry.path().filename());
  }

  // SVMpredictfuzzy's output for the concept, run as Tamsel runs it.
  std::string programAnswer(const std::string& data, const std::string& conceptName) {
    testing_support::writeFile(dir_.path() / "testDataFile.txt", data);
    const testing_support::ProgramRun run = testing_support::runProgramIn(
        dir_.path(), {PREDICTOR_PATH, "testDataFile.txt", classification::modelPath(conceptName), "output.txt"},
        dir_.path());
    EXPECT_EQ(run.status, 0) << run.errors;
    return readFile(dir_.path() / "output.txt");
  }

  TempDir dir_;
  fs::path models_ = dir_.path() / "conf/SVMtrainingModels";
};

TEST_F(LoadedPredictorTest, AnswersAsTheProgramImageAfterImage) {
  svm_tools::LoadedModelsPredictor predictor(dir_.path().string());
  for (const auto& [seed, regions] : {std::pair{1u, 9}, std::pair{2u, 3}, std::pair{3u, 1}}) {
    const std::string data = testData(seed, regions);
    predictor.takeTestData(data);
    for (const std::string& conceptName : kConcepts) {
      SCOPED_TRACE(conceptName + ", " + std::to_string(regions) + " regions");
      const std::optional<std::string> answer = predictor.answer(conceptName);
      ASSERT_TRUE(answer.has_value());
      EXPECT_EQ(*answer, programAnswer(data, conceptName));
    }
    predictor.finish();
  }
  EXPECT_EQ(predictor.loadedModels(), kConcepts.size());
}

TEST_F(LoadedPredictorTest, AModelThatIsMissingFailsWithItsNameAndLoadsOnceThere) {
  const fs::path model = models_ / "trainingModels_sky.txt";
  const fs::path kept = dir_.path() / "kept.txt";
  fs::rename(model, kept);
  svm_tools::LoadedModelsPredictor predictor(dir_.path().string());
  const std::string data = testData(4, 5);
  predictor.takeTestData(data);
  try {
    predictor.answer("sky");
    ADD_FAILURE() << "a missing model answered";
  } catch (const platform::Failure& failure) {
    EXPECT_NE(std::string(failure.what()).find("trainingModels_sky.txt"), std::string::npos) << failure.what();
  }
  EXPECT_EQ(predictor.loadedModels(), 0u);

  fs::rename(kept, model);
  const std::optional<std::string> answer = predictor.answer("sky");
  ASSERT_TRUE(answer.has_value());
  EXPECT_EQ(*answer, programAnswer(data, "sky"));
}

}  // namespace
