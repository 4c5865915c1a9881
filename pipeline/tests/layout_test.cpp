// scripts/layout on a stand-in build: what it lays out, and that running it
// again keeps what is there.

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ProgramRun;
using testing_support::writeScript;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

ProgramRun layout(const TempDir& root, const fs::path& build, const fs::path& target) {
  return testing_support::runProgramIn(root.path(), {PROJECT_SOURCE_DIR "/scripts/layout", build.string(), target.string()},
                                       root.path());
}

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A stand-in build: the segmenter and the extractor at their places, as
// scripts that say what they are, named as the platform builds them
// (`extension` ".exe" for a Windows build).
fs::path standInBuild(const TempDir& root, const std::string& extension = "") {
  const fs::path build = root.path() / "build";
  fs::create_directories(build / "segmentation");
  fs::create_directories(build / "tools/descriptors");
  writeScript(build / ("segmentation/Zorvik" + extension), "echo segmenter\n");
  writeScript(build / ("tools/descriptors/mpeg7DescriptorsExtraction" + extension), "echo extractor\n");
  return build;
}

TEST(Layout, LaysOutTheWorkingDirectoryAndCanRunAgain) {
  TempDir root;
  const fs::path build = standInBuild(root);
  const fs::path work = root.path() / "work";

  ProgramRun run = layout(root, build, work);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(namesIn(work), (std::vector<std::string>{"conf", "descriptors", "lib", "output"}));
  EXPECT_EQ(readFile(work / "lib/Zorvik"), "#!/bin/sh\necho segmenter\n");
  EXPECT_EQ(access((work / "lib/mpeg7DescriptorsExtraction").c_str(), X_OK), 0);
  EXPECT_TRUE(fs::is_directory(work / "conf/SVMtrainingModels"));
  const fs::path parfiles = fs::path(PROJECT_SOURCE_DIR) / "tools/descriptors/parfiles";
  if (fs::exists(parfiles)) {
    EXPECT_EQ(namesIn(work / "lib/Parfiles"), namesIn(parfiles));
  }

  writeFile(work / "output/results.xml", "kept");
  writeScript(build / "segmentation/Zorvik", "echo newer segmenter\n");
  run = layout(root, build, work);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(readFile(work / "output/results.xml"), "kept");
  EXPECT_EQ(readFile(work / "lib/Zorvik"), "#!/bin/sh\necho newer segmenter\n");
}

// A Windows build's programs keep their ".exe", as Ferrow starts them there.
TEST(Layout, LaysOutTheProgramsOfAWindowsBuild) {
  TempDir root;
  const fs::path work = root.path() / "work";
  const ProgramRun run = layout(root, standInBuild(root, ".exe"), work);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(namesIn(work / "lib"),
            (std::vector<std::string>{"Parfiles", "Zorvik.exe", "mpeg7DescriptorsExtraction.exe"}));
  EXPECT_EQ(readFile(work / "lib/Zorvik.exe"), "#!/bin/sh\necho segmenter\n");
}

TEST(Layout, RefusesABuildWithoutTheSegmenter) {
  TempDir root;
  fs::create_directories(root.path() / "build");
  const ProgramRun run = layout(root, root.path() / "build", root.path() / "work");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("Zorvik"), std::string::npos) << run.errors;
}

}  // namespace
