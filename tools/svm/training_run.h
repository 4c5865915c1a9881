#pragma once
// The trainer's whole run after its options are read: collect the labelled
// regions, choose the grid point, measure the choice by nested
// cross-validation when asked, train and write the models, print the table.

#include <string>
#include <vector>

#include "tools/svm/grid_search.h"

namespace svm_tools {

struct TrainingOptions {
  std::string pointFile;         // absolute
  std::string imageFolder;       // where the photos are, absolute
  std::string workingDirectory;  // entered before anything is prepared
  std::string ferrow = "Ferrow";
  bool rerun = false;
  SearchSettings search;
  // With balanced groups the mean squared distance between regions is about
  // 1, so gamma near 1 is the natural scale; the shares try the texture
  // group's larger share, the one lever that has held up on these features.
  Grid grid{{1.0, 2.0, 4.0},
            {0.125, 0.25, 0.5, 1.0},
            {kEqualShares, GroupShares{2.0, 1.0, 1.0, 1.0}, GroupShares{4.0, 1.0, 1.0, 1.0}, GroupShares{8.0, 1.0, 1.0, 1.0}}};
  bool nested = false;
  bool mirrored = false;           // add the mirrored copy of every photo
  std::vector<int> regionLimits;   // add copies segmented with these region limits
  std::string listName = "concepts.txt";
};

// Runs the training; returns the exit status. Fails with one line for the
// user when the point file holds no points, the working directory cannot be
// entered or fewer than two concepts have labelled regions.
int runTraining(const TrainingOptions& options);

}  // namespace svm_tools
