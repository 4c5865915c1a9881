// Ferrow: prepares one image for classification. It has the image converted
// to PPM, segmented by Zorvik, described by the descriptor extractor, files
// the four descriptor files under descriptors/, writes one mask per region
// and files the label file in the image folder's segmentationMasks folder.
//
// The outside programs are started directly, one at a time, and waited for;
// what they return is not looked at, because every later step that needs
// their output finds out for itself whether it is there.

#include <cstdio>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "pipeline/region_masks.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace {

using platform::ImageArgument;
using platform::kSeparator;

#ifdef _WIN32
const std::string kSegmenter = "lib\\Zorvik.exe";
const std::string kExtractor = "lib\\mpeg7DescriptorsExtraction";
#else
const std::string kSegmenter = "lib/Zorvik";
const std::string kExtractor = "lib/mpeg7DescriptorsExtraction";
#endif

const std::string kListFile = "infiles.txt";
const std::string kDescriptorFolder = "./descriptors";

// What the extractor writes for each parameter file, and the suffix its
// output gets behind the image's file name. The renames happen in this order.
struct DescriptorFile {
  const char* extractorOutput;
  const char* suffix;
};
constexpr DescriptorFile kDescriptorFiles[] = {
    {"HomoTexture.xml", ".HT.xml"},
    {"ScalableColorReg.xml", ".SC.xml"},
    {"EdgeHistogram.xml", ".EH.xml"},
    {"RegionShape.xml", ".RS.xml"},
};
constexpr const char* kParameterFiles[] = {
    "./lib/Parfiles/RegionShape.par",
    "./lib/Parfiles/ScalColor.par",
    "./lib/Parfiles/HomogeneousTexture.par",
    "./lib/Parfiles/EdgeHistogram.par",
};

// Accepts only "<folder><separator><name>.<extension>" with a single
// separator; anything else would scatter files where nothing finds them.
ImageArgument acceptedImageArgument(int argc, char** argv) {
  const std::string example = std::string("images") + kSeparator + "photo.jpg";
  const std::string usage = std::string("usage: Ferrow <image folder>") + kSeparator +
                            "<image name>.<extension>, for example Ferrow " + example;
  if (argc < 2) platform::failStderrLine("Ferrow needs the image to prepare; " + usage);
  const std::string argument = argv[1];
  const ImageArgument image = platform::splitImageArgument(argument);
  if (image.directory.empty())
    platform::failStderrLine("\"" + argument + "\" names no image folder; " + usage);
  if (image.fileName.find(kSeparator) != std::string::npos)
    platform::failStderrLine("\"" + argument + "\" lies below more than one folder; " + usage);
  if (image.fileName.find('.') == std::string::npos)
    platform::failStderrLine("\"" + argument + "\" has no extension; " + usage);
  return image;
}

void convertToPpm(const ImageArgument& image) {
  platform::runProgram({"convert", image.directory + kSeparator + image.fileName,
                        image.directory + kSeparator + image.baseName + ".ppm"});
}

// Blocks of 8 by 8 pixels, two texture levels, texture and border refinement
// on, no margin, at most 10 regions.
void segment(const ImageArgument& image) {
  platform::runProgram({kSegmenter, image.directory, image.directory, image.baseName, "8", "2", "1", "1", "0", "10"});
}

// The extractor learns the image from the list file: one line, no line end.
void writeListFile(const ImageArgument& image) {
  std::FILE* file = std::fopen(kListFile.c_str(), "w");
  if (file == nullptr) platform::failStdoutExact("cannot write!!!!!!!!!!!!!!");
  const std::string line = "./" + image.directory + image.fileName;
  const bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
  if (std::fclose(file) != 0 || !written) platform::failStdoutExact("cannot write!!!!!!!!!!!!!!");
}

void extractDescriptors() {
  for (const char* parameterFile : kParameterFiles) platform::runProgram({kExtractor, "-p", parameterFile});
}

void fileDescriptors(const ImageArgument& image) {
  for (const DescriptorFile& descriptor : kDescriptorFiles)
    platform::renameFile(descriptor.extractorOutput, image.fileName + descriptor.suffix);
  for (const DescriptorFile& descriptor : kDescriptorFiles)
    platform::moveFileInto(image.fileName + descriptor.suffix, kDescriptorFolder);
}

void fileLabelFile(const ImageArgument& image) {
  platform::moveFileInto(image.directory + kSeparator + image.baseName + ".seg",
                         image.directory + kSeparator + "segmentationMasks" + kSeparator);
}

}  // namespace

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] {
    const ImageArgument image = acceptedImageArgument(argc, argv);
    convertToPpm(image);
    segment(image);
    writeListFile(image);
    extractDescriptors();
    fileDescriptors(image);
    platform::removeFile(kListFile);
    pipeline::exportRegionMasks(image.directory, image.fileName);
    fileLabelFile(image);
    return 0;
  });
}
