#pragma once
// One run of the segmenter: the command line, the stages in their order and
// the label file they end in.

#include <string>

#include "imaging/buffers.h"
#include "segmentation/log.h"

namespace segmentation {

struct RunSettings {
  std::string inputDirectory;
  std::string outputDirectory;
  std::string imageName;
  int reductionFactor = 8;  // side of the averaged pixel blocks, 1..8
  int ldc = 2;              // texture decomposition levels, 2..4
  bool texture = true;
  bool refine = true;       // boundary refinement at full resolution
  int margin = 0;           // pixels cut from every side and restored white
  int maxAreaNum = 10;      // most regions the clustering may leave

  std::string inputPath() const { return inputDirectory + "/" + imageName + ".ppm"; }
  std::string outputPath() const { return outputDirectory + "/" + imageName + ".seg"; }
};

// The usage text, with the program name.
std::string usageText(const std::string& program);

// Reads the nine arguments after the program name. Numbers are read like
// atoi (trailing junk ignored, no number gives 0). A wrong argument count or
// a value out of range fails with the usage text.
RunSettings parseCommandLine(int argc, const char* const* argv);

// What a run gives: the region count and the figures of the run report.
struct RunOutcome {
  int regions = 0;
  int smallRegions = 0;           // from the clustering
  long featureExtractionMs = 0;   // time of the region count step
};

// The process clock in whole milliseconds.
long processMilliseconds();

// The label file's raster: each label's low 8 bits, and the pixels of
// `largest` written as 0, so regions 1..n come out as 1..n-1 and 0. More
// than 255 regions cannot be told apart in bytes (255 is also the margin's
// value) and fail with one line on standard error.
imaging::GreyImage labelFileBytes(const imaging::IntMap& labels, int largest);

// The label file of an image, before its margin is restored, and the run's
// figures.
struct Segmentation {
  imaging::GreyImage labelBytes;  // as labelFileBytes gives it
  RunOutcome outcome;
};

// Clusters the block-reduced copy of `full` (the image as read, its margin
// cut off), carries the labels back to full resolution, refines the borders
// when asked and counts the regions. The file names and the margin of
// `settings` are not used.
Segmentation segmentImage(imaging::ColourImage full, const RunSettings& settings, Log& log);

// Reads the image, segments it (segmentImage) and writes the label file.
RunOutcome runSegmentation(const RunSettings& settings, Log& log);

}  // namespace segmentation
