// Whole runs of Tamsel in a scratch working directory, with a stand-in
// predictor of the test build first on PATH that logs its arguments, keeps a
// copy of the test data it was given and answers with numbers the test chose
// (testing/stand_ins/answering_predictor.cpp). They run the same way on every
// platform, Windows under wine included; the image argument uses the
// platform's separator.

#include <gtest/gtest.h>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <iterator>
#include <set>

#include "classifier_files.h"
#include "platform/environment.h"
#include "platform/paths.h"
#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using namespace classifier_files;
using testing_support::ProgramRun;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

constexpr const char* kBanner = "\nSVM classifier\n\nProcessing image: photo.jpg";
constexpr const char* kClosing = "\nClassification procedure is finished\nResults are saved in folder \\output\n\n";
constexpr const char* kResults = "output/classification-results.photo.jpg.ORM.xml";

// A path as Tamsel takes and writes it on this platform: every '/' its
// separator.
std::string native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::kSeparator);
  return path;
}

class TamselRun : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"conf/SVMtrainingModels", "descriptors", "output", "images/segmentationMasks"})
      fs::create_directories(work_.path() / folder);
    fs::create_directories(tools_.path() / "bin");
    fs::create_directories(tools_.path() / "answers");
    fs::copy_file(ANSWERING_PREDICTOR_PATH, tools_.path() / "bin" / platform::executableName("SVMpredictfuzzy"));
    platform::setEnvironmentVariable("STAND_IN_RECORDS", tools_.path().string());

    writeImage({0, 1}, "1");
    writeFile(work_ / "conf/concepts.txt", "concepts=2;\nconcept=sky;\nconcept=sea;\n");
    answer("sky", "0.5 0.25\n");
    answer("sea", "0\n1\n");
  }

  // The label file and the four descriptor files of images/photo.jpg, every
  // value of every region the given number text.
  void writeImage(const std::vector<std::uint8_t>& labels, const std::string& number, std::size_t blocks = 0) {
    writeLabels(work_ / "images/segmentationMasks/photo.seg", labels);
    if (blocks == 0) blocks = *std::max_element(labels.begin(), labels.end()) + 1u;
    for (DescriptorKind kind : formats::kReadingOrder)
      writeFile(work_.path() / classification::descriptorPath("photo.jpg", kind),
                descriptorXml(kind, std::vector<Block>(blocks, uniform(kind, number))));
  }

  void TearDown() override { platform::setEnvironmentVariable("STAND_IN_RECORDS", ""); }

  void answer(const std::string& concept_name, const std::string& numbers) {
    writeFile(tools_.path() / "answers" / ("trainingModels_" + concept_name + ".txt"), numbers);
  }

  std::set<std::string> files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(work_.path()))
      if (!entry.is_directory()) names.insert(fs::relative(entry.path(), work_.path()).generic_string());
    return names;
  }

  // Runs Tamsel in the working directory; returns the exit status and keeps
  // what the run added to the directory in created_, what it took away in
  // removed_.
  int run(const std::vector<std::string>& arguments = {native("images/photo.jpg"), "concepts.txt"}) {
    const std::set<std::string> before = files();
    std::vector<std::string> words{TAMSEL_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const ProgramRun result =
        testing_support::runProgramIn(work_.path(), words, tools_.path(), (tools_.path() / "bin").string());
    out_ = result.output;
    err_ = result.errors;
    const std::set<std::string> after = files();
    created_.clear();
    removed_.clear();
    std::ranges::set_difference(after, before, std::inserter(created_, created_.end()));
    std::ranges::set_difference(before, after, std::inserter(removed_, removed_.end()));
    return result.status;
  }

  const std::string& out() const { return out_; }
  const std::string& err() const { return err_; }
  std::string predictorLog() const { return readFile(tools_.path() / "predictor.log"); }
  std::string testDataSeen() const { return readFile(tools_.path() / "testDataFile.seen"); }
  std::string results() const { return readFile(work_.path() / "output/classification-results.photo.jpg.ORM.xml"); }

  TempDir work_;
  TempDir tools_;
  std::set<std::string> created_;
  std::set<std::string> removed_;
  std::string out_;
  std::string err_;
};

// "+1" and the features of a region whose descriptor files hold one number
// per kind: HT, RS, SC and EH in that order of feature numbers.
std::string testDataLine(const char* texture, const char* shape, const char* colour, const char* edges) {
  std::string line = "+1";
  for (int f = 1; f <= 433; ++f) {
    line += ' ';
    line += std::to_string(f);
    line += ':';
    line += f <= 62 ? texture : f <= 97 ? shape : f <= 353 ? colour : edges;
  }
  return line + "\n";
}

TEST_F(TamselRun, OneRegionWithSkyAndSea) {
  writeImage({0, 0, 0}, "7");
  answer("sky", "0.5");
  answer("sea", "0.123456789");
  ASSERT_EQ(run(), 0) << err();

  EXPECT_EQ(out(), std::string(kBanner) + kClosing);
  EXPECT_EQ(err(), "");
  EXPECT_EQ(predictorLog(),
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_sky.txt> <output.txt>\n"
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_sea.txt> <output.txt>\n");
  // HT 7 -> (7 - 127.5) / 127.5, RS 7 -> -0.5 / 7.5, SC 7 -> 7 / 255, EH 7 -> 1.
  EXPECT_EQ(testDataSeen(), testDataLine("-0.945098", "-0.066667", "0.027451", "1.000000"));
  EXPECT_EQ(results(),
            "<ImageAnnotation>\n"
            "<ClassificationAlgorithm>ORM-SVM-1</ClassificationAlgorithm>\n"
            "<RegionLabeling>\n"
            "<RegionNumber>0</RegionNumber>\n"
            "<Label>\n<Concept>sky</Concept>\n<Confidence>0.500000</Confidence>\n</Label>\n"
            "<Label>\n<Concept>sea</Concept>\n<Confidence>0.123457</Confidence>\n</Label>\n"
            "</RegionLabeling>\n"
            "</ImageAnnotation>\n");
  EXPECT_EQ(created_, std::set<std::string>{kResults});
  EXPECT_TRUE(removed_.empty());
}

TEST_F(TamselRun, EveryRegionForEveryConceptInListOrder) {
  writeImage({2, 0, 2}, "15");
  writeFile(work_ / "conf/concepts.txt", "n=3;\nc=blue sky;\nc=R&D;\nc=sea;\n");
  answer("blue sky", "0.1 0.2 0.3 0.4");
  answer("R&D", "0 0.75 1");
  answer("sea", "1e-7\n\n  0.5\n1\n");
  ASSERT_EQ(run(), 0) << err();

  EXPECT_EQ(predictorLog(),
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_blue sky.txt> <output.txt>\n"
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_R&D.txt> <output.txt>\n"
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_sea.txt> <output.txt>\n");
  const std::string line = testDataLine("-0.882353", "1.000000", "0.058824", "3.285714");
  EXPECT_EQ(testDataSeen(), line + line + line);

  const std::string text = results();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + 3 * (3 + 4 * 3));
  EXPECT_NE(text.find("<RegionNumber>1</RegionNumber>\n<Label>\n<Concept>blue sky</Concept>\n"
                      "<Confidence>0.200000</Confidence>\n</Label>\n<Label>\n<Concept>R&amp;D</Concept>\n"
                      "<Confidence>0.750000</Confidence>\n</Label>\n<Label>\n<Concept>sea</Concept>\n"
                      "<Confidence>0.500000</Confidence>\n</Label>\n</RegionLabeling>\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("<Confidence>0.000000</Confidence>"), std::string::npos);
  EXPECT_EQ(created_, std::set<std::string>{kResults});
}

// A concept name holding blanks, quotes and the characters a shell or the
// Windows command interpreter acts on reaches the predictor inside one
// argument and the results whole. (No answer file can bear a Windows file
// name with quotes: this one answers from answers/any.)
TEST_F(TamselRun, PassesAConceptNameWithShellCharactersWhole) {
  const std::string awkward = "R&D ^x %PATH% \"q\" it's";
  writeFile(work_ / "conf/concepts.txt", "concepts=2;\nconcept=" + awkward + ";\nconcept=sea;\n");
  fs::remove(tools_.path() / "answers/trainingModels_sky.txt");
  answer("sea", "0.25\n0.75\n");
  writeFile(tools_.path() / "answers/any", "0.5 0.5\n");
  ASSERT_EQ(run(), 0) << err();

  EXPECT_EQ(out(), std::string(kBanner) + kClosing);
  EXPECT_EQ(err(), "");
  EXPECT_EQ(predictorLog(),
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_" + awkward + ".txt> <output.txt>\n"
            "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_sea.txt> <output.txt>\n");
  EXPECT_NE(results().find("<RegionNumber>1</RegionNumber>\n<Label>\n<Concept>R&amp;D ^x %PATH% \"q\" it's</Concept>\n"
                           "<Confidence>0.500000</Confidence>\n</Label>\n<Label>\n<Concept>sea</Concept>\n"
                           "<Confidence>0.750000</Confidence>"),
            std::string::npos)
      << results();
  EXPECT_EQ(created_, std::set<std::string>{kResults});
}

TEST_F(TamselRun, ReadsConceptListsAndDescriptorFilesWithCarriageReturnLineEnds) {
  writeFile(work_ / "conf/concepts.txt", "concepts=2;\r\nconcept=sky;\r\nconcept=sea;\r\n");
  for (DescriptorKind kind : formats::kReadingOrder) {
    const fs::path path = work_.path() / classification::descriptorPath("photo.jpg", kind);
    std::string text;
    for (char c : readFile(path)) {
      if (c == '\n') text += '\r';
      text += c;
    }
    writeFile(path, text);
  }
  ASSERT_EQ(run(), 0) << err();
  EXPECT_NE(results().find("<Concept>sea</Concept>\n<Confidence>1.000000</Confidence>"), std::string::npos)
      << results();
  EXPECT_EQ(testDataSeen(), [] {
    const std::string line = testDataLine("-0.992157", "-0.866667", "0.003922", "-0.714286");
    return line + line;
  }());
}

TEST_F(TamselRun, AStoppedRunLeavesNoResultsOfAnEarlierRun) {
  writeFile(work_ / kResults, "an earlier photo's results");
  fs::remove(work_ / "descriptors/photo.jpg.SC.xml");
  EXPECT_EQ(run(), 1);
  EXPECT_FALSE(fs::exists(work_ / kResults));
}

TEST_F(TamselRun, AnswerLeftFromAnEarlierRunIsNotTaken) {
  writeFile(work_ / "output.txt", "0.9 0.9\n");
  fs::remove(tools_.path() / "answers/trainingModels_sky.txt");
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(out(), std::string(kBanner) + "cannot write!!!!!!!!!!!!!!");
  EXPECT_EQ(predictorLog(), "run <testDataFile.txt> <./conf//SVMtrainingModels/trainingModels_sky.txt> <output.txt>\n");
  EXPECT_EQ(removed_, std::set<std::string>{"output.txt"});
}

class TamselFailure;

struct FailureCase {
  const char* what;
  std::function<void(TamselFailure&)> arrange;
  std::vector<std::string> arguments;
  std::string out;
  std::string err;
  int predictorRuns;
  std::set<std::string> created;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.what; }

class TamselFailure : public TamselRun, public testing::WithParamInterface<FailureCase> {
 public:
  using TamselRun::answer;
  using TamselRun::writeImage;
  std::string at(const std::string& name) const { return work_ / name; }
  void silence(const std::string& concept_name) {
    fs::remove(tools_.path() / "answers" / ("trainingModels_" + concept_name + ".txt"));
  }
  void uninstallPredictor() {
    fs::remove(tools_.path() / "bin" / platform::executableName("SVMpredictfuzzy"));
    predictorUninstalled_ = true;
  }
  bool predictorUninstalled_ = false;
};

TEST_P(TamselFailure, StopsWithItsMessageAndLeavesNoResults) {
  const FailureCase& c = GetParam();
  if (c.arrange) c.arrange(*this);
  if (predictorUninstalled_ && testing_support::onPath("SVMpredictfuzzy"))
    GTEST_SKIP() << "a predictor is installed on PATH";
  const std::vector<std::string> usual{native("images/photo.jpg"), "concepts.txt"};
  EXPECT_EQ(run(c.arguments.empty() ? usual : c.arguments), 1);
  EXPECT_EQ(out(), c.out);
  EXPECT_EQ(err(), c.err);
  const std::string log = predictorLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), c.predictorRuns) << log;
  EXPECT_EQ(created_, c.created);
  EXPECT_EQ(removed_, std::set<std::string>{});
}

std::string afterBanner(const std::string& message) { return kBanner + message; }

INSTANTIATE_TEST_SUITE_P(
    Paths, TamselFailure,
    testing::Values(
        FailureCase{"too few arguments", nullptr, {native("images/photo.jpg")}, "",
                    "usage: Tamsel <image directory>/<image file> <concept list name>\n", 0, {}},
        FailureCase{"image name without a dot", nullptr, {native("images/photo"), "concepts.txt"},
                    "\nSVM classifier\n\nProcessing image: photo",
                    "the image name \"photo\" has no dot, so the name of its label file (the part before the first "
                    "dot) is unknown\n",
                    0, {}},
        FailureCase{"label file missing", [](auto& t) { fs::remove(t.at("images/segmentationMasks/photo.seg")); }, {},
                    afterBanner("failure in opening file " + native("images/segmentationMasks/photo.seg\n")), "", 0,
                    {}},
        FailureCase{"descriptor file missing", [](auto& t) { fs::remove(t.at("descriptors/photo.jpg.EH.xml")); }, {},
                    afterBanner("failure in reading file ./descriptors/photo.jpg.EH.xml\n"), "", 0, {}},
        FailureCase{"fewer blocks than regions", [](auto& t) { t.writeImage({0, 2}, "1", 2); }, {},
                    afterBanner(""),
                    "./descriptors/photo.jpg.HT.xml describes 2 regions, but the label file " +
                        native("images/segmentationMasks/photo.seg") + " has 3\n",
                    0, {}},
        FailureCase{"more blocks than regions", [](auto& t) { t.writeImage({0, 1}, "1", 3); }, {},
                    afterBanner(""),
                    "./descriptors/photo.jpg.HT.xml describes 3 regions, but the label file " +
                        native("images/segmentationMasks/photo.seg") + " has 2\n",
                    0, {}},
        FailureCase{"missing concept list", nullptr, {native("images/photo.jpg"), "nothing.txt", "ignored"},
                    afterBanner(""),
                    "concept list ./conf//nothing.txt not found\n", 0, {}},
        FailureCase{"a concept count the list cannot hold",
                    [](auto& t) { writeFile(t.at("conf/concepts.txt"), "concepts=2147483647;\nconcept=sky;\n"); },
                    {}, afterBanner(""),
                    "concept list ./conf//concepts.txt announces 2147483647 concepts, more than its 34 bytes can "
                    "hold\n",
                    0, {}},
        FailureCase{"a confidence that is not a number", [](auto& t) { t.answer("sky", "0.5 nan\n"); }, {},
                    afterBanner("failure in reading file output.txt\n"), "", 1, {}},
        FailureCase{"an infinite confidence", [](auto& t) { t.answer("sky", "inf 0.5\n"); }, {},
                    afterBanner("failure in reading file output.txt\n"), "", 1, {}},
        FailureCase{"a negative confidence", [](auto& t) { t.answer("sea", "0.5 -7.5\n"); }, {},
                    afterBanner("failure in reading file output.txt\n"), "", 2, {}},
        FailureCase{"a confidence above one", [](auto& t) { t.answer("sea", "42 0.5\n"); }, {},
                    afterBanner("failure in reading file output.txt\n"), "", 2, {}},
        FailureCase{"test data cannot be written", [](auto& t) { fs::create_directory(t.at("testDataFile.txt")); },
                    {}, afterBanner("cannot write!!!!!!!!!!!!!!"), "", 0, {}},
        FailureCase{"predictor leaves no output", [](auto& t) { t.silence("sky"); }, {},
                    afterBanner("cannot write!!!!!!!!!!!!!!"), "", 1, {"testDataFile.txt"}},
        FailureCase{"predictor cannot be started", [](auto& t) { t.uninstallPredictor(); }, {},
                    afterBanner("cannot write!!!!!!!!!!!!!!"),
                    "could not start " + platform::executableName("SVMpredictfuzzy") +
                        ": No such file or directory\n",
                    0, {"testDataFile.txt"}},
        FailureCase{"too few numbers", [](auto& t) { t.answer("sky", "0.5\n"); }, {},
                    afterBanner("failure in reading file output.txt\n"), "", 1, {}},
        FailureCase{"text that is no number", [](auto& t) { t.answer("sea", "0.5 high\n"); }, {},
                    afterBanner("failure in reading file output.txt\n"), "", 2, {}},
        FailureCase{"no output folder", [](auto& t) { fs::remove(t.at("output")); }, {},
                    afterBanner("cannot write!!!!!!!!!!!!!!"), "", 2, {}}),
    caseName<FailureCase>);

}  // namespace
