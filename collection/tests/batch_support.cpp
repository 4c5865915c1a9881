#include "batch_support.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <sstream>

#include "collection/csv.h"
#include "collection/photo_job.h"

namespace batch_support {

namespace {

fs::path processFolder() {
  return fs::path(PROJECT_BINARY_DIR) / "collection/test-area" / std::to_string(getpid());
}

class RemoveWhenPassed : public testing::Environment {
 public:
  void TearDown() override {
    if (!testing::UnitTest::GetInstance()->Failed()) fs::remove_all(processFolder());
  }
};

// GoogleTest takes ownership of the environment.
const testing::Environment* const cleanUp = testing::AddGlobalTestEnvironment(new RemoveWhenPassed);

}  // namespace

fs::path freshFolder(const std::string& name) {
  const fs::path folder = processFolder() / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

std::vector<fs::path> samplePhotos() {
  std::vector<fs::path> photos;
  for (const auto& entry : fs::directory_iterator(fs::path(PROJECT_SOURCE_DIR) / "samples"))
    if (entry.path().extension() == ".jpg") photos.push_back(entry.path());
  std::sort(photos.begin(), photos.end());
  return photos;
}

void keepCredits(const fs::path& folder) {
  fs::create_directories(folder);
  fs::copy_file(fs::path(PROJECT_SOURCE_DIR) / "samples/SOURCES.md", folder / "SOURCES.md",
                fs::copy_options::overwrite_existing);
  const fs::path shared = fs::path(SHARED_DATA_DIR) / "photos/SOURCES.md";
  if (fs::exists(shared)) fs::copy_file(shared, folder / "SHARED-SOURCES.md", fs::copy_options::overwrite_existing);
}

collection::RunResult run(const fs::path& directory, const std::vector<std::string>& arguments) {
  static int count = 0;
  const fs::path log = processFolder() / ("run-" + std::to_string(++count) + ".log");
  fs::create_directories(log.parent_path());
  collection::RunResult result = collection::runIn(directory, arguments, log);
  fs::remove(log);
  return result;
}

std::vector<std::string> engineOptions(const std::string& engine) {
  if (engine.empty()) return {};
  return {"--engine", engine};
}

collection::RunResult annotate(const std::vector<std::string>& options, const fs::path& photos, const fs::path& output) {
  std::vector<std::string> arguments = {ANNOTATE_PATH};
  if (std::find(options.begin(), options.end(), "--engine") == options.end()) {
    const std::vector<std::string> engine = engineOptions(kEngine);
    arguments.insert(arguments.end(), engine.begin(), engine.end());
  }
  arguments.insert(arguments.end(), options.begin(), options.end());
  arguments.push_back(photos.string());
  arguments.push_back(output.string());
  return run(fs::current_path(), arguments);
}

HandRun handRun(const fs::path& photo, const fs::path& work) {
  fs::remove_all(work);
  fs::create_directories(work / "images/segmentationMasks");
  EXPECT_EQ(run(work, {fs::path(PROJECT_SOURCE_DIR) / "scripts/layout", PROJECT_BINARY_DIR, "."}).status, 0);
  fs::copy_file(photo, work / "images/photo.jpg");
  static const bool onPath = (collection::putFirstOnPath(PREDICTOR_DIR), true);
  (void)onPath;
  EXPECT_EQ(run(work, {FERROW_PATH, "images/photo.jpg"}).status, 0);
  EXPECT_EQ(run(work, {TAMSEL_PATH, "images/photo.jpg", "concepts.txt"}).status, 0);
  return {collection::readWholeFile(work / "images/segmentationMasks/photo.seg"),
          collection::readWholeFile(work / "output/classification-results.photo.jpg.ORM.xml")};
}

std::map<std::string, std::string> publishedFiles(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (auto walk = fs::recursive_directory_iterator(folder); walk != fs::recursive_directory_iterator(); ++walk) {
    const std::string relative = fs::relative(walk->path(), folder).string();
    if (walk->is_directory() && relative == ".annotate") {
      walk.disable_recursion_pending();
      continue;
    }
    if (!walk->is_regular_file()) continue;
    if (relative == "images.csv" || relative == "regions.csv" || relative == "report.html" || relative == "joblog.txt")
      continue;
    std::string content = collection::readWholeFile(walk->path());
    if (walk->path().filename() == collection::kRecordName) {
      std::istringstream lines(content);
      std::string line;
      content.clear();
      while (std::getline(lines, line))
        if (line.rfind("seconds\t", 0) != 0) content += line + "\n";
    }
    files[relative] = content;
  }
  return files;
}

std::vector<std::vector<std::string>> table(const fs::path& file) {
  return collection::parseCsv(collection::readWholeFile(file));
}

std::map<std::string, std::vector<std::string>> imagesByPhoto(const fs::path& output) {
  std::map<std::string, std::vector<std::string>> rows;
  const auto all = table(output / "images.csv");
  for (std::size_t i = 1; i < all.size(); ++i) rows[all[i][0]] = all[i];
  return rows;
}

std::vector<std::string> shellWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'') {
      const std::size_t end = line.find('\'', i + 1);
      word += line.substr(i + 1, end - i - 1);
      i = end == std::string::npos ? line.size() : end;
    } else if (c == '"') {
      for (++i; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size() && std::string("\"\\$`").find(line[i + 1]) != std::string::npos) ++i;
        word += line[i];
      }
    } else if (c == '\\' && i + 1 < line.size()) {
      word += line[++i];
    } else {
      word += c;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::vector<LoggedJob> jobLog(const fs::path& output) {
  std::vector<LoggedJob> jobs;
  std::istringstream lines(collection::readWholeFile(output / "joblog.txt"));
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("Seq\t", 0) == 0) continue;  // the header
    std::vector<std::string> fields;
    std::istringstream split(line);
    std::string field;
    // Seq, Host, Starttime, JobRuntime, Send, Receive, Exitval, Signal, Command.
    for (int i = 0; i < 8 && std::getline(split, field, '\t'); ++i) fields.push_back(field);
    std::getline(split, field);
    if (fields.size() < 8) continue;
    LoggedJob job;
    job.status = std::stoi(fields[6]);
    const std::vector<std::string> words = shellWords(field);
    const auto separator = std::find(words.begin(), words.end(), "--");
    if (separator != words.end()) job.photos.assign(separator + 1, words.end());
    jobs.push_back(job);
  }
  return jobs;
}

std::map<std::string, int> jobsNaming(const std::vector<LoggedJob>& jobs, std::size_t first) {
  std::map<std::string, int> named;
  for (std::size_t i = first; i < jobs.size(); ++i)
    for (const std::string& photo : jobs[i].photos) named[photo] += 1;
  return named;
}

}  // namespace batch_support
