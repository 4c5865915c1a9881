// The whole chain on one photo name after another: Ferrow with the real
// converter, segmenter and extractor, then Tamsel with a stand-in predictor.
// A photo that cannot be prepared must never be answered with what an
// earlier photo of the same name or base name left behind.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "testing/program_run.h"
#include "testing/small_disk.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::namesIn;
using testing_support::ProgramRun;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

const std::string kFerrow = FERROW_PATH;
constexpr const char* kResults = "output/classification-results.photo.jpg.ORM.xml";

class Chain : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kFerrow)) GTEST_SKIP() << "Ferrow is not built";
    if (!testing_support::onPath("convert")) GTEST_SKIP() << "the image converter is not installed";
    fs::create_directories(root.path() / "bin");
    const ProgramRun layout = testing_support::runProgramIn(
        root.path(), {PROJECT_SOURCE_DIR "/scripts/layout", PROJECT_BINARY_DIR, work.string()}, root.path());
    ASSERT_EQ(layout.status, 0) << layout.errors;
    if (!fs::exists(work / "lib/mpeg7DescriptorsExtraction")) GTEST_SKIP() << "the extractor is not built";
    fs::create_directories(work / "images/segmentationMasks");
    writeFile(work / "conf/chain.txt", "concepts=1;\nconcept=sky;\n");
    // One confidence of 0.5 per region.
    testing_support::writeScript(root.path() / "bin/SVMpredictfuzzy", "sed 's/.*/0.5/' \"$1\" > \"$3\"\n");
  }

  // A small photo that segments into a few regions.
  void makePhoto(const std::string& name, const char* colours) {
    const std::vector<std::string> words{"convert", "-size", "64x48", "gradient:" + std::string(colours),
                                         (work / "images" / name).string()};
    ASSERT_EQ(testing_support::runProgramIn(root.path(), words, root.path()).status, 0);
  }

  ProgramRun ferrow(const std::string& name) {
    return testing_support::runProgramIn(work, {kFerrow, "images/" + name}, root.path(), (root.path() / "bin").string());
  }
  ProgramRun tamsel(const std::string& name) {
    return testing_support::runProgramIn(work, {TAMSEL_PATH, "images/" + name, "chain.txt"}, root.path(),
                                         (root.path() / "bin").string());
  }

  // Every file whose name says it belongs to photo.jpg or to base name photo.
  std::vector<std::string> filesOfPhotoJpg() const {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
      const std::string name = entry.path().filename().string();
      if (entry.is_regular_file() && (name.find("photo.jpg") != std::string::npos || name.rfind("photo.", 0) == 0) &&
          name != "photo.jpg" && name.find("photo.png") == std::string::npos)
        found.push_back(fs::relative(entry.path(), work).string());
    }
    return found;
  }

  TempDir root;
  fs::path work = root.path() / "work";
};

struct BadPhoto {
  const char* name;
  std::function<void(const fs::path& photo)> make;
};

class ChainAfterGoodPhotos : public Chain, public ::testing::WithParamInterface<BadPhoto> {};

TEST_P(ChainAfterGoodPhotos, ABadPhotoStopsBothProgramsAndNothingEarlierPassesForIt) {
  makePhoto("photo.jpg", "red-blue");
  ASSERT_EQ(ferrow("photo.jpg").status, 0);
  ASSERT_EQ(tamsel("photo.jpg").status, 0);
  makePhoto("photo.png", "yellow-green");
  ASSERT_EQ(ferrow("photo.png").status, 0);
  ASSERT_EQ(tamsel("photo.png").status, 0);
  ASSERT_TRUE(fs::exists(work / kResults));

  const fs::path photo = work / "images/photo.jpg";
  fs::remove(photo);
  GetParam().make(photo);

  const ProgramRun prepared = ferrow("photo.jpg");
  EXPECT_EQ(prepared.status, 1);
  const std::string line = prepared.errors.substr(prepared.errors.rfind('\n', prepared.errors.size() - 2) + 1);
  EXPECT_EQ(line.rfind("Ferrow: converting: ", 0), 0u) << prepared.errors;
  EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;

  const ProgramRun classified = tamsel("photo.jpg");
  EXPECT_EQ(classified.status, 1);
  EXPECT_EQ(classified.output,
            "\nSVM classifier\n\nProcessing image: photo.jpgfailure in opening file "
            "images/segmentationMasks/photo.seg\n");
  EXPECT_FALSE(fs::exists(work / kResults));
  EXPECT_EQ(filesOfPhotoJpg(), std::vector<std::string>{}) << "left for photo.jpg";
  EXPECT_TRUE(fs::exists(work / "output/classification-results.photo.png.ORM.xml"));
  EXPECT_EQ(namesIn(work), (std::vector<std::string>{"conf", "descriptors", "images", "lib", "output"}));
}

INSTANTIATE_TEST_SUITE_P(
    BadPhotos, ChainAfterGoodPhotos,
    ::testing::Values(BadPhoto{"missing", [](const fs::path&) {}},
                      BadPhoto{"empty", [](const fs::path& p) { writeFile(p, ""); }},
                      BadPhoto{"notAnImage", [](const fs::path& p) { writeFile(p, "these are no pixels\n"); }},
                      BadPhoto{"truncated",
                               [](const fs::path& p) {
                                 const std::string png = readFile(p.parent_path() / "photo.png");
                                 writeFile(p, png.substr(0, 60));
                               }},
                      BadPhoto{"aFolder", [](const fs::path& p) { fs::create_directory(p); }}),
    [](const auto& info) { return std::string(info.param.name); });

// Two photos sharing a base name share the label file: the descriptor files
// of the one are refused with the label file of the other when their region
// counts differ.
TEST_F(Chain, DescriptorsOfAnotherSegmentationAreRefused) {
  makePhoto("a.b.jpg", "red-blue");
  ASSERT_EQ(ferrow("a.b.jpg").status, 0);
  writeFile(work / "images/segmentationMasks/a.seg",
            "P5\n# Created by qlix\n64 48\n255\n" + std::string(64 * 48 - 1, '\0') + '\x0b');
  const ProgramRun classified = tamsel("a.b.jpg");
  EXPECT_EQ(classified.status, 1);
  EXPECT_NE(classified.errors.find("describes"), std::string::npos) << classified.errors;
  EXPECT_NE(classified.errors.find("has 12\n"), std::string::npos) << classified.errors;
  EXPECT_FALSE(fs::exists(work / "output/classification-results.a.b.jpg.ORM.xml"));
}

// Every file the chain writes, on a full disk and on a read-only one: exit
// status 1, one line, and no file cut short under its final name.
struct DiskCase {
  const char* name;
  const char* program;   // "Ferrow" or "Tamsel"
  const char* folder;    // what lies on the small disk ("" for the working directory)
  bool readOnly;
  const char* message;   // the start of the run's last line
  const char* stream;    // "out" or "err"
};

class ChainOnABadDisk : public Chain, public ::testing::WithParamInterface<DiskCase> {};

TEST_P(ChainOnABadDisk, StopsWithOneLineAndLeavesNoPartialFile) {
  const DiskCase& c = GetParam();
  makePhoto("photo.jpg", "red-blue");
  if (std::string(c.program) == "Tamsel") {
    ASSERT_EQ(ferrow("photo.jpg").status, 0);
  }

  // The folder moves onto a small disk of its own, with what it held.
  const fs::path folder = std::string(c.folder).empty() ? work : work / c.folder;
  const auto disk = testing_support::smallDiskInPlaceOf(folder, root.path() / "saved");
  if (!disk->available()) GTEST_SKIP() << disk->skipReason();
  if (c.readOnly) {
    ASSERT_TRUE(disk->makeReadOnly());
  } else {
    disk->fill();
  }
  const std::vector<std::string> before = namesIn(folder);

  const ProgramRun run = std::string(c.program) == "Ferrow" ? ferrow("photo.jpg") : tamsel("photo.jpg");
  EXPECT_EQ(run.status, 1) << run.output << run.errors;
  const std::string& text = std::string(c.stream) == "out" ? run.output : run.errors;
  const std::size_t lineStart = text.rfind('\n', text.size() >= 2 ? text.size() - 2 : 0);
  const std::string line = lineStart == std::string::npos ? text : text.substr(lineStart + 1);
  EXPECT_NE(line.find(c.message), std::string::npos) << "out: " << run.output << "\nerr: " << run.errors;
  for (const std::string& name : namesIn(folder)) {
    EXPECT_EQ(name.find(".writing-"), std::string::npos) << "temporary file left: " << name;
    if (std::find(before.begin(), before.end(), name) == before.end()) {
      // A file the run added must be complete: only whole masks may stay.
      EXPECT_EQ(name.rfind("RegionMask.", 0), 0u) << name << " added to " << c.folder;
    }
  }
  EXPECT_FALSE(fs::exists(work / kResults));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ChainOnABadDisk,
    ::testing::Values(
        DiskCase{"ferrowImagesFull", "Ferrow", "images", false, "Ferrow: converting: ", "err"},
        DiskCase{"ferrowDescriptorsFull", "Ferrow", "descriptors", false, "Ferrow: filing the descriptor files: ",
                 "err"},
        DiskCase{"ferrowDescriptorsReadOnly", "Ferrow", "descriptors", true, "Ferrow: filing the descriptor files: ",
                 "err"},
        DiskCase{"ferrowMasksFull", "Ferrow", "images/segmentationMasks", false, "failure in closing file images//"
                 "segmentationMasks/RegionMask.photo.jpg.0.pgm", "out"},
        DiskCase{"ferrowMasksReadOnly", "Ferrow", "images/segmentationMasks", true,
                 "failure in opening file images//segmentationMasks/RegionMask.photo.jpg.0.pgm", "out"},
        DiskCase{"tamselOutputFull", "Tamsel", "output", false, "cannot write!!!!!!!!!!!!!!", "out"},
        DiskCase{"tamselOutputReadOnly", "Tamsel", "output", true, "cannot write!!!!!!!!!!!!!!", "out"}),
    [](const auto& info) { return std::string(info.param.name); });

// The real converter is handed names that it would otherwise read as a
// format prefix, a pattern or a frame selection: it converts exactly the named
// file, next to it, and writes nothing anywhere else.
class ConverterNames : public Chain, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(ConverterNames, ConvertsExactlyTheNamedFile) {
  const auto [folder, name] = GetParam();
  fs::create_directories(work / folder / "segmentationMasks");
  makePhoto("photo.png", "red-blue");
  fs::rename(work / "images/photo.png", work / folder / name);
  const std::vector<std::string> rootBefore = namesIn("/");
  const ProgramRun run = testing_support::runProgramIn(work, {kFerrow, std::string(folder) + "/" + name}, root.path(),
                                                       (root.path() / "bin").string());
  EXPECT_EQ(run.status, 0) << run.output << run.errors;
  const std::string base = std::string(name).substr(0, std::string(name).find('.'));
  EXPECT_TRUE(fs::exists(work / folder / (base + ".ppm"))) << run.errors;
  EXPECT_EQ(namesIn("/"), rootBefore);
}

INSTANTIATE_TEST_SUITE_P(Names, ConverterNames,
                         ::testing::Values(std::pair{"jpg:", "x.jpg"}, std::pair{"images", "p[1].jpg"},
                                           std::pair{"images", "%d.jpg"}, std::pair{"images", "*.jpg"}),
                         [](const auto& info) { return std::string(info.index == 0 ? "formatPrefix" : info.index == 1 ? "frames" : info.index == 2 ? "number" : "pattern"); });

}  // namespace
