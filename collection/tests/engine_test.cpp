// The chain in this process against the programs: every photo normalised
// into two job slots, Ferrow then Tamsel started in one, the in-process chain
// run in the other (one chain for the whole series, so its models serve many
// photos), and every file the two leave compared byte for byte: the photo,
// the label file, every mask, the four descriptor files and the results file.
// Photos that fail sit in the middle of the series: they fail alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "collection/chain.h"
#include "collection/normalise.h"
#include "collection/photo_job.h"
#include "collection/run.h"
#include "engine_support.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::writeFile;
using namespace engine_support;

const collection::ImageLibrary& library() {
  static const collection::ImageLibrary started(nullptr);
  return started;
}

// A photo of the series: a file to normalise, or the bytes of the slot's
// PPM itself (for PPMs the normalisation would refuse).
struct Photo {
  std::string name;
  fs::path file;
  std::string ppm;
};

std::vector<Photo> photosIn(const fs::path& folder, std::size_t most) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".jpg") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  if (files.size() > most) files.resize(most);
  std::vector<Photo> photos;
  for (const fs::path& file : files) photos.push_back({file.filename().string(), file, ""});
  return photos;
}

std::vector<Photo> samplePhotos() { return photosIn(fs::path(PROJECT_SOURCE_DIR) / "samples", 100); }

std::string ppm(int width, int height, const std::string& raster) {
  return "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n" + raster;
}

class EngineTest : public testing::Test {
 protected:
  EngineTest() : programs_(scratch_.path() / "programs"), engine_(scratch_.path() / "engine") {
    library();
    collection::putFirstOnPath(fs::path(PREDICTOR_PATH).parent_path().string());
    fs::create_directories(programs_);
    fs::create_directories(engine_);
    collection::prepareSlot(buildTreeSettings(), programs_);
    chain_->prepare(engine_);
  }

  // The slot as a job leaves it for the chain: the photo's files gone, the
  // folders the programs expect in place, the photo's PPM written.
  static void putPhoto(const fs::path& slot, const Photo& photo) {
    clearSlot(slot);
    if (photo.ppm.empty())
      collection::normalisePhoto(photo.file.string(), photo.name, (slot / collection::kNormalised).string(),
                                 collection::kLongerSide);
    else
      writeFile(slot / collection::kNormalised, photo.ppm);
  }

  std::string runPrograms(const Photo& photo) {
    putPhoto(programs_, photo);
    return engine_support::runPrograms(programs_, scratch_.path());
  }

  // The in-process chain in its slot; empty when it succeeded, else its reason.
  std::string runEngine(const Photo& photo) {
    putPhoto(engine_, photo);
    try {
      chain_->run(engine_);
    } catch (const std::exception& failure) {
      return failure.what();
    }
    return "";
  }

  // Runs the series through both chains; a photo must succeed in both and
  // leave the same files, or fail in both.
  void compareSeries(const std::vector<Photo>& photos) {
    for (const Photo& photo : photos) {
      SCOPED_TRACE(photo.name);
      const std::string programFailure = runPrograms(photo);
      const std::string engineFailure = runEngine(photo);
      if (!programFailure.empty()) {
        EXPECT_NE(engineFailure, "") << "the programs failed (" << programFailure << "), the engine did not";
        EXPECT_EQ(engineFailure.find('\n'), std::string::npos) << engineFailure;
        continue;
      }
      ASSERT_EQ(engineFailure, "");
      const std::map<std::string, std::string> expected = chainFiles(programs_);
      const std::map<std::string, std::string> made = chainFiles(engine_);
      ASSERT_TRUE(expected.count(collection::kLabels) && expected.count(collection::kResults));
      EXPECT_GE(expected.size(), 8u);
      for (const auto& [name, bytes] : expected) {
        const auto found = made.find(name);
        if (found == made.end()) {
          ADD_FAILURE() << "the engine left no " << name;
        } else {
          EXPECT_TRUE(found->second == bytes) << name << " differs";
        }
      }
      for (const auto& [name, bytes] : made)
        EXPECT_TRUE(expected.count(name)) << "only the engine left " << name;
    }
  }

  testing_support::TempDir scratch_;
  fs::path programs_;
  fs::path engine_;
  std::unique_ptr<collection::Chain> chain_ = collection::inProcessChain(buildTreeSettings());
};

TEST_F(EngineTest, TheSamplesGiveTheProgramsFiles) { compareSeries(samplePhotos()); }

TEST_F(EngineTest, SharedPhotosGiveTheProgramsFiles) {
  const fs::path shared = testing_support::sharedData() / "photos";
  if (!fs::is_directory(shared)) GTEST_SKIP() << "no shared photos in " << shared << "; this test needs ../shared";
  compareSeries(photosIn(shared, 4));
}

// A photo that cannot be read fails alone, with one line; the photo after it
// comes out as from the programs. Those the programs annotate (a tiny one,
// one of a single colour) the engine annotates alike.
TEST_F(EngineTest, PhotosThatFailFailAlone) {
  const std::vector<Photo> samples = samplePhotos();
  ASSERT_GE(samples.size(), 3u);
  const Photo truncated{"truncated", "", ppm(64, 64, std::string(100, 'x'))};
  const Photo notAnImage{"not an image", "", "hello\n"};
  std::string pattern;
  for (int i = 0; i < 16; ++i) pattern += {static_cast<char>(i * 16), static_cast<char>(255 - i * 16), '\x40'};
  const Photo tiny{"4 x 4", "", ppm(4, 4, pattern)};
  std::string grey;
  for (int i = 0; i < 80 * 60; ++i) grey += "\x7f\x7f\x7f";
  const Photo oneColour{"one colour", "", ppm(80, 60, grey)};
  compareSeries({samples[0], truncated, samples[1], notAnImage, tiny, oneColour, samples[2]});

  putPhoto(engine_, truncated);
  try {
    chain_->run(engine_);
    ADD_FAILURE() << "a truncated photo was annotated";
  } catch (const std::exception& failure) {
    const std::string reason = failure.what();
    // The photo named as the programs name it, relative to the slot.
    EXPECT_EQ(reason.rfind("reading the photo: images/photo.ppm: ", 0), 0u) << reason;
    EXPECT_NE(reason.find("fewer than"), std::string::npos) << reason;
  }
}

// A model that does not load fails the photo with the predictor's line naming
// it; once the model is mended the same chain annotates the next photo as the
// programs do.
TEST_F(EngineTest, AModelThatDoesNotLoadFailsThePhotoWithItsName) {
  const std::vector<Photo> samples = samplePhotos();
  const fs::path model = engine_ / "conf/SVMtrainingModels/trainingModels_sky.txt";
  ASSERT_TRUE(fs::is_regular_file(model));
  const std::string good = readFile(model);
  writeFile(model, "svm_type c_svc\nkernel_type nonsense\n");
  const std::string reason = runEngine(samples[0]);
  EXPECT_EQ(reason.rfind("classifying: ", 0), 0u) << reason;
  EXPECT_NE(reason.find("conf//SVMtrainingModels/trainingModels_sky.txt"), std::string::npos) << reason;
  EXPECT_EQ(reason.find(engine_.string()), std::string::npos) << reason;
  EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
  EXPECT_FALSE(fs::exists(engine_ / collection::kResults));

  writeFile(model, good);
  compareSeries({samples[1]});
}

}  // namespace
