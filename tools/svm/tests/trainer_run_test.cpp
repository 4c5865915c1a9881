// trainConcepts end to end on a few shared photos: Ferrow prepares them in a
// working directory laid out from this build, the regions whose points
// disagree are left out, the models and the concept list land in conf/, and
// a second run reuses what Ferrow left. Then a run that cannot start Ferrow,
// which runs on Windows too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "classification/concept_list.h"
#include "testing/program_run.h"
#include "testing/test_files.h"
#include "tools/svm/concept_svm.h"
#include "tools/svm/group_scaling.h"

namespace {

using testing_support::readFile;
using testing_support::sharedData;
using testing_support::TempDir;

const std::vector<std::string> kPhotos{"gc_chambord.jpg", "lxqt_not_windows_hills.jpg", "gc_horses_prairie.jpg",
                                       "gc_victoria_memorial.jpg"};
// Every point of this photo is given twice, once with its own concept and
// once as "decoy", so none of its regions has a two-thirds majority.
const std::string kDecoyPhoto = "gc_colosseum.jpg";

int countOf(const std::string& text, const std::string& part) {
  int count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// The shared label rows of the photos above, plus the decoys.
std::string pointFile() {
  std::ifstream in(sharedData() / "labels/points.tsv");
  std::string line;
  std::string result = "# image\tx\ty\tconcept\n";
  while (std::getline(in, line)) {
    const std::string image = line.substr(0, line.find('\t'));
    if (std::find(kPhotos.begin(), kPhotos.end(), image) != kPhotos.end()) result += line + "\n";
    if (image == kDecoyPhoto) {
      result += line + "\n";
      result += line.substr(0, line.rfind('\t')) + "\tdecoy\n";
    }
  }
  return result;
}

// Runs the trainer in `dir` with `arguments`.
testing_support::ProgramRun train(const TempDir& dir, const std::vector<std::string>& arguments) {
  std::vector<std::string> words{TRAINER_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  return testing_support::runProgramIn(dir.path(), words, dir.path());
}

TEST(TrainerRunTest, TrainsModelsFromPhotosAndReusesFerrowsResults) {
#ifdef _WIN32
  // Every test that prepares real photos is Linux-only for the same reason;
  // a layout program for Windows would not make this one run.
  GTEST_SKIP() << "Ferrow's converter has no Windows build here, and the working directory is laid out by "
                  "scripts/layout, a bash script";
#endif
  if (!std::filesystem::exists(sharedData() / "labels/points.tsv")) GTEST_SKIP() << "no shared photos";
  if (!testing_support::onPath("convert")) GTEST_SKIP() << "the image converter is not installed";
  TempDir dir;
  const std::string work = dir / "work";
  ASSERT_EQ(testing_support::runProgramIn(dir.path(), {"bash", PROJECT_SOURCE_DIR "/scripts/layout", PROJECT_BINARY_DIR, work},
                                          dir.path())
                .status,
            0);
  testing_support::writeFile(dir / "points.tsv", pointFile());

  const std::vector<std::string> arguments{dir / "points.tsv", (sharedData() / "photos").string(), work, "--folds", "2",
                                           "--ferrow", FERROW_PATH};
  const testing_support::ProgramRun first = train(dir, arguments);
  ASSERT_EQ(first.status, 0) << first.errors;
  const std::string progress = first.errors;
  EXPECT_EQ(countOf(progress, ": prepared,"), 5) << progress;
  EXPECT_GE(countOf(progress, "gc_colosseum.jpg region"), 1) << progress;
  EXPECT_NE(progress.find("left out: its points disagree (building"), std::string::npos) << progress;
  const std::string table = first.output;
  EXPECT_NE(table.find("overall top-1 accuracy"), std::string::npos) << table;

  // The concept list names exactly the concepts of labelled regions; each
  // has a model that loads and its group scaling.
  const std::vector<std::string> concepts = classification::readConceptList(work + "/conf/concepts.txt");
  EXPECT_EQ(std::set<std::string>(concepts.begin(), concepts.end()),
            (std::set<std::string>{"sky", "vegetation", "building", "animal"}));
  for (const std::string& name : concepts) {
    const std::string model = work + "/conf/SVMtrainingModels/trainingModels_" + name + ".txt";
    EXPECT_TRUE(svm_tools::ConceptSvm::load(model).hasProbabilities()) << name;
    EXPECT_NO_THROW(svm_tools::readGroupScaling(svm_tools::scalingPathFor(model))) << name;
    EXPECT_NE(table.find(name), std::string::npos) << table;
  }

  const testing_support::ProgramRun second = train(dir, arguments);
  ASSERT_EQ(second.status, 0) << second.errors;
  EXPECT_EQ(countOf(second.errors, ": reused,"), 5);
  EXPECT_EQ(second.output, table);

  // With both augmentations every photo gets three copies, prepared once
  // beside the photo's own results; the table counts their regions and
  // gives the nested figure.
  const testing_support::ProgramRun augmented =
      train(dir, {dir / "points.tsv", (sharedData() / "photos").string(), work, "--folds", "2", "--deals", "1", "--costs",
                  "1", "--gammas", "1", "--shares", "4:1:1:1", "--nested", "--mirror", "--region-limits", "6", "--ferrow",
                  FERROW_PATH});
  ASSERT_EQ(augmented.status, 0) << augmented.errors;
  const std::string copies = augmented.errors;
  EXPECT_EQ(countOf(copies, ": reused,"), 5) << copies;
  for (const char* copy : {"  mirrored-gc_chambord.png: prepared,", "  limit6-gc_chambord.jpg: prepared,",
                           "  limit6-mirrored-gc_chambord.png: prepared,"}) {
    EXPECT_EQ(countOf(copies, copy), 1) << copies;
  }
  const std::string augmentedTable = augmented.output;
  EXPECT_NE(augmentedTable.find("augmented copies (mirrored, region limit 6): 15 used"), std::string::npos)
      << augmentedTable;
  EXPECT_NE(augmentedTable.find("nested cross-validation"), std::string::npos) << augmentedTable;
  EXPECT_TRUE(std::filesystem::exists(work + "/descriptors/limit6-mirrored-gc_chambord.png.EH.xml"));
}

TEST(TrainerRunTest, SkipsAMissingPhotoAndStopsWhenFerrowCannotStart) {
  TempDir dir;
  testing_support::writeFile(dir / "points.tsv", "nosuch.jpg\t1\t1\tsky\nthere.jpg\t1\t1\tsky\n");
  testing_support::writeFile(dir / "there.jpg", "not really a photo");
  std::filesystem::create_directory(dir / "work");
  const testing_support::ProgramRun run =
      train(dir, {dir / "points.tsv", dir.path().string(), dir / "work", "--ferrow", dir / "no-ferrow"});
  EXPECT_EQ(run.status, 1);
  const std::string error = run.errors;
  EXPECT_NE(error.find("[1/2] nosuch.jpg: skipped: cannot copy the photo"), std::string::npos) << error;
  EXPECT_NE(error.find("cannot start " + (dir / "no-ferrow") + "\n"), std::string::npos) << error;
  EXPECT_EQ(error.find("[2/2]"), std::string::npos) << error;
  EXPECT_EQ(run.output, "");
}

}  // namespace
