#pragma once
// The predictor's answers for one image: the confidence of every region for
// every concept, one answer per concept.

#include <optional>
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

// What answers for the classifier. It is handed the image's test data as
// the predictor's input text, then asked concept by concept for the
// predictor's output text (one confidence per region and line), and told
// when the image is done. Both sides hand each other text, so a predictor
// in this process gives the very numbers the program gives.
class Predictor {
 public:
  virtual ~Predictor() = default;
  // The test data for every answer until finish().
  virtual void takeTestData(const std::string& text) = 0;
  // The answer for one concept; nothing when the predictor left none.
  virtual std::optional<std::string> answer(const std::string& conceptName) = 0;
  // The name an answer goes by in the message for one that does not read.
  virtual std::string answerName() const = 0;
  // The test data is no longer needed.
  virtual void finish() = 0;
};

// The program: SVMpredictfuzzy started for each concept in the working
// directory, with its concept's training model (modelPath), the test data in
// "testDataFile.txt" and the answer in "output.txt". Each answer is removed
// once read, the test data by finish().
class ProgramPredictor : public Predictor {
 public:
  void takeTestData(const std::string& text) override;
  std::optional<std::string> answer(const std::string& conceptName) override;
  std::string answerName() const override;
  void finish() override;
};

// "./conf//SVMtrainingModels/trainingModels_<concept>.txt": the concept's
// training model, relative to the working directory.
std::string modelPath(const std::string& conceptName);

// Reads one confidence per region from an answer into the column: numbers
// read as "%f" reads them, each held in single precision. False when there
// are too few, or one is not a finite number from 0 to 1.
bool readAnswer(const std::string& answer, int column, ConfidenceTable& confidences);

// Hands the features to the predictor and reads its answer for each concept
// in list order into the concept's column. The input that cannot be written
// whole, or no answer, stops the run with "cannot write!!!!!!!!!!!!!!"; an
// answer that does not read (readAnswer) with "failure in reading file
// <answer name>\n" after the predictor finished.
ConfidenceTable predictConfidences(const FeatureTable& features, const std::vector<std::string>& conceptNames,
                                   Predictor& predictor);

// The same with the program (ProgramPredictor).
ConfidenceTable predictConfidences(const FeatureTable& features, const std::vector<std::string>& conceptNames);

}  // namespace classification
