// Tamsel run the same way on every platform, Windows under wine included:
// the predictor is a stand-in program of the test build found on PATH, the
// image argument uses the platform's separator, and a concept name holding
// blanks and the characters a shell or the Windows command interpreter acts
// on reaches the predictor inside one argument.

#include <gtest/gtest.h>

#include <filesystem>

#include "classifier_files.h"
#include "platform/environment.h"
#include "platform/paths.h"
#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using namespace classifier_files;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

const std::string kAwkwardConcept = "R&D ^x %PATH% it's";

TEST(TamselWithAStandInPredictor, PassesConceptNamesWholeAndTakesTheAnswers) {
  TempDir work;
  TempDir tools;
  for (const char* folder : {"conf/SVMtrainingModels", "descriptors", "output", "images/segmentationMasks"})
    fs::create_directories(work.path() / folder);
  fs::create_directories(tools.path() / "bin");
  fs::copy_file(ANSWERING_PREDICTOR_PATH, tools.path() / "bin" / platform::executableName("SVMpredictfuzzy"));

  writeLabels(work / "images/segmentationMasks/photo.seg", {0, 1, 1});
  for (DescriptorKind kind : formats::kReadingOrder)
    writeFile(work.path() / classification::descriptorPath("photo.jpg", kind),
              descriptorXml(kind, std::vector<Block>(2, uniform(kind, "3"))));
  writeFile(work / "conf/concepts.txt", "concepts=2;\nconcept=" + kAwkwardConcept + ";\nconcept=sea;\n");

  const std::string log = tools / "predictor.log";
  ASSERT_TRUE(platform::setEnvironmentVariable("STAND_IN_LOG", log));
  const testing_support::ProgramRun run = testing_support::runProgramIn(
      work.path(), {TAMSEL_PATH, std::string("images") + platform::kSeparator + "photo.jpg", "concepts.txt"},
      tools.path(), (tools.path() / "bin").string());
  platform::setEnvironmentVariable("STAND_IN_LOG", "");

  ASSERT_EQ(run.status, 0) << run.output << run.errors;
  EXPECT_EQ(run.output,
            "\nSVM classifier\n\nProcessing image: photo.jpg"
            "\nClassification procedure is finished\nResults are saved in folder \\output\n\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(readFile(log), "[testDataFile.txt]\n[./conf//SVMtrainingModels/trainingModels_" + kAwkwardConcept +
                               ".txt]\n[output.txt]\n"
                               "[testDataFile.txt]\n[./conf//SVMtrainingModels/trainingModels_sea.txt]\n[output.txt]\n");
  const std::string results = readFile(work / "output/classification-results.photo.jpg.ORM.xml");
  EXPECT_NE(results.find("<RegionNumber>1</RegionNumber>\n<Label>\n<Concept>R&amp;D ^x %PATH% it's</Concept>\n"
                         "<Confidence>0.500000</Confidence>"),
            std::string::npos)
      << results;
}

}  // namespace
