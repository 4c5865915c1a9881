// The chain in this process: the steps of Ferrow and Tamsel through the
// library functions the programs call, without the programs' hand-overs
// where a value is at hand already. The photo's pixels and labels stay in
// memory from the segmentation to the last descriptor; the files the
// programs would leave are written all the same, under their names, and
// Tamsel's half reads the descriptor files back as Tamsel does. The concept
// models are loaded on the first photo and kept.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "classification/concept_list.h"
#include "classification/confidences.h"
#include "classification/descriptor_readers.h"
#include "classification/region_features.h"
#include "classification/results_writer.h"
#include "collection/chain.h"
#include "collection/photo_job.h"
#include "collection/run.h"
#include "formats/exchanged_formats.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "pipeline/region_masks.h"
#include "pipeline/segmentation_arguments.h"
#include "platform/failure.h"
#include "platform/files.h"
#include "platform/replacing_file.h"
#include "segmentation/log.h"
#include "segmentation/run_driver.h"
#include "tools/descriptors/extraction.h"
#include "tools/svm/loaded_predictor.h"

namespace fs = std::filesystem;

namespace collection {
namespace {

// The photo as the programs are told of it: its folder, with the separator,
// and its file name.
const std::string kImageFolder = fs::path(kNormalised).parent_path().string() + "/";
const std::string kImageName = fs::path(kNormalised).filename().string();

// Ferrow's segmentation, read from Ferrow's arguments by Zorvik's own
// reader (the folders and name are not used: the pixels are in memory).
segmentation::RunSettings segmenterSettings() {
  std::vector<const char*> arguments{"Zorvik", ".", ".", "photo"};
  arguments.insert(arguments.end(), pipeline::kSegmentationArguments.begin(), pipeline::kSegmentationArguments.end());
  return segmentation::parseCommandLine(static_cast<int>(arguments.size()), arguments.data());
}

// A path the programs name relative to the working directory ("./x" or
// "x"), in the slot.
std::string inSlot(const fs::path& slot, const std::string& relative) {
  return (slot / (relative.rfind("./", 0) == 0 ? relative.substr(2) : relative)).string();
}

// Runs one step; its failure becomes one line naming the step, and the files
// of the slot as the programs name them, relative to it.
template <typename Step>
auto step(const char* name, const fs::path& slot, Step&& body) {
  std::string reason;
  try {
    return body();
  } catch (const platform::Failure& failure) {
    reason = lastLine(failure.what());
  } catch (const std::bad_alloc&) {
    reason = "allocation failure";
  }
  const std::string prefix = (slot / "").string();
  for (std::size_t at = reason.find(prefix); at != std::string::npos; at = reason.find(prefix, at))
    reason.erase(at, prefix.size());
  throw std::runtime_error(std::string(name) + ": " + reason);
}

class InProcessChain : public Chain {
 public:
  explicit InProcessChain(const ChainSettings& settings) : settings_(settings) {}

  void prepare(const fs::path& slot) override {
    prepareSlot(settings_, slot);
    // Models of another slot may be other models.
    if (!predictor_ || slot_ != slot) predictor_ = std::make_unique<svm_tools::LoadedModelsPredictor>(slot.string());
    slot_ = slot;
  }

  void run(const fs::path& slot) override {
    if (!predictor_ || slot_ != slot) prepare(slot);
    const imaging::ColourImage pixels =
        step("reading the photo", slot, [&] { return imaging::readColourImage(inSlot(slot, kNormalised)); });
    const imaging::GreyImage labels = step("segmenting", slot, [&] {
      segmentation::Log log;  // the segmenter's progress text is not wanted here
      imaging::GreyImage bytes = segmentation::segmentImage(pixels, segmentation_, log).labelBytes;
      imaging::writeGreyImage(inSlot(slot, kLabels), bytes);
      return bytes;
    });
    step("extracting descriptors", slot, [&] {
      const std::vector<descriptors::Region> regions = descriptors::findRegions(labels);
      for (const formats::DescriptorKind kind : formats::kExtractionOrder)
        platform::replaceFile(inSlot(slot, classification::descriptorPath(kImageName, kind)),
                              descriptors::descriptorText(kind, pixels, labels, regions),
                              platform::WriteReport::OpeningClosing);
    });
    step("writing the region masks", slot,
         [&] { pipeline::writeRegionMasks(labels, inSlot(slot, kImageFolder), kImageName); });
    step("classifying", slot, [&] { classify(slot, imaging::regionCount(labels)); });
  }

 private:
  // Tamsel's half: the concepts, the features read from the descriptor
  // files, the predictor's answers and the results file.
  void classify(const fs::path& slot, int regionCount) {
    const std::string resultsPath = inSlot(slot, classification::resultsPath(kImageName));
    platform::removeFileIfPresent(resultsPath);
    const std::string listName = fs::path(settings_.concepts).filename().string();
    const std::vector<std::string> conceptNames =
        classification::readConceptList(inSlot(slot, classification::conceptListPath(listName)));
    const std::string labelFile = classification::labelFilePath(kImageName, kImageFolder);
    const classification::FeatureTable features =
        classification::readFeatureTable(kImageName, regionCount, labelFile, slot.string());
    const classification::ConfidenceTable confidences =
        classification::predictConfidences(features, conceptNames, *predictor_);
    platform::replaceFile(resultsPath, classification::resultsDocument(conceptNames, confidences),
                          platform::WriteReport::CannotWrite, platform::WriteMode::Text);
  }

  ChainSettings settings_;
  const segmentation::RunSettings segmentation_ = segmenterSettings();
  fs::path slot_;
  std::unique_ptr<svm_tools::LoadedModelsPredictor> predictor_;
};

}  // namespace

std::unique_ptr<Chain> inProcessChain(const ChainSettings& settings) {
  return std::make_unique<InProcessChain>(settings);
}

}  // namespace collection
