#pragma once
// What the classifier knows of one image's regions before it asks the
// predictor: where its label file is, how many regions that file has, and
// the 433 features of every region, taken from the four descriptor files.
// A run goes
//
//   const std::string labelFile = labelFilePath(imageName, imageFolder);
//   const FeatureTable features = readFeatureTable(imageName, readRegionCount(labelFile), labelFile);
//   const ConfidenceTable confidences = predictConfidences(features, conceptNames);  // confidences.h
//   writeResults(imageName, conceptNames, confidences);                             // results_writer.h
//
// File names are relative to the working directory, except the label file,
// which lies below the image folder.

#include <array>
#include <string>
#include <vector>

#include "formats/exchanged_formats.h"

namespace classification {

// One region's features, in the order they are written for the predictor:
// homogeneous texture, region shape, scalable colour, edge histogram. The
// feature number of a value is its position plus 1.
using RegionFeatures = std::array<double, formats::kFeatureCount>;

// The features of every region, index = region number (= label value).
using FeatureTable = std::vector<RegionFeatures>;

// <folder>segmentationMasks/<base>.seg, base = the image's file name up to
// its first dot. imageName is the file name part of the image argument
// (extension kept), imageFolder its directory part (ending in the separator,
// or empty). Stops the run when the image name has no dot.
std::string labelFilePath(const std::string& imageName, const std::string& imageFolder);

// The label file's largest value + 1.
int readRegionCount(const std::string& labelFilePath);

// Reads the HT, EH, RS and SC files of the image under ./descriptors/ into
// one row of scaled features per region. A missing, short or malformed file
// stops the run with "failure in reading file <path>\n"; a file with more or
// fewer blocks than regionCount with one line on standard error, which names
// the label file labelFilePath.
// `directory` stands for the working directory ("."), whose descriptors/
// folder is read.
FeatureTable readFeatureTable(const std::string& imageName, int regionCount, const std::string& labelFilePath,
                              const std::string& directory = ".");

}  // namespace classification
