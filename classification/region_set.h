#pragma once
// Everything the classifier knows about one image: its name and folder, how
// many regions its label file has, the 433 features of every region, the
// concepts and the confidence of every region for every concept. Each step of
// a run is an operation of RegionSet; a run calls them in this order:
//
//   RegionSet set(fileName, directory);
//   set.loadLabelFile();        // region count from the label file
//   set.createRegions();        // one record per region
//   set.loadDescriptors();      // the four descriptor files fill the records
//   set.classifyRegions(names); // predictor per concept, then the results file
//
// File names are relative to the working directory, except the label file,
// which lies below the image folder.

#include <array>
#include <string>
#include <vector>

namespace classification {

// One region's features, in the order they are written for the predictor:
// homogeneous texture, region shape, scalable colour, edge histogram. The
// feature number of a value is its position plus 1.
inline constexpr int kFeatureCount = 433;
using RegionRecord = std::array<double, kFeatureCount>;

// Confidence of region r for concept c, at row r, column c.
class ConfidenceTable {
 public:
  ConfidenceTable() = default;
  ConfidenceTable(int regions, int concepts);

  int regions() const { return regions_; }
  int concepts() const { return concepts_; }
  double at(int region, int column) const;
  void set(int region, int column, double confidence);

 private:
  int regions_ = 0;
  int concepts_ = 0;
  std::vector<double> values_;
};

class RegionSet {
 public:
  // imageName is the file name part of the image argument (extension kept),
  // imageFolder its directory part (ending in the separator, or empty).
  RegionSet(std::string imageName, std::string imageFolder);

  const std::string& imageName() const { return imageName_; }
  const std::string& imageFolder() const { return imageFolder_; }

  // <folder>segmentationMasks/<base>.seg, base = image name up to its first
  // dot. Stops the run when the image name has no dot.
  std::string labelFilePath() const;

  // Reads the label file and sets the region count to its largest value + 1.
  void loadLabelFile();
  int regionCount() const { return regionCount_; }

  // One zeroed record per region, index = label value.
  void createRegions();

  // Reads the HT, EH, RS and SC files under ./descriptors/ and fills every
  // record. A missing, short or malformed file stops the run with
  // "failure in reading file <path>\n"; a file with more or fewer blocks
  // than the label file has regions with one line on standard error.
  void loadDescriptors();
  const std::vector<RegionRecord>& regions() const { return regions_; }

  // Writes "testDataFile.txt", runs the predictor once per concept in list
  // order, removes the temporary files and writes the results file.
  void classifyRegions(const std::vector<std::string>& conceptNames);

  // "+1" and the features of one region per line. Stops the run with
  // "cannot write!!!!!!!!!!!!!!" when the file cannot be written whole.
  void writeTestData() const;

  // Runs SVMpredictfuzzy with the concept's training model and reads one
  // confidence per region from "output.txt" into the column, then removes
  // the file. No "output.txt" stops the run with "cannot write!!!!!!!!!!!!!!";
  // too few numbers, text that is none, or a confidence that is not a finite
  // number from 0 to 1, with
  // "failure in reading file output.txt\n" after both temporary files are
  // removed.
  void runPredictor(const std::string& conceptName, int column);

  // "./output//classification-results.<image name>.ORM.xml", replaced when
  // it exists, once the new one is complete. Stops the run with
  // "cannot write!!!!!!!!!!!!!!" when the file cannot be written whole.
  void writeResults() const;

  const std::vector<std::string>& conceptNames() const { return conceptNames_; }
  const ConfidenceTable& confidences() const { return confidences_; }

 private:
  std::string imageName_;
  int regionCount_ = 0;
  std::vector<RegionRecord> regions_;
  std::string imageFolder_;
  std::vector<std::string> conceptNames_;
  ConfidenceTable confidences_;
};

}  // namespace classification
