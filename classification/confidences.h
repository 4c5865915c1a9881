#pragma once
// The predictor's answers for one image: the confidence of every region for
// every concept, one predictor run per concept.

#include <string>
#include <vector>

#include "classification/region_features.h"

namespace classification {

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

// Writes the features to "testDataFile.txt" (the predictor's input), runs
// SVMpredictfuzzy with each concept's training model in list order, reading
// one confidence per region from "output.txt" into the concept's column, and
// removes both files. The input that cannot be written whole, or no
// "output.txt", stops the run with "cannot write!!!!!!!!!!!!!!"; too few
// numbers, text that is none, or a confidence that is not a finite number
// from 0 to 1, with "failure in reading file output.txt\n" after both
// temporary files are removed.
ConfidenceTable predictConfidences(const FeatureTable& features, const std::vector<std::string>& conceptNames);

}  // namespace classification
