// SVMpredictfuzzy <test data> <model> <output>: writes, for every row of the
// test data, the model's confidence that the row shows its concept.

#include "platform/failure.h"
#include "tools/svm/fuzzy_prediction.h"

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] {
    if (argc != 4) platform::failStderrLine("usage: SVMpredictfuzzy <test data file> <model file> <output file>");
    svm_tools::predictFuzzy(argv[1], argv[2], argv[3]);
    return 0;
  });
}
