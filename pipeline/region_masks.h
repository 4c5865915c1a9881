#pragma once
// Region masks: for each region number of an image's label file, a grey image
// of the label file's size that is white (255) on that region's pixels and
// black (0) elsewhere, written into the image folder's segmentationMasks
// folder as RegionMask.<file name>.<region number>.pgm.

#include <string>

#include "imaging/buffers.h"

namespace pipeline {

// Where the label file of an image lies before it is filed away:
// "./" + directory + base name + ".seg".
std::string labelFilePath(const std::string& directory, const std::string& fileName);

// The mask of one region: directory, separator, "segmentationMasks",
// separator, "RegionMask." + file name + "." + region + ".pgm". The directory
// part ends in a separator already, so the path holds a doubled one.
std::string maskPath(const std::string& directory, const std::string& fileName, int region);

// Writes a grey image whose bytes are the low 8 bits of the map's values.
void writeMask(const std::string& path, const imaging::IntMap& mask);

// Writes one mask per region number from 0 to the largest label, also for
// numbers no pixel carries (their masks are all black).
void writeRegionMasks(const imaging::GreyImage& labels, const std::string& directory, const std::string& fileName);

// Reads the image's label file and writes its region masks.
void exportRegionMasks(const std::string& directory, const std::string& fileName);

}  // namespace pipeline
