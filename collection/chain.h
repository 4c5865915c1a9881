#pragma once
// What turns the normalised photo of a job slot into the files the chain
// leaves there: Ferrow's label file, masks and descriptor files, Tamsel's
// results file, all under their fixed names. Two chains do it: the programs,
// started once per photo, and the same library functions called in this
// process, which loads the concept models once and keeps them for every
// photo it annotates.

#include <filesystem>
#include <memory>
#include <string>

namespace collection {

struct ChainSettings;

// The fixed names of the photo inside a slot, relative to the slot.
// The normalised photo is a PPM: no compression to pay for, and the
// converter Ferrow starts reads it back unchanged.
inline constexpr const char* kNormalised = "images/photo.ppm";
inline constexpr const char* kLabels = "images/segmentationMasks/photo.seg";
inline constexpr const char* kMaskPrefix = "RegionMask.photo.ppm.";  // + region + ".pgm", in images/segmentationMasks/
inline constexpr const char* kResults = "output/classification-results.photo.ppm.ORM.xml";

class Chain {
 public:
  virtual ~Chain() = default;

  // Makes `slot` ready for this chain; a slot laid out for the same settings
  // before is left as it is.
  virtual void prepare(const std::filesystem::path& slot) = 0;

  // Annotates the slot's normalised photo kNormalised (the slot cleared of
  // every earlier photo's files), leaving the label file kLabels, the masks,
  // the four descriptor files under descriptors/ and the results file
  // kResults. Throws std::runtime_error or platform::Failure with the reason
  // for the record when a step fails; the slot is cleared before the next
  // photo either way.
  virtual void run(const std::filesystem::path& slot) = 0;
};

// Ferrow then Tamsel, started as programs in the slot: the reference chain.
std::unique_ptr<Chain> programChain(const ChainSettings& settings);

// The same steps in this process, the models loaded on the first photo.
std::unique_ptr<Chain> inProcessChain(const ChainSettings& settings);

}  // namespace collection
