#pragma once
// One run of the extractor: which image, which pixels and labels, and the
// computation of the selected descriptor for every region.

#include <string>
#include <vector>

#include "imaging/buffers.h"
#include "tools/descriptors/descriptor_kind.h"
#include "tools/descriptors/regions.h"

namespace descriptors {

// The image named in the list file, split after its last '/' or '\'.
struct ListedImage {
  std::string path;       // as listed, e.g. ./images/photo.jpg
  std::string directory;  // ./images/
  std::string fileName;   // photo.jpg
  std::string base;       // photo: the file name up to its first dot

  std::string ppmPath() const { return directory + base + ".ppm"; }
  std::string labelPath() const { return directory + base + ".seg"; }
};

ListedImage splitListedImage(const std::string& line);

// The image named on the first line of the list file (a trailing line feed
// and carriage return dropped). Stops when the file cannot be opened or names
// no image.
ListedImage readListFile(const std::string& path);

// The pixels the segmenter saw: the PPM next to the image, or the listed file
// itself when that PPM cannot be opened and the listed file is a PPM.
imaging::ColourImage readPixels(const ListedImage& image);

// The label file next to the image; stops when its size differs from the image's.
imaging::GreyImage readLabels(const ListedImage& image, int width, int height);

// The selected descriptor of every region, in label order; `regions` are
// those that findRegions gives for `labels`.
std::vector<Block> computeDescriptor(DescriptorKind kind, const imaging::ColourImage& pixels,
                                     const imaging::GreyImage& labels, const std::vector<Region>& regions);

// The text of the descriptor file of `kind` for every region of the image:
// computeDescriptor, then descriptorDocument.
std::string descriptorText(DescriptorKind kind, const imaging::ColourImage& pixels, const imaging::GreyImage& labels,
                           const std::vector<Region>& regions);

// One whole run: the descriptor the parameter file selects, for every region
// of the image named in "infiles.txt", written to the descriptor's file in
// the current directory.
void extractDescriptor(const std::string& parameterFile);

}  // namespace descriptors
