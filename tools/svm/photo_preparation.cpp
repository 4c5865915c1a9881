#include "tools/svm/photo_preparation.h"

#include <cstdio>
#include <filesystem>

#include "classification/descriptor_readers.h"
#include "formats/exchanged_formats.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/stream_redirection.h"
#include "tools/svm/photo_regions.h"

namespace svm_tools {

using platform::StreamRedirection;

namespace {

namespace fs = std::filesystem;

const std::string kLogFolder = "trainingLogs";

// The chain's steps after the conversion, as Ferrow runs them: the segmenter
// with its block size, texture levels, refinements and margin, and the
// extractor once per parameter file, whose fixed output is then filed under
// descriptors/.
const std::string kSegmenter = std::string("lib") + platform::kSeparator + "Zorvik";
const std::string kExtractor = std::string("lib") + platform::kSeparator + "mpeg7DescriptorsExtraction";
const std::string kListFile = "infiles.txt";
const std::string kMaskFolder(formats::kMaskFolder);

std::string baseOf(const std::string& fileName) { return fileName.substr(0, fileName.find('.')); }

std::string logPathFor(const std::string& fileName) { return kLogFolder + platform::kSeparator + fileName + ".log"; }

void runFerrow(const PreparationSettings& settings, const std::string& fileName) {
  int status = 0;
  {
    StreamRedirection log(logPathFor(fileName), StreamRedirection::OutputAndError);
    status = platform::runProgram({settings.ferrow, settings.imageFolder + fileName});
  }
  if (status == -1) throw ProgramMissing("cannot start " + settings.ferrow + "\n", platform::Stream::Error);
}

void copyPhoto(const PreparationSettings& settings, const std::string& fileName) {
  const fs::path source = fs::path(settings.sourceFolder) / fileName;
  std::error_code error;
  fs::copy_file(source, settings.imageFolder + fileName, fs::copy_options::overwrite_existing, error);
  if (error) platform::failStderrLine("cannot copy the photo " + source.string() + ": " + error.message());
}

void writeMirroredPhoto(const PreparationSettings& settings, const std::string& fileName, const std::string& copy) {
  const fs::path source = fs::path(settings.sourceFolder) / fileName;
  int status = 0;
  {
    StreamRedirection log(logPathFor(copy), StreamRedirection::OutputAndError);
    status = platform::runProgram({"convert", source.string(), "-flop", settings.imageFolder + copy});
  }
  if (status != 0) platform::failStderrLine("cannot write the mirrored photo " + copy + " (see its log)");
}

// Segments `copy` at `limit` from the PPM of `from` and describes its regions.
void segmentAtLimit(const PreparationSettings& settings, const std::string& from, const std::string& copy, int limit) {
  const std::string folder = settings.imageFolder;
  std::error_code error;
  fs::copy_file(folder + baseOf(from) + ".ppm", folder + baseOf(copy) + ".ppm", fs::copy_options::overwrite_existing,
                error);
  if (error) platform::failStderrLine("cannot copy the PPM of " + from + ": " + error.message());

  StreamRedirection log(logPathFor(copy), StreamRedirection::OutputAndError);
  platform::runProgram({kSegmenter, folder, folder, baseOf(copy), "8", "2", "1", "1", "0", std::to_string(limit)});
  {
    std::FILE* list = std::fopen(kListFile.c_str(), "w");
    if (list == nullptr) platform::failStderrLine("cannot write " + kListFile);
    const std::string line = "./" + folder + copy;
    const bool written = std::fwrite(line.data(), 1, line.size(), list) == line.size();
    if (std::fclose(list) != 0 || !written) platform::failStderrLine("cannot write " + kListFile);
  }
  for (const formats::DescriptorKind kind : formats::kExtractionOrder) {
    const formats::DescriptorFormat& format = formats::descriptorFormat(kind);
    const std::string output(format.extractorOutput);
    platform::removeFile(output);
    platform::runProgram({kExtractor, "-p", std::string(format.parameterFile)});
    platform::moveFile(output, classification::descriptorPath(copy, kind));
  }
  platform::removeFile(kListFile);
  platform::moveFileInto(folder + baseOf(copy) + std::string(formats::kLabelFileExtension),
                         folder + kMaskFolder + platform::kSeparator);
}

}  // namespace

std::string variantFileName(const std::string& fileName, const PhotoVariant& variant) {
  std::string name = variant.mirrored ? "mirrored-" + baseOf(fileName) + ".png" : fileName;
  if (variant.regionLimit != kFerrowRegionLimit) name = "limit" + std::to_string(variant.regionLimit) + "-" + name;
  return name;
}

void prepareWorkingFolders(const std::string& imageFolder) {
  for (const std::string& folder : {imageFolder + kMaskFolder, std::string(formats::kDescriptorFolder),
                                    std::string(formats::kResultsFolder), kLogFolder}) {
    std::error_code error;
    fs::create_directories(folder, error);
    if (error) platform::failStderrLine("cannot create the folder " + folder + " in the working directory");
  }
}

bool preparePhoto(const PreparationSettings& settings, const std::string& fileName, const PhotoVariant& variant) {
  const std::string name = variantFileName(fileName, variant);
  if (!settings.rerun && photoResultsPresent(settings.imageFolder, name)) return true;
  // Results of an earlier run must not pass for this one's.
  for (const formats::DescriptorKind kind : formats::kExtractionOrder)
    platform::removeFile(classification::descriptorPath(name, kind));

  if (variant.regionLimit != kFerrowRegionLimit) {
    segmentAtLimit(settings, variantFileName(fileName, PhotoVariant{variant.mirrored}), name, variant.regionLimit);
  } else if (variant.mirrored) {
    writeMirroredPhoto(settings, fileName, name);
    runFerrow(settings, name);
  } else {
    copyPhoto(settings, fileName);
    runFerrow(settings, name);
  }
  return false;
}

}  // namespace svm_tools
