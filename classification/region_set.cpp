#include "classification/region_set.h"

#include <cmath>
#include <cstdio>
#include <span>
#include <memory>
#include <utility>

#include "classification/descriptor_readers.h"
#include "classification/results_writer.h"
#include "classification/test_data.h"
#include "platform/failure.h"
#include "platform/file.h"
#include "imaging/label_reader.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/replacing_file.h"

namespace classification {
namespace {

const std::string kPredictor = platform::executableName("SVMpredictfuzzy");
constexpr const char* kTestDataFile = "testDataFile.txt";
constexpr const char* kPredictionFile = "output.txt";
constexpr const char* kCannotWrite = "cannot write!!!!!!!!!!!!!!";

// Where each descriptor's values go in a record, and how a value v is mapped:
// (v - offset) / divisor, which takes the descriptor's range onto -1..1
// (0..1 for scalable colour).
struct Group {
  DescriptorKind kind;
  int position;
  double offset;
  double divisor;
};

// In the order the files are read.
constexpr Group kGroups[] = {
    {DescriptorKind::HomogeneousTexture, 0, 127.5, 127.5},
    {DescriptorKind::EdgeHistogram, 353, 3.5, 3.5},
    {DescriptorKind::RegionShape, 62, 7.5, 7.5},
    {DescriptorKind::ScalableColour, 97, 0.0, 255.0},
};

std::vector<double> readGroup(DescriptorKind kind, const std::string& imageName) {
  switch (kind) {
    case DescriptorKind::HomogeneousTexture: return readHT(imageName);
    case DescriptorKind::EdgeHistogram: return readEH(imageName);
    case DescriptorKind::RegionShape: return readRS(imageName);
    case DescriptorKind::ScalableColour: return readSC(imageName);
  }
  return {};
}

}  // namespace

ConfidenceTable::ConfidenceTable(int regions, int concepts)
    : regions_(regions), concepts_(concepts), values_(static_cast<std::size_t>(regions) * concepts, 0.0) {}

double ConfidenceTable::at(int region, int column) const {
  return values_[static_cast<std::size_t>(region) * concepts_ + column];
}

void ConfidenceTable::set(int region, int column, double confidence) {
  values_[static_cast<std::size_t>(region) * concepts_ + column] = confidence;
}

RegionSet::RegionSet(std::string imageName, std::string imageFolder)
    : imageName_(std::move(imageName)), imageFolder_(std::move(imageFolder)) {}

std::string RegionSet::labelFilePath() const {
  const std::size_t dot = imageName_.find('.');
  if (dot == std::string::npos)
    platform::failStderrLine("the image name \"" + imageName_ +
                      "\" has no dot, so the name of its label file (the part before the first dot) is unknown");
  return imageFolder_ + "segmentationMasks" + platform::kSeparator + imageName_.substr(0, dot) + ".seg";
}

void RegionSet::loadLabelFile() { regionCount_ = imaging::regionCount(imaging::readLabelFile(labelFilePath())); }

void RegionSet::createRegions() { regions_.assign(static_cast<std::size_t>(regionCount_), RegionRecord{}); }

void RegionSet::loadDescriptors() {
  for (const Group& group : kGroups) {
    const std::vector<double> values = readGroup(group.kind, imageName_);
    const std::size_t perBlock = static_cast<std::size_t>(valuesPerBlock(group.kind));
    // Region j takes block j. A file with another number of blocks than the
    // label file has regions was made for another segmentation, for example
    // that of another photo sharing this one's base name.
    if (values.size() != perBlock * regions_.size())
      platform::failStderrLine(descriptorPath(imageName_, group.kind) + " describes " +
                               std::to_string(values.size() / perBlock) + " regions, but the label file " +
                               labelFilePath() + " has " + std::to_string(regions_.size()));
    for (std::size_t region = 0; region < regions_.size(); ++region) {
      for (std::size_t i = 0; i < perBlock; ++i)
        regions_[region][group.position + i] = (values[perBlock * region + i] - group.offset) / group.divisor;
    }
  }
}

void RegionSet::classifyRegions(const std::vector<std::string>& conceptNames) {
  conceptNames_ = conceptNames;
  confidences_ = ConfidenceTable(static_cast<int>(regions_.size()), static_cast<int>(conceptNames_.size()));
  writeTestData();
  for (std::size_t column = 0; column < conceptNames_.size(); ++column)
    runPredictor(conceptNames_[column], static_cast<int>(column));
  platform::removeFile(kTestDataFile);
  writeResults();
}

void RegionSet::writeTestData() const {
  const std::vector<std::span<const double>> rows(regions_.begin(), regions_.end());
  writePredictorInput(kTestDataFile, rows, platform::WriteReport::CannotWrite);
}

void RegionSet::runPredictor(const std::string& conceptName, int column) {
  // An answer left over from an earlier run must never pass for this one's.
  platform::removeFile(kPredictionFile);
  // The concept name stays one argument whatever it holds.
  platform::runProgram({kPredictor, kTestDataFile, "./conf//SVMtrainingModels/trainingModels_" + conceptName + ".txt",
                        kPredictionFile});
  platform::File file(std::fopen(kPredictionFile, "r"));
  if (!file) platform::failStdoutExact(kCannotWrite);
  // One number per region, in region order, each held in single precision.
  // A confidence is a finite number from 0 to 1; anything else is as little
  // an answer as a missing number.
  for (int region = 0; region < confidences_.regions(); ++region) {
    float confidence = 0.0f;
    if (std::fscanf(file.get(), "%f", &confidence) != 1 || !std::isfinite(confidence) || confidence < 0.0f ||
        confidence > 1.0f) {
      // The prediction failed. Leave no temporary file behind and no results.
      file.reset();
      platform::removeFile(kPredictionFile);
      platform::removeFile(kTestDataFile);
      platform::failStdoutExact(std::string("failure in reading file ") + kPredictionFile + "\n");
    }
    confidences_.set(region, column, static_cast<double>(confidence));
  }
  file.reset();
  platform::removeFile(kPredictionFile);
}

void RegionSet::writeResults() const {
  platform::replaceFile(resultsPath(imageName_), resultsDocument(conceptNames_, confidences_),
                        platform::WriteReport::CannotWrite, platform::WriteMode::Text);
}

}  // namespace classification
