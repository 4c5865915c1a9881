// Tamsel: classifies the regions of one segmented and described image against
// every concept of a concept list and writes the confidences to the results
// file under ./output/.
//
//   Tamsel <image directory>/<image file> <concept list name>

#include <cstdio>
#include <string>
#include <vector>

#include "classification/concept_list.h"
#include "classification/confidences.h"
#include "classification/region_features.h"
#include "classification/results_writer.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/paths.h"

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] {
    if (argc < 3) platform::failStderrLine("usage: Tamsel <image directory>/<image file> <concept list name>");

    std::printf("\nSVM classifier\n");
    const platform::ImageArgument image = platform::splitImageArgument(argv[1]);
    std::printf("\nProcessing image: %s", image.fileName.c_str());
    // A results file of an earlier run must not stand for this run's when
    // this one stops.
    platform::removeFileIfPresent(classification::resultsPath(image.fileName));
    const std::vector<std::string> conceptNames =
        classification::readConceptList(classification::conceptListPath(argv[2]));

    const std::string labelFile = classification::labelFilePath(image.fileName, image.directory);
    const classification::FeatureTable features =
        classification::readFeatureTable(image.fileName, classification::readRegionCount(labelFile), labelFile);
    const classification::ConfidenceTable confidences = classification::predictConfidences(features, conceptNames);
    classification::writeResults(image.fileName, conceptNames, confidences);

    std::printf("\nClassification procedure is finished");
    std::printf("\nResults are saved in folder \\output\n\n");
    return 0;
  });
}
