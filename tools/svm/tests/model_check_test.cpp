// The model check ahead of libsvm's loader: the bundled models pass, and a
// table of malformed models, each spoiling one part of a small valid model,
// makes the predictor stop with its one line and no output file instead of
// crashing in the loader, reading past its arrays or taking a broken model.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/failure.h"
#include "testing/program_run.h"
#include "testing/test_files.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/model_check.h"

namespace {

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

const std::string kValidModel =
    "svm_type c_svc\n"
    "kernel_type rbf\n"
    "gamma 0.5\n"
    "nr_class 2\n"
    "total_sv 3\n"
    "rho 0.078\n"
    "label 1 -1\n"
    "probA -1.5\n"
    "probB 0.045\n"
    "nr_sv 1 2\n"
    "SV\n"
    "1 1:0.5 2:0.4 100:0.3 \n"
    "-0.6 1:-0.5 2:-0.4 433:0.2 \n"
    "-0.4 1:-0.55 3:-0.3 \n";

struct ModelRun {
  int status = -1;
  std::string output;
  std::string errors;
  bool outputFile = false;
};

// Runs the predictor on two rows of test data with `model` as the model.
ModelRun predictWith(const std::string& model) {
  TempDir dir;
  const std::string modelPath = dir / "trainingModels_thing.txt";
  writeFile(modelPath, model);
  svm_tools::writeGroupScaling(svm_tools::scalingPathFor(modelPath), svm_tools::GroupScaling{});
  writeFile(dir / "test.txt", "+1 1:0.5 2:0.4\n+1 1:-0.5 433:0.1\n");
  const testing_support::ProgramRun run =
      testing_support::runProgramIn(dir.path(), {PREDICTOR_PATH, dir / "test.txt", modelPath, dir / "output.txt"}, dir.path());
  return ModelRun{run.status, run.output, run.errors, std::filesystem::exists(dir / "output.txt")};
}

// The valid model with the first `from` replaced by `to`.
std::string spoiled(const std::string& from, const std::string& to) {
  std::string model = kValidModel;
  const std::size_t at = model.find(from);
  if (at == std::string::npos) throw std::logic_error("not in the model: " + from);
  return model.replace(at, from.size(), to);
}

TEST(ModelCheckTest, TheValidModelPredicts) {
  const ModelRun run = predictWith(kValidModel);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_TRUE(run.outputFile);
}

TEST(ModelCheckTest, BundledModelsPass) {
  const std::filesystem::path folder = std::filesystem::path(PROJECT_SOURCE_DIR) / "models" / "SVMtrainingModels";
  int checked = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".txt") continue;
    EXPECT_NO_THROW(svm_tools::checkModelFile(entry.path().string())) << entry.path();
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

struct BadModel {
  const char* name;
  std::string from;  // replaced in the valid model
  std::string to;
  const char* message;  // part of the one line on standard error
};

void PrintTo(const BadModel& c, std::ostream* os) { *os << c.name; }

class BadModelTest : public ::testing::TestWithParam<BadModel> {};

TEST_P(BadModelTest, PredictorStopsWithOneLineAndNoOutput) {
  const BadModel& bad = GetParam();
  const ModelRun run = predictWith(spoiled(bad.from, bad.to));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "");
  EXPECT_NE(run.errors.find(bad.message), std::string::npos) << run.errors;
  EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << run.errors;
  EXPECT_FALSE(run.outputFile);
}

const std::string kLastVector = "-0.4 1:-0.55 3:-0.3 \n";

INSTANTIATE_TEST_SUITE_P(
    Cases, BadModelTest,
    ::testing::Values(
        // The support-vector section and its counts.
        BadModel{"TruncatedVectors", kLastVector, "", "ends after 2 of its 3 support vectors"},
        BadModel{"CutInsideAVector", kLastVector, "-0.4 1:-0.55 3", "'3' is not <index>:<value>"},
        BadModel{"NoVectorsAtAll", kValidModel.substr(kValidModel.find("SV\n") + 3), "",
                 "ends after 0 of its 3 support vectors"},
        BadModel{"NoSvLine", kValidModel.substr(kValidModel.find("SV\n")), "", "ends before the SV line"},
        BadModel{"EmptyFile", kValidModel, "", "ends before the SV line"},
        BadModel{"NrSvAddUpToMoreThanTotal", "nr_sv 1 2", "nr_sv 2 2", "add up to 4, not to total_sv 3"},
        BadModel{"NrSvAddUpToLessThanTotal", "nr_sv 1 2", "nr_sv 1 1", "add up to 2, not to total_sv 3"},
        BadModel{"NegativeNrSv", "nr_sv 1 2", "nr_sv -1 4", "whole number from 0"},
        BadModel{"HugeTotalSv", "total_sv 3\n", "total_sv 2147483647\n", "add up to 3, not to total_sv 2147483647"},
        BadModel{"HugeTotalSvAndCounts", "total_sv 3\nrho 0.078\nlabel 1 -1\nprobA -1.5\nprobB 0.045\nnr_sv 1 2",
                 "total_sv 2147483647\nrho 0.078\nlabel 1 -1\nprobA -1.5\nprobB 0.045\nnr_sv 1 2147483646",
                 "ends after 3 of its 2147483647 support vectors"},
        BadModel{"TotalSvBeyondInt", "total_sv 3", "total_sv 99999999999", "whole number from 0"},
        BadModel{"EmptyVectorLine", "-0.6 1:-0.5 2:-0.4 433:0.2 \n", "\n", "empty support vector line"},
        BadModel{"TextAfterTheVectors", kLastVector, kLastVector + "1 1:1\n", "text after the last of the 3"},
        // Feature indices and values.
        BadModel{"IndexZero", "1 1:0.5", "1 0:0.5", "'0' is not within 1 to 433"},
        BadModel{"Index434", "433:0.2", "434:0.2", "'434' is not within 1 to 433"},
        BadModel{"NegativeIndex", "1 1:0.5", "1 -1:0.5", "'-1' is not within 1 to 433"},
        BadModel{"DecreasingIndices", "2:0.4 100:0.3", "100:0.3 2:0.4", "do not increase at 2"},
        BadModel{"RepeatedIndex", "2:0.4 100:0.3", "2:0.4 2:0.3", "do not increase at 2"},
        BadModel{"NanValue", "2:0.4", "2:nan", "feature 2 must be a finite number"},
        BadModel{"InfiniteValue", "2:0.4", "2:1e999", "feature 2 must be a finite number"},
        BadModel{"NanCoefficient", "-0.6 1:-0.5", "nan 1:-0.5", "coefficient must be a finite number"},
        BadModel{"ValueWithTwoColons", "2:0.4", "2:0:4", "feature 2 must be a finite number"},
        BadModel{"FeatureWithoutColon", "2:0.4", "2", "'2' is not <index>:<value>"},
        BadModel{"CarriageReturns", "SV\n", "SV\r\n", "control character"},
        BadModel{"NulByte", "2:0.4", "2:0" + std::string(1, '\0') + "4", "control character"},
        // The header.
        BadModel{"NanRho", "rho 0.078", "rho nan", "rho must be a finite number"},
        BadModel{"NanGamma", "gamma 0.5", "gamma nan", "gamma must be a finite number"},
        BadModel{"TwoRhoValues", "rho 0.078", "rho 0.078 0.1", "rho needs 1 value"},
        BadModel{"OneLabel", "label 1 -1", "label 1", "label needs 2 values"},
        BadModel{"MissingRho", "rho 0.078\n", "", "has no rho"},
        BadModel{"MissingNrSv", "nr_sv 1 2\n", "", "has no nr_sv"},
        BadModel{"MissingLabel", "label 1 -1\n", "", "has no label"},
        BadModel{"MissingTotalSv", "total_sv 3\n", "", "has no total_sv"},
        BadModel{"RbfWithoutGamma", "gamma 0.5\n", "", "rbf kernel needs a gamma"},
        BadModel{"PolynomialWithoutDegree", "kernel_type rbf", "kernel_type polynomial\ncoef0 1", "needs a degree"},
        BadModel{"PrecomputedKernel", "kernel_type rbf", "kernel_type precomputed", "kernel_type must be"},
        BadModel{"LabelBeforeNrClass", "nr_class 2\ntotal_sv 3\nrho 0.078\nlabel 1 -1\n",
                 "label 1 -1\nnr_class 2\ntotal_sv 3\nrho 0.078\n", "label before nr_class"},
        BadModel{"KeyTwice", "label 1 -1\n", "label 1 -1\nlabel 1 -1\n", "label given twice"},
        BadModel{"UnknownKey", "gamma 0.5\n", "gamma 0.5\nweight 3\n", "unknown header key 'weight'"},
        BadModel{"ProbAWithoutProbB", "probB 0.045\n", "", "probA and probB come together"},
        BadModel{"ThreeClasses", "nr_class 2", "nr_class 3", "is not a two-class classifier"},
        BadModel{"HugeNrClass", "nr_class 2", "nr_class 2147483647", "is not a two-class classifier"},
        BadModel{"OneClassType", "svm_type c_svc", "svm_type one_class", "is not a two-class classifier"},
        BadModel{"UnknownType", "svm_type c_svc", "svm_type d_svc", "unknown svm_type 'd_svc'"},
        BadModel{"EmptyHeaderLine", "gamma 0.5\n", "gamma 0.5\n\n", "empty header line"}),
    [](const ::testing::TestParamInfo<BadModel>& info) { return std::string(info.param.name); });

}  // namespace
