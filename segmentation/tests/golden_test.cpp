// Expected runs on real photos, computed independently: the label file must
// come out byte for byte and the output line for line (timing figures
// aside). The photos are converted to PPM at test time; without the shared
// photos or the converter the cases are skipped.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "segmentation/tests/zorvik_runs.h"
#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

using testing_support::readFile;
using testing_support::TempDir;

const std::filesystem::path kData = std::filesystem::path(PROJECT_SOURCE_DIR) / "segmentation/tests/data/golden";

struct GoldenCase {
  std::string name;
  std::string photo;      // file in the shared photos folder
  std::string arguments;  // the six numbers
};

void PrintTo(const GoldenCase& c, std::ostream* out) { *out << c.name << " (" << c.photo << " " << c.arguments << ")"; }

std::vector<GoldenCase> readCases() {
  std::vector<GoldenCase> cases;
  std::ifstream in(kData / "cases.tsv");
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    GoldenCase c;
    if (std::getline(fields, c.name, '\t') && std::getline(fields, c.photo, '\t') && std::getline(fields, c.arguments))
      cases.push_back(c);
  }
  return cases;
}

std::map<std::string, std::string> readChecksums() {
  std::map<std::string, std::string> sums;
  std::ifstream in(kData / "ppm.md5");
  std::string sum, file;
  while (in >> sum >> file) sums[file] = sum;
  return sums;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> result;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) result.push_back(line);
  return result;
}

// The timing figures differ from run to run; everything else must not.
std::string withoutTimings(const std::string& line) {
  for (const std::string suffix : {" seconds total", " seconds average for feature extraction"}) {
    if (line.size() < suffix.size() || line.compare(line.size() - suffix.size(), suffix.size(), suffix) != 0) continue;
    std::string head = line.substr(0, line.size() - suffix.size());
    while (!head.empty() && (std::isdigit(static_cast<unsigned char>(head.back())) || head.back() == '.'))
      head.pop_back();
    while (!head.empty() && head.back() == ' ') head.pop_back();
    return head + " <time>" + suffix;
  }
  return line;
}

// Compares logs line by line and names the first line that differs.
// `upTo` limits the comparison to the lines before and including the first
// line that contains it (empty: everything).
std::string firstLogDifference(const std::string& expected, const std::string& actual, const std::string& upTo) {
  const std::vector<std::string> want = lines(expected);
  const std::vector<std::string> got = lines(actual);
  for (std::size_t k = 0; k < want.size(); ++k) {
    const std::string wanted = withoutTimings(want[k]);
    if (k >= got.size()) return "line " + std::to_string(k + 1) + ": expected \"" + wanted + "\", the output ended";
    const std::string had = withoutTimings(got[k]);
    if (had != wanted)
      return "line " + std::to_string(k + 1) + ": expected \"" + wanted + "\", got \"" + had + "\"";
    if (!upTo.empty() && want[k].find(upTo) != std::string::npos) return "";
  }
  if (upTo.empty() && got.size() > want.size())
    return "line " + std::to_string(want.size() + 1) + ": unexpected \"" + got[want.size()] + "\"";
  return "";
}

// Where two label files first differ, and how many bytes differ.
std::string labelFileDifference(const std::string& expected, const std::string& actual) {
  if (expected == actual) return "";
  if (expected.size() != actual.size())
    return "sizes differ: expected " + std::to_string(expected.size()) + " bytes, got " + std::to_string(actual.size());
  std::size_t first = expected.size(), count = 0;
  for (std::size_t k = 0; k < expected.size(); ++k)
    if (expected[k] != actual[k]) {
      if (first == expected.size()) first = k;
      ++count;
    }
  return std::to_string(count) + " bytes differ, the first at offset " + std::to_string(first) + " (expected " +
         std::to_string(static_cast<unsigned char>(expected[first])) + ", got " +
         std::to_string(static_cast<unsigned char>(actual[first])) + ")";
}

class Golden : public ::testing::TestWithParam<GoldenCase> {};

INSTANTIATE_TEST_SUITE_P(Runs, Golden, ::testing::ValuesIn(readCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) { return info.param.name; });

TEST_P(Golden, ReproducesLabelFileAndLog) {
  const GoldenCase& c = GetParam();
  const std::filesystem::path photo = testing_support::sharedData() / "photos" / c.photo;
  if (!std::filesystem::exists(photo)) GTEST_SKIP() << "no shared photo " << photo;
  TempDir dir;
  const std::string ppm = dir / "img.ppm";
  const std::string base = c.photo.substr(0, c.photo.rfind('.'));
  // Where no converter runs (the Windows tests under wine), the PPMs come
  // converted and checked against ppm.md5 beforehand, from GOLDEN_PPM_DIR.
  if (const auto converted = platform::environmentVariable("GOLDEN_PPM_DIR")) {
    const std::filesystem::path given = std::filesystem::path(*converted) / (base + ".ppm");
    if (!std::filesystem::exists(given)) FAIL() << "no converted " << given;
    std::filesystem::copy_file(given, ppm);
  } else {
    if (!zorvik_runs::convertToPpm(photo, ppm, dir.path())) GTEST_SKIP() << "convert is not available";
    const std::string sum =
        testing_support::runProgramIn(dir.path(), {"md5sum", ppm}, dir.path()).output.substr(0, 32);
    const std::string expectedSum = readChecksums()[base + ".ppm"];
    if (sum != expectedSum)
      GTEST_SKIP() << "this converter makes a different PPM of " << c.photo << " (md5 " << sum
                   << ", the expected runs read " << expectedSum << ")";
  }

  // Both streams, as the expected logs hold them.
  const testing_support::ProgramRun run = zorvik_runs::runZorvik(dir.path(), ". . img " + c.arguments);
  const std::string output = run.output + run.errors;
  const std::string expectedLog = readFile(kData / (c.name + ".log"));

  const std::string clustering = firstLogDifference(expectedLog, output, "final regions");
  EXPECT_EQ(clustering, "") << "clustering part of the log (up to the first \"final regions\")";
  if (clustering.empty()) {
    EXPECT_EQ(firstLogDifference(expectedLog, output, ""), "") << "log after the clustering";
  }
  EXPECT_EQ(labelFileDifference(readFile(kData / (c.name + ".seg")), readFile(dir / "img.seg")), "") << "label file";
}

}  // namespace
