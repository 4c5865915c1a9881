// annotate end to end on the sample photos: the same answers as hand runs,
// resuming after SIGKILL, awkward names, bad photos, normalisation and the
// installed command.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "batch_support.h"
#include "collection/overlay.h"
#include "collection/record.h"
#include "collection/regions.h"
#include "imaging/label_reader.h"

using namespace batch_support;
using collection::readWholeFile;

namespace {

// About ten photos: the samples and, when the shared data folder is there,
// three of its photos in a subfolder (credits in samples/SOURCES.md and
// ../shared/photos/SOURCES.md).
fs::path tenPhotos() {
  static const fs::path folder = [] {
    const fs::path photos = freshFolder("ten-photos");
    keepCredits(photos);
    for (const fs::path& photo : samplePhotos()) fs::copy_file(photo, photos / photo.filename());
    const fs::path shared = fs::path(SHARED_DATA_DIR) / "photos";
    if (fs::is_directory(shared)) {
      fs::create_directories(photos / "shared");
      for (const char* name : {"gc_alpaca.jpg", "enl_mountain.jpg", "enl_snow_trees.jpg"})
        if (fs::exists(shared / name)) fs::copy_file(shared / name, photos / "shared" / name);
    }
    return photos;
  }();
  return folder;
}

// One uninterrupted batch of tenPhotos() with -j 2 and `engine` ("" for the
// default), made once.
const fs::path& batchOf(const std::string& engine) {
  static std::map<std::string, fs::path> outputs;
  if (!outputs.count(engine)) {
    const fs::path out = freshFolder("reference-out-" + (engine.empty() ? std::string("default") : engine));
    std::vector<std::string> options = engineOptions(engine);
    options.insert(options.end(), {"-j", "2"});
    const auto result = annotate(options, tenPhotos(), out);
    EXPECT_EQ(result.status, 0) << result.output;
    outputs[engine] = out;
  }
  return outputs.at(engine);
}

const fs::path& referenceBatch() { return batchOf(kEngine); }

std::vector<std::string> photoNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.is_regular_file() && entry.path().extension() != ".md")
      names.push_back(fs::relative(entry.path(), folder).string());
  std::sort(names.begin(), names.end());
  return names;
}

class EveryEngine : public testing::TestWithParam<std::string> {};

TEST_P(EveryEngine, PublishesTablesOverlaysAndTheReportWithTheAnswersOfHandRuns) {
  const fs::path& output = batchOf(GetParam());
  const auto images = imagesByPhoto(output);
  const auto names = photoNames(tenPhotos());
  ASSERT_EQ(images.size(), names.size());
  const fs::path work = freshFolder("hand-run");
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_EQ(images.count(name), 1u);
    EXPECT_EQ(images.at(name)[1], "annotated");
    EXPECT_TRUE(collection::isComplete(output / name));
    EXPECT_TRUE(fs::is_regular_file(output / name / "overlay.png"));
    const HandRun hand = handRun(tenPhotos() / name, work);
    EXPECT_FALSE(hand.labels.empty());
    EXPECT_TRUE(readWholeFile(output / name / "labels.seg") == hand.labels) << "label file differs from a hand run";
    EXPECT_EQ(readWholeFile(output / name / "results.xml"), hand.results);
  }
  const auto regions = table(output / "regions.csv");
  ASSERT_GT(regions.size(), names.size());
  EXPECT_EQ(regions[0][0], "photo");
  EXPECT_EQ(regions[0][8], "best_concept");
  EXPECT_EQ(regions[0].size(), 10u + 8u) << "one column per bundled concept";
  const std::string report = readWholeFile(output / "report.html");
  EXPECT_NE(report.find("gc_chambord.jpg/overlay.png"), std::string::npos);
  EXPECT_NE(report.find("data-concept=\"sky\""), std::string::npos);
  if (GetParam() != "programs") {
    const auto expected = publishedFiles(batchOf("programs"));
    const auto actual = publishedFiles(output);
    EXPECT_EQ(actual.size(), expected.size());
    for (const auto& [name, content] : expected) {
      ASSERT_EQ(actual.count(name), 1u) << name;
      EXPECT_TRUE(actual.at(name) == content) << name << " differs from the programs' batch";
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Batch, EveryEngine, testing::ValuesIn(kEngines), [](const auto& engine) {
  return engine.param.empty() ? std::string("default") : engine.param == "programs" ? std::string("programs") : "other";
});

// Starts annotate in a process group of its own, kills the whole group with
// SIGKILL once `published` photos are published, and waits for it.
void killHalfWay(const fs::path& photos, const fs::path& output, int published) {
  std::vector<std::string> words = {ANNOTATE_PATH};
  for (const std::string& option : engineOptions(kEngine)) words.push_back(option);
  words.insert(words.end(), {"-j", "1", photos.string(), output.string()});
  std::vector<char*> arguments;
  for (std::string& word : words) arguments.push_back(word.data());
  arguments.push_back(nullptr);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setpgid(0, 0);
    execv(ANNOTATE_PATH, arguments.data());
    _exit(127);
  }
  setpgid(child, child);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
  for (;;) {
    int done = 0;
    for (const std::string& name : photoNames(photos)) done += collection::isComplete(output / name) ? 1 : 0;
    if (done >= published || std::chrono::steady_clock::now() > deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(-child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
}

// The samples, and copies of them in again/: fourteen photos, which with
// -j 1 go four to a job. The kill comes when six are published: the first
// job has ended and is logged, the second has published two photos and is
// stopped before it ends and before GNU parallel logs it.
TEST(Batch, ResumesAfterSigkillWithIdenticalFilesAndRedoesNothingFinished) {
  const fs::path photos = freshFolder("resume-photos");
  keepCredits(photos);
  fs::create_directories(photos / "again");
  for (const fs::path& photo : samplePhotos()) {
    fs::copy_file(photo, photos / photo.filename());
    fs::copy_file(photo, photos / "again" / photo.filename());
  }
  const fs::path output = freshFolder("resume-out");
  killHalfWay(photos, output, 6);
  const std::vector<std::string> names = photoNames(photos);
  std::set<std::string> doneAtKill;
  for (const std::string& name : names)
    if (collection::isComplete(output / name)) doneAtKill.insert("./" + name);
  const auto loggedAtKill = jobLog(output);
  const auto result = annotate({"-j", "2"}, photos, output);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find(std::to_string(doneAtKill.size()) + " skipped as done"), std::string::npos)
      << result.output;

  std::map<std::string, std::string> expected;
  for (const auto& [name, content] : publishedFiles(referenceBatch())) {
    if (name.find('/') != name.rfind('/')) continue;  // the reference's subfolder
    expected[name] = content;
    expected["again/" + name] = content;
  }
  const auto actual = publishedFiles(output);
  EXPECT_EQ(actual.size(), expected.size());
  for (const auto& [name, content] : expected) {
    ASSERT_EQ(actual.count(name), 1u) << name;
    EXPECT_TRUE(actual.at(name) == content) << name << " differs from the uninterrupted batch";
  }

  const auto namedAtKill = jobsNaming(loggedAtKill);
  for (const LoggedJob& job : loggedAtKill) EXPECT_EQ(job.photos.size(), 4u) << "four photos a job";
  EXPECT_TRUE(std::any_of(doneAtKill.begin(), doneAtKill.end(), [&](const std::string& photo) {
    return !namedAtKill.count(photo);
  })) << "a photo published by the killed job, which has no job log line";
  const auto jobs = jobLog(output);
  const auto rerun = jobsNaming(jobs, loggedAtKill.size());
  const auto all = jobsNaming(jobs);
  for (const std::string& name : names) {
    const std::string photo = "./" + name;
    SCOPED_TRACE(photo);
    EXPECT_EQ(rerun.count(photo), doneAtKill.count(photo) ? 0u : 1u) << "the rerun does what was not done, only that";
    EXPECT_LE(all.count(photo) ? all.at(photo) : 0, 1) << "done once, not twice";
  }
}

TEST(Batch, AwkwardNamesAndEqualNamesInTwoFoldersStayApart) {
  const fs::path photos = freshFolder("names-photos");
  keepCredits(photos);
  const auto samples = samplePhotos();
  const std::vector<std::string> names = {"a b/it's \"quoted\".jpg", "$(touch injected).jpg", "-leading dash.JPG",
                                          "ünïcødé/fötö.jpeg", "many.dots.in.the.name.jpg", "x/same.jpg", "y/same.jpg"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    fs::create_directories((photos / names[i]).parent_path());
    fs::copy_file(samples[i % samples.size()], photos / names[i]);
  }
  const fs::path output = freshFolder("names-out");
  // One slot: the seven photos go two to a job, the names passed on together.
  const auto result = annotate({"-j", "1"}, photos, output);
  EXPECT_EQ(result.status, 0) << result.output;
  const auto jobs = jobLog(output);
  EXPECT_EQ(jobs.size(), 4u);
  std::map<std::string, int> expectedNames;
  for (const std::string& name : names) expectedNames["./" + name] = 1;
  EXPECT_EQ(jobsNaming(jobs), expectedNames);
  const auto images = imagesByPhoto(output);
  EXPECT_EQ(images.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    ASSERT_EQ(images.count(names[i]), 1u);
    EXPECT_EQ(images.at(names[i])[1], "annotated");
    const std::string sample = samples[i % samples.size()].filename().string();
    EXPECT_EQ(readWholeFile(output / names[i] / "results.xml"), readWholeFile(referenceBatch() / sample / "results.xml"));
  }
  EXPECT_NE(readWholeFile(output / "x/same.jpg/results.xml"), readWholeFile(output / "y/same.jpg/results.xml"));
  EXPECT_FALSE(fs::exists(photos / "injected"));
  EXPECT_FALSE(fs::exists(output / "injected"));
  EXPECT_FALSE(fs::exists(fs::current_path() / "injected"));
}

TEST(Batch, BadPhotosFailWithTheirMessagesAndAreTriedAgain) {
  const fs::path photos = freshFolder("bad-photos");
  keepCredits(photos);
  const auto samples = samplePhotos();
  fs::copy_file(samples[0], photos / "good.jpg");
  collection::writeFile(photos / "empty.jpg", "");
  collection::writeFile(photos / "text.jpg", "this is not a photo\n");
  const std::string whole = readWholeFile(samples[1]);
  collection::writeFile(photos / "truncated.jpg", whole.substr(0, whole.size() / 3));
  ASSERT_EQ(run(photos, {"convert", "-size", "4x4", "xc:red", "tiny.png"}).status, 0);
  const fs::path output = freshFolder("bad-out");
  // One slot, two photos a job: good.jpg after empty.jpg in the same job.
  const auto result = annotate({"-j", "1"}, photos, output);
  EXPECT_EQ(result.status, 1) << result.output;
  EXPECT_NE(result.output.find("1 annotated, 4 failed"), std::string::npos) << result.output;
  const auto images = imagesByPhoto(output);
  EXPECT_EQ(images.at("good.jpg")[1], "annotated");
  const std::map<std::string, std::string> reasons = {{"empty.jpg", "convert: "},
                                                      {"text.jpg", "convert: "},
                                                      {"truncated.jpg", "Premature end of JPEG file"},
                                                      {"tiny.png", "too small to segment: 4 x 4"}};
  for (const auto& [name, reason] : reasons) {
    SCOPED_TRACE(name);
    EXPECT_EQ(images.at(name)[1], "failed");
    EXPECT_NE(images.at(name)[8].find(reason), std::string::npos) << images.at(name)[8];
    EXPECT_FALSE(fs::exists(output / name)) << "nothing is published for a failed photo";
  }
  const auto again = annotate({"-j", "2"}, photos, output);
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.output.find("0 annotated, 4 failed, 1 skipped as done"), std::string::npos) << again.output;
  EXPECT_EQ(jobsNaming(jobLog(output)).at("./good.jpg"), 1);
}

TEST(Batch, PhotosAreTurnedUprightFlattenedAndScaledButNeverEnlarged) {
  const fs::path photos = freshFolder("normalise-photos");
  keepCredits(photos);
  const fs::path sample = samplePhotos()[0];  // 640 x 480
  ASSERT_EQ(run(photos, {"convert", sample.string(), "-resize", "200%", "large.jpg"}).status, 0);
  // ImageMagick writes the orientation tag into TIFF files (its JPEG writer
  // keeps only an orientation read from the photo).
  ASSERT_EQ(run(photos, {"convert", sample.string(), "-orient", "RightTop", "turned.tif"}).status, 0);
  ASSERT_EQ(run(photos, {"convert", sample.string(), "-resize", "150x150", "small.png"}).status, 0);
  ASSERT_EQ(run(photos, {"convert", sample.string(), "-colorspace", "Gray", "grey.jpg"}).status, 0);
  // Its left half transparent: flattened onto white.
  ASSERT_EQ(run(photos, {"convert", sample.string(), "-alpha", "set", "-region", "320x480+0+0", "-alpha", "transparent",
                         "clear.png"}).status, 0);
  const fs::path output = freshFolder("normalise-out");
  const auto result = annotate({"-j", "2"}, photos, output);
  ASSERT_EQ(result.status, 0) << result.output;
  const auto images = imagesByPhoto(output);
  auto sizes = [&](const std::string& name) {
    const auto& row = images.at(name);
    return row[4] + "x" + row[5] + " " + row[6] + "x" + row[7];
  };
  EXPECT_EQ(sizes("large.jpg"), "1280x960 640x480");
  EXPECT_EQ(sizes("turned.tif"), "640x480 480x640");
  EXPECT_EQ(sizes("small.png"), "150x113 150x113");
  EXPECT_NE(images.at("small.png")[8].find("small photo"), std::string::npos);
  EXPECT_NE(images.at("grey.jpg")[8].find("grey photo"), std::string::npos);
  EXPECT_EQ(images.at("large.jpg")[8], "");

  const imaging::ColourImage overlay = collection::readPng((output / "clear.png/overlay.png").string());
  const imaging::GreyImage labels = imaging::readLabelFile((output / "clear.png/labels.seg").string());
  const collection::Confidences confidences = collection::parseResults(readWholeFile(output / "clear.png/results.xml"));
  const int label = labels[240][100];
  ASSERT_EQ(labels[240][101], label);
  ASSERT_EQ(labels[241][100], label);
  const collection::Rgb tint =
      collection::conceptColour(confidences.concepts[collection::bestConcept(confidences.values[label])]);
  for (int channel = 0; channel < 3; ++channel)
    EXPECT_EQ(overlay[channel][240][100], (255 + tint[channel] + 1) / 2) << "white under the tint";

  const fs::path full = freshFolder("full-size-out");
  fs::remove(photos / "clear.png");
  ASSERT_EQ(annotate({"--full-size", "-j", "2"}, photos, full).status, 0);
  EXPECT_EQ(imagesByPhoto(full).at("large.jpg")[6], "1280");
}

TEST(Batch, RunsFromAnInstalledPrefixWithNothingElseSetUp) {
  const fs::path prefix = freshFolder("prefix");
  const auto installed = run(PROJECT_BINARY_DIR, {"cmake", "--install", PROJECT_BINARY_DIR, "--prefix", prefix.string()});
  ASSERT_EQ(installed.status, 0) << installed.output;
  const fs::path photos = freshFolder("installed-photos");
  keepCredits(photos);
  fs::copy_file(samplePhotos()[0], photos / "one.jpg");
  const fs::path output = freshFolder("installed-out");
  const std::string annotatePath = (prefix / "bin/annotate").string();
  std::vector<std::string> command = {"env", "-i", "PATH=/usr/bin:/bin", "HOME=" + photos.string(), annotatePath};
  for (const std::string& option : engineOptions(kEngine)) command.push_back(option);
  command.insert(command.end(), {"-j", "1", ".", output.string()});
  const auto result = run(photos, command);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(readWholeFile(output / "one.jpg/results.xml"), handRun(samplePhotos()[0], freshFolder("installed-hand")).results);
  const auto help = run(photos, {annotatePath, "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("usage: annotate [options] <photo folder> <output folder>"), std::string::npos);
  const auto version = run(photos, {annotatePath, "--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.output.rfind("annotate ", 0), 0u);
  EXPECT_EQ(run(photos, {annotatePath, "--bogus", ".", "out"}).status, 2);
  EXPECT_EQ(run(photos, {annotatePath, "--engine", "bogus", ".", "out"}).status, 2);
  EXPECT_NE(help.output.find("--engine"), std::string::npos);
}

}  // namespace
