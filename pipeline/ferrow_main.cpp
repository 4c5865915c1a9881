// Ferrow: prepares one image for classification. It has the image converted
// to PPM, segmented by Zorvik, described by the descriptor extractor, files
// the four descriptor files under descriptors/, writes one mask per region
// and files the label file in the image folder's segmentationMasks folder.
//
// The outside programs are started directly, one at a time, and waited for.
// What they return is not looked at; instead, what each must leave behind is
// checked before the next step, and a run stops with one line naming the
// step that failed. Before the first step everything an earlier run left for
// this image is removed, so that nothing of another photo can pass for this
// one's.

#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/exchanged_formats.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "pipeline/region_masks.h"
#include "pipeline/segmentation_arguments.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/replacing_file.h"

namespace {

namespace fs = std::filesystem;
using platform::ImageArgument;
using platform::kSeparator;

const std::string kSegmenter = std::string("lib") + kSeparator + platform::executableName("Zorvik");
const std::string kExtractor = std::string("lib") + kSeparator + "mpeg7DescriptorsExtraction";

const std::string kListFile = "infiles.txt";
const std::string kDescriptorFolder = "./" + std::string(formats::kDescriptorFolder);

// The extractor runs once per kind, in the extraction order, each run
// selected by the kind's parameter file and writing the kind's output; the
// outputs are then renamed and filed in the filing order.
std::string parameterFile(formats::DescriptorKind kind) {
  return std::string(formats::descriptorFormat(kind).parameterFile);
}
std::string extractorOutput(formats::DescriptorKind kind) {
  return std::string(formats::descriptorFormat(kind).extractorOutput);
}
// The name an output gets behind the image's file name.
std::string descriptorFileName(const ImageArgument& image, formats::DescriptorKind kind) {
  return image.fileName + std::string(formats::descriptorFormat(kind).suffix);
}

[[noreturn]] void stepFailed(const std::string& step, const std::string& detail) {
  platform::failStderrLine("Ferrow: " + step + ": " + detail);
}

// A failure's text as part of a line: without its line end.
std::string problemOf(const platform::Failure& failure) {
  std::string text = failure.what();
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

std::string inImageFolder(const ImageArgument& image, const std::string& name) {
  return image.directory + kSeparator + name;
}
std::string ppmPath(const ImageArgument& image) { return inImageFolder(image, image.baseName + ".ppm"); }
std::string labelFileName(const ImageArgument& image) {
  return image.baseName + std::string(formats::kLabelFileExtension);
}
std::string labelPath(const ImageArgument& image) { return inImageFolder(image, labelFileName(image)); }
std::string maskFolder(const ImageArgument& image) {
  return image.directory + kSeparator + std::string(formats::kMaskFolder) + kSeparator;
}

// Accepts only "<folder><separator><name>.<extension>" with a single
// separator, below the working directory; anything else would scatter files
// where nothing finds them.
ImageArgument acceptedImageArgument(int argc, char** argv) {
  const std::string example = std::string("images") + kSeparator + "photo.jpg";
  const std::string usage = std::string("usage: Ferrow <image folder>") + kSeparator +
                            "<image name>.<extension>, for example Ferrow " + example;
  if (argc < 2) platform::failStderrLine("Ferrow needs the image to prepare; " + usage);
  const std::string argument = argv[1];
  const ImageArgument image = platform::splitImageArgument(argument);
  if (image.directory.empty())
    platform::failStderrLine("\"" + argument + "\" names no image folder; " + usage);
  if (image.directory.size() == 1 || fs::path(argument).is_absolute())
    platform::failStderrLine("\"" + argument + "\" is not below the working directory; " + usage);
  if (image.fileName.find(kSeparator) != std::string::npos)
    platform::failStderrLine("\"" + argument + "\" lies below more than one folder; " + usage);
  if (image.fileName.find('.') == std::string::npos)
    platform::failStderrLine("\"" + argument + "\" has no extension; " + usage);
  return image;
}

// The extension of the photo's name when it is plain letters and digits,
// with its dot; otherwise none (the converter then goes by the file's content).
std::string plainExtension(const std::string& fileName) {
  const std::string extension = fileName.substr(fileName.rfind('.') + 1);
  if (extension.empty() || extension.size() > 10) return "";
  for (char c : extension)
    if (!std::isalnum(static_cast<unsigned char>(c))) return "";
  return "." + extension;
}

std::string converterInput(const ImageArgument& image) {
  return inImageFolder(image, ".ferrow-input" + plainExtension(image.fileName));
}
std::string converterOutput(const ImageArgument& image) { return inImageFolder(image, ".ferrow-output.ppm"); }

// The files that only live during a run: in the working directory and the
// converter's two in the image folder. They are
// removed when the run ends, whether it completes or stops.
class WorkingFiles {
 public:
  explicit WorkingFiles(const ImageArgument& image) {
    names_.push_back(kListFile);
    names_.push_back(converterInput(image));
    names_.push_back(converterOutput(image));
    for (const formats::DescriptorKind kind : formats::kFilingOrder) {
      names_.push_back(extractorOutput(kind));
      names_.push_back(descriptorFileName(image, kind));
    }
  }
  ~WorkingFiles() {
    for (const std::string& name : names_) platform::removeFile(name);
  }
  WorkingFiles(const WorkingFiles&) = delete;
  WorkingFiles& operator=(const WorkingFiles&) = delete;

  const std::vector<std::string>& names() const { return names_; }

 private:
  std::vector<std::string> names_;
};

bool isOwnMask(const std::string& name, const std::string& fileName) {
  const std::string prefix = std::string(formats::kMaskPrefix) + fileName + ".";
  const std::string suffix(formats::kMaskExtension);
  if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
    return false;
  const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  return number.find_first_not_of("0123456789") == std::string::npos;
}

// Everything an earlier run left for this image: its PPM and label file, the
// label file and every mask in segmentationMasks, whatever their region
// numbers, its four descriptor files and the working files. The photo itself
// stays, even when it bears the name of a product (a PPM photo "photo.ppm").
void removeEarlierProducts(const ImageArgument& image, const WorkingFiles& working) {
  const std::string photo = inImageFolder(image, image.fileName);
  try {
    if (ppmPath(image) != photo) platform::removeFileIfPresent(ppmPath(image));
    if (labelPath(image) != photo) platform::removeFileIfPresent(labelPath(image));
    platform::removeFileIfPresent(maskFolder(image) + labelFileName(image));
    std::error_code error;
    for (fs::directory_iterator entry(maskFolder(image), error), end; !error && entry != end; entry.increment(error)) {
      if (isOwnMask(entry->path().filename().string(), image.fileName))
        platform::removeFileIfPresent(entry->path().string());
    }
    for (const formats::DescriptorKind kind : formats::kFilingOrder)
      platform::removeFileIfPresent(kDescriptorFolder + "/" + descriptorFileName(image, kind));
    for (const std::string& name : working.names()) platform::removeFileIfPresent(name);
  } catch (const platform::Failure& failure) {
    stepFailed("clearing what an earlier run left", problemOf(failure));
  }
}

// The converter reads and writes only names Ferrow chose: a link to the photo
// and an output file, both plain names in the image folder behind "./", with
// the output format given. So no character of the photo's name can be taken
// for a format prefix, a pattern, a frame selection or a number format, and
// nothing is read or written outside the image folder. The output becomes
// the PPM once its header reads.
void convertToPpm(const ImageArgument& image) {
  const std::string photo = inImageFolder(image, image.fileName);
  std::error_code error;
  if (!fs::is_regular_file(photo, error)) stepFailed("converting", photo + " is not an image file");
  platform::linkBeside(photo, converterInput(image), error);
  if (error) stepFailed("converting", "cannot link " + converterInput(image) + " to the photo: " + error.message());
  platform::runProgram({"convert", "-define", "filename:literal=true", "./" + converterInput(image),
                        "ppm:./" + converterOutput(image)});
  platform::removeFile(converterInput(image));
  try {
    imaging::readColourImageHeader(converterOutput(image));
    platform::moveFile(converterOutput(image), ppmPath(image));
  } catch (const platform::Failure& failure) {
    platform::removeFile(converterOutput(image));  // whatever the converter left is no image to go on with
    std::string problem = problemOf(failure);
    stepFailed("converting", "the converter made no readable image of " + photo + " (" + problem + ")");
  }
}

// The label file must be complete and of the image's size.
void segment(const ImageArgument& image) {
  std::vector<std::string> command{kSegmenter, image.directory, image.directory, image.baseName};
  command.insert(command.end(), pipeline::kSegmentationArguments.begin(), pipeline::kSegmentationArguments.end());
  platform::runProgram(command);
  try {
    const imaging::PnmHeader ppm = imaging::readColourImageHeader(ppmPath(image));
    const imaging::GreyImage labels = imaging::readLabelFile(labelPath(image));
    if (labels.width() != ppm.width || labels.height() != ppm.height)
      stepFailed("segmenting", "the label file " + labelPath(image) + " is " + std::to_string(labels.width()) + " x " +
                                   std::to_string(labels.height()) + " pixels, the image " + std::to_string(ppm.width) +
                                   " x " + std::to_string(ppm.height));
  } catch (const platform::Failure& failure) {
    platform::removeFile(labelPath(image));  // no label file to go on with
    const std::string problem = problemOf(failure);
    if (problem.rfind("Ferrow: ", 0) == 0) throw;
    stepFailed("segmenting", kSegmenter + " made no complete label file (" + problem + ")");
  }
}

// The extractor learns the image from the list file: one line, no line end.
void writeListFile(const ImageArgument& image) {
  platform::replaceFile(kListFile, "./" + image.directory + image.fileName, platform::WriteReport::CannotWrite,
                        platform::WriteMode::Text);
}

void extractDescriptors() {
  for (const formats::DescriptorKind kind : formats::kExtractionOrder) {
    platform::runProgram({kExtractor, "-p", parameterFile(kind)});
    std::error_code error;
    if (!fs::is_regular_file(extractorOutput(kind), error))
      stepFailed("extracting descriptors",
                 kExtractor + " -p " + parameterFile(kind) + " made no " + extractorOutput(kind));
  }
}

void fileDescriptors(const ImageArgument& image) {
  try {
    for (const formats::DescriptorKind kind : formats::kFilingOrder)
      platform::moveFile(extractorOutput(kind), descriptorFileName(image, kind));
    for (const formats::DescriptorKind kind : formats::kFilingOrder)
      platform::moveFileInto(descriptorFileName(image, kind), kDescriptorFolder);
  } catch (const platform::Failure& failure) {
    stepFailed("filing the descriptor files", problemOf(failure));
  }
}

void fileLabelFile(const ImageArgument& image) {
  try {
    platform::moveFileInto(labelPath(image), maskFolder(image));
  } catch (const platform::Failure& failure) {
    stepFailed("filing the label file", problemOf(failure));
  }
}

}  // namespace

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] {
    const ImageArgument image = acceptedImageArgument(argc, argv);
    const WorkingFiles working(image);
    removeEarlierProducts(image, working);
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
