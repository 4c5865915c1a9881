// The binary form of the concept models: a model loaded through it predicts
// bit for bit as libsvm's own loader of the text model does (bundled models
// and small trained ones), and a binary form that is stale, cut short,
// spoilt, of another version or of another text model, or that fails the
// model check, is never used but made again from the text.

#include <gtest/gtest.h>
#include <libsvm/svm.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "testing/small_disk.h"
#include "testing/test_files.h"
#include "tools/svm/binary_model.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/feature_layout.h"
#include "tools/svm/model_check.h"

namespace {

namespace fs = std::filesystem;
using namespace svm_tools;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

struct LibsvmModel {
  explicit LibsvmModel(const std::string& path) : model(svm_load_model(path.c_str())) {}
  ~LibsvmModel() { svm_free_and_destroy_model(&model); }
  LibsvmModel(const LibsvmModel&) = delete;
  LibsvmModel& operator=(const LibsvmModel&) = delete;
  svm_model* model;
};

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Our values of the model equal those libsvm's loader reads from the text.
void expectSameAsLibsvm(const ModelView& ours, const svm_model& theirs) {
  EXPECT_EQ(ours.header.svmType, theirs.param.svm_type);
  EXPECT_EQ(ours.header.kernelType, theirs.param.kernel_type);
  if (theirs.param.kernel_type != LINEAR) {
    EXPECT_TRUE(sameBits(ours.header.gamma, theirs.param.gamma));
  }
  EXPECT_TRUE(sameBits(ours.header.rho, theirs.rho[0]));
  EXPECT_EQ(ours.header.hasProbability, theirs.probA != nullptr);
  if (theirs.probA != nullptr) {
    EXPECT_TRUE(sameBits(ours.header.probA, theirs.probA[0]));
    EXPECT_TRUE(sameBits(ours.header.probB, theirs.probB[0]));
  }
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(ours.header.labels[c], theirs.label[c]);
    EXPECT_EQ(ours.header.perClass[c], theirs.nSV[c]);
  }
  ASSERT_EQ(ours.coefficients.size(), static_cast<std::size_t>(theirs.l));
  std::size_t n = 0;
  for (int v = 0; v < theirs.l; ++v) {
    EXPECT_TRUE(sameBits(ours.coefficients[v], theirs.sv_coef[0][v])) << "vector " << v;
    for (const svm_node* node = theirs.SV[v];; ++node) {
      ASSERT_LT(n, ours.nodes.size());
      const svm_node& our = ours.nodes[n++];
      ASSERT_EQ(our.index, node->index) << "vector " << v;
      if (node->index == -1) break;
      ASSERT_TRUE(sameBits(our.value, node->value)) << "vector " << v << " feature " << node->index;
    }
  }
  EXPECT_EQ(n, ours.nodes.size());
}

// Rows like the classifier's: values of either sign, some features zero.
std::vector<FeatureVector> someRows(unsigned seed) {
  std::mt19937 generator(seed);
  std::normal_distribution<double> value(0.0, 0.6);
  std::vector<FeatureVector> rows(12, FeatureVector(kFeatureCount, 0.0));
  for (FeatureVector& row : rows) {
    for (double& feature : row) feature = generator() % 5 == 0 ? 0.0 : value(generator);
  }
  return rows;
}

// libsvm's own confidence of class +1, as the predictor computed it on the
// text model before the binary form.
double libsvmConfidence(const svm_model& model, const FeatureVector& row) {
  std::vector<svm_node> nodes;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (row[i] != 0.0) nodes.push_back(svm_node{static_cast<int>(i) + 1, row[i]});
  }
  nodes.push_back(svm_node{-1, 0.0});
  const int positive = model.label[0] == 1 ? 0 : 1;
  if (svm_check_probability_model(&model)) {
    double probabilities[2];
    svm_predict_probability(&model, nodes.data(), probabilities);
    return probabilities[positive];
  }
  double decision = 0.0;
  svm_predict_values(&model, nodes.data(), &decision);
  return 1.0 / (1.0 + std::exp(-(positive == 0 ? decision : -decision)));
}

// The first load parses the text and writes the binary form; the second
// uses it. Both give libsvm's values and libsvm's confidences to the bit.
void expectLoadsPredictAsLibsvm(const std::string& modelPath) {
  const LibsvmModel reference(modelPath);
  ASSERT_NE(reference.model, nullptr);
  fs::remove(binaryModelPathFor(modelPath));
  for (const bool fromBinary : {false, true}) {
    const LoadedModelValues values = loadModelValues(modelPath);
    EXPECT_EQ(values.fromBinaryForm(), fromBinary);
    expectSameAsLibsvm(values.view(), *reference.model);
  }
  const ConceptSvm model = ConceptSvm::load(modelPath);
  for (const FeatureVector& row : someRows(5)) {
    const double ours = model.confidence(row);
    const double theirs = libsvmConfidence(*reference.model, row);
    EXPECT_TRUE(sameBits(ours, theirs)) << ours << " " << theirs;
  }
}

class BundledModelTest : public ::testing::TestWithParam<std::string> {};

TEST_P(BundledModelTest, PredictsAsTheTextModel) {
  const TempDir dir;
  const std::string path = dir / GetParam();
  fs::copy_file(fs::path(PROJECT_SOURCE_DIR) / "models" / "SVMtrainingModels" / GetParam(), path);
  expectLoadsPredictAsLibsvm(path);
}

INSTANTIATE_TEST_SUITE_P(Models, BundledModelTest,
                         ::testing::Values("trainingModels_animal.txt", "trainingModels_building.txt",
                                           "trainingModels_rock.txt", "trainingModels_sand.txt",
                                           "trainingModels_sky.txt", "trainingModels_snow.txt",
                                           "trainingModels_vegetation.txt", "trainingModels_water.txt"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(15, info.param.size() - 19);
                         });

// Small models trained here: with and without probabilities, either class first.
class TrainedModel : public ::testing::Test {
 protected:
  void train(bool probability, bool negativeFirst, unsigned seed = 3) {
    std::vector<FeatureVector> rows = someRows(seed);
    std::vector<int> labels;
    for (std::size_t i = 0; i < rows.size(); ++i) {
      const bool positive = (i % 2 == 0) != negativeFirst;
      for (int f = 0; f < 20; ++f) rows[i][f] += positive ? 0.8 : -0.8;
      labels.push_back(positive ? +1 : -1);
    }
    TrainingSettings settings;
    settings.probability = probability;
    settings.gamma = 0.01;
    ConceptSvm::train(rows, labels, settings).save(path);
  }

  TempDir dir;
  std::string path = dir / "trainingModels_thing.txt";
  std::string binaryPath = binaryModelPathFor(path);
};

class TrainedModelKinds : public TrainedModel, public ::testing::WithParamInterface<std::tuple<bool, bool>> {};

TEST_P(TrainedModelKinds, SavedWithItsBinaryFormAndPredictsAsTheText) {
  const auto [probability, negativeFirst] = GetParam();
  train(probability, negativeFirst);
  ASSERT_TRUE(fs::exists(binaryPath));
  EXPECT_TRUE(loadModelValues(path).fromBinaryForm());
  expectLoadsPredictAsLibsvm(path);
}

INSTANTIATE_TEST_SUITE_P(ProbabilityAndClassOrder, TrainedModelKinds,
                         ::testing::Combine(::testing::Bool(), ::testing::Bool()));

TEST_F(TrainedModel, ChangedTextModelIsReadAgainAndItsBinaryFormMadeAgain) {
  train(true, false);
  const std::string binaryBefore = readFile(binaryPath);
  // The same size, one digit changed, and the old time of modification.
  std::string text = readFile(path);
  const std::size_t digit = text.find_last_of("123456789");
  text[digit] = text[digit] == '1' ? '2' : '1';
  const auto time = fs::last_write_time(path);
  writeFile(path, text);
  fs::last_write_time(path, time);

  const LibsvmModel reference(path);
  const LoadedModelValues values = loadModelValues(path);
  EXPECT_FALSE(values.fromBinaryForm());
  expectSameAsLibsvm(values.view(), *reference.model);
  EXPECT_NE(readFile(binaryPath), binaryBefore);
  EXPECT_TRUE(loadModelValues(path).fromBinaryForm());
}

// Each case spoils the binary form beside an intact text model.
struct Spoilt {
  const char* name;
  void (*spoil)(std::string& binary, const std::string& otherModelsBinary);
};
void PrintTo(const Spoilt& c, std::ostream* os) { *os << c.name; }

const Spoilt kSpoilt[] = {
    {"Empty", [](std::string& b, const std::string&) { b.clear(); }},
    {"CutBeforeItsHash", [](std::string& b, const std::string&) { b.resize(b.size() - 8); }},
    {"CutInTheNodes", [](std::string& b, const std::string&) { b.resize(b.size() - 100); }},
    {"OneByteMore", [](std::string& b, const std::string&) { b.push_back('\0'); }},
    {"ValueChanged", [](std::string& b, const std::string&) { b[b.size() - 20] ^= 0x10; }},
    {"CountChanged", [](std::string& b, const std::string&) { b[120] ^= 0x01; }},
    {"OtherVersion", [](std::string& b, const std::string&) { b[8] = 2; }},
    {"NotABinaryForm", [](std::string& b, const std::string&) { b = "svm_type c_svc\n"; }},
    {"OfAnotherTextModel", [](std::string& b, const std::string& other) { b = other; }},
};

class SpoiltBinaryTest : public TrainedModel, public ::testing::WithParamInterface<Spoilt> {};

TEST_P(SpoiltBinaryTest, IsNotUsedAndIsMadeAgain) {
  {
    TempDir otherDir;
    const std::string other = otherDir / "trainingModels_other.txt";
    train(false, true, 11);
    fs::copy_file(path, other);
    fs::copy_file(binaryPath, binaryModelPathFor(other));
    train(true, false);
    std::string binary = readFile(binaryPath);
    GetParam().spoil(binary, readFile(binaryModelPathFor(other)));
    writeFile(binaryPath, binary);
  }
  const LibsvmModel reference(path);
  const LoadedModelValues values = loadModelValues(path);
  EXPECT_FALSE(values.fromBinaryForm());
  expectSameAsLibsvm(values.view(), *reference.model);
  EXPECT_TRUE(loadModelValues(path).fromBinaryForm());
}

INSTANTIATE_TEST_SUITE_P(Cases, SpoiltBinaryTest, ::testing::ValuesIn(kSpoilt),
                         [](const ::testing::TestParamInfo<Spoilt>& info) { return std::string(info.param.name); });

TEST_F(TrainedModel, EveryCutOfTheBinaryFormIsRefused) {
  train(false, false);
  const std::string text = readFile(path);
  const std::string binary = readFile(binaryPath);
  ASSERT_TRUE(decodeBinaryModel(binary, text));
  // Every length through the header and the first nodes, then every 61st,
  // and the last 64.
  for (std::size_t size = 0; size < binary.size(); size += size < 512 || size + 64 >= binary.size() ? 1 : 61) {
    const std::string cut = binary.substr(0, size);
    EXPECT_FALSE(decodeBinaryModel(cut, text)) << size;
  }
}

// A binary form made from this very text, hash and all, but holding values
// the model check refuses: never used.
struct Unchecked {
  const char* name;
  void (*spoil)(ModelContents&);
};
void PrintTo(const Unchecked& c, std::ostream* os) { *os << c.name; }

const Unchecked kUnchecked[] = {
    {"RegressionType", [](ModelContents& m) { m.header.svmType = EPSILON_SVR; }},
    {"PrecomputedKernel", [](ModelContents& m) { m.header.kernelType = PRECOMPUTED; }},
    {"NegativeDegree", [](ModelContents& m) { m.header.degree = -1; }},
    {"GammaNotFinite", [](ModelContents& m) { m.header.gamma = INFINITY; }},
    {"RhoNotANumber", [](ModelContents& m) { m.header.rho = NAN; }},
    {"CountsNotAddingUp", [](ModelContents& m) { ++m.header.perClass[0]; }},
    {"CoefficientNotFinite", [](ModelContents& m) { m.coefficients[1] = -INFINITY; }},
    {"FeatureBeyondTheLast", [](ModelContents& m) { m.nodes[0].index = kFeatureCount + 1; }},
    {"FeatureNumbersNotIncreasing", [](ModelContents& m) { m.nodes[1].index = m.nodes[0].index; }},
    {"FeatureValueNotFinite", [](ModelContents& m) { m.nodes[0].value = NAN; }},
    {"VectorNotEnded", [](ModelContents& m) { m.nodes.back().index = kFeatureCount; }},
    {"OneVectorTooMany", [](ModelContents& m) { m.nodes.push_back(svm_node{-1, 0.0}); }},
};

class UncheckedBinaryTest : public TrainedModel, public ::testing::WithParamInterface<Unchecked> {};

TEST_P(UncheckedBinaryTest, FailsTheModelCheckAndIsNotUsed) {
  train(true, false);
  const std::string text = readFile(path);
  ModelContents contents = parseCheckedModelText(text);
  GetParam().spoil(contents);
  EXPECT_THROW(checkModelContents(contents.view(), "the model"), platform::Failure);
  writeFile(binaryPath, encodeBinaryModel(contents.view(), text));
  ASSERT_TRUE(decodeBinaryModel(readFile(binaryPath), text));

  const LibsvmModel reference(path);
  const LoadedModelValues values = loadModelValues(path);
  EXPECT_FALSE(values.fromBinaryForm());
  expectSameAsLibsvm(values.view(), *reference.model);
}

INSTANTIATE_TEST_SUITE_P(Cases, UncheckedBinaryTest, ::testing::ValuesIn(kUnchecked),
                         [](const ::testing::TestParamInfo<Unchecked>& info) { return std::string(info.param.name); });

TEST_F(TrainedModel, ReadOnlyFolderLoadsFromTheTextEveryTime) {
  train(true, false);
  testing_support::SmallDisk disk(dir.path() / "readOnly", "4m");
  if (!disk.available()) GTEST_SKIP() << disk.skipReason();
  const std::string there = (disk.path() / "trainingModels_thing.txt").string();
  fs::copy_file(path, there);
  ASSERT_TRUE(disk.makeReadOnly());

  const LibsvmModel reference(there);
  for (int load = 0; load < 2; ++load) {
    const LoadedModelValues values = loadModelValues(there);
    EXPECT_FALSE(values.fromBinaryForm());
    expectSameAsLibsvm(values.view(), *reference.model);
  }
  EXPECT_EQ(testing_support::namesIn(disk.path()), std::vector<std::string>{"trainingModels_thing.txt"});
}

TEST_F(TrainedModel, MissingTextModelFailsEvenWithItsBinaryForm) {
  train(true, false);
  fs::remove(path);
  EXPECT_THROW(loadModelValues(path), platform::Failure);
}

}  // namespace
