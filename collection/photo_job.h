#pragma once
// One photo of a collection, start to end: normalised into a job slot's
// working directory, run through a chain there (the programs Ferrow and
// Tamsel, or their steps in this process), its overlay drawn, and its files
// published into the output folder in one rename. A job annotates one photo
// after the other in the same slot.

#include <filesystem>
#include <string>

#include "collection/chain.h"
#include "collection/record.h"

namespace collection {

// The programs of the chain and what the slots are laid out with; the chain
// in this process takes its concept list and models from the laid-out slot
// too.
struct ChainSettings {
  std::string ferrow;      // Ferrow's path
  std::string tamsel;      // Tamsel's path
  std::string layout;      // the layout command
  std::string layoutFrom;  // the folder the layout command takes the programs from
  std::string concepts;    // the concept list file
  std::string models;      // a folder of models replacing the bundled ones; empty for the bundled ones
  bool fullSize = false;   // keep the photo's size instead of scaling its longer side to 640
};

inline constexpr int kLongerSide = 640;
inline constexpr int kSmallestSide = 32;   // below this on either side a photo is not segmented
inline constexpr int kSmallLongerSide = 200;  // below this the record carries a note

// A job slot's working directory, held for one job. The lock file beside the
// folder is held while the slot is in use; when another job holds it (two
// batches, or two logins on one machine with the same slot number) the next
// free folder "<base>-2", "<base>-3", ... is used.
class Slot {
 public:
  explicit Slot(const std::filesystem::path& base);
  ~Slot();
  Slot(const Slot&) = delete;
  Slot& operator=(const Slot&) = delete;
  const std::filesystem::path& directory() const { return directory_; }

 private:
  std::filesystem::path directory_;
  int lock_ = -1;
};

// Lays out the slot when it was never laid out, or laid out for other
// programs, concepts or models: the layout command, then the concept list and
// models chosen. Both chains' prepare() call it. Throws std::runtime_error
// when the layout command fails.
void prepareSlot(const ChainSettings& settings, const std::filesystem::path& slot);

// Annotates `photo` in `slot` (prepared for `chain`) with `chain` and publishes
// <output>/<relative>/: labels.seg, mask.<n>.pgm, RS.xml, SC.xml, HT.xml,
// EH.xml, results.xml, overlay.png and, last, annotation.txt. A photo that
// fails publishes nothing and leaves its record under
// <output>/.annotate/failed/ instead. Returns the record either way; throws
// only when not even the failure record can be written.
PhotoRecord annotatePhoto(Chain& chain, const ChainSettings& settings, const std::filesystem::path& slot,
                          const std::filesystem::path& photo, const std::filesystem::path& output,
                          const std::string& relative);

// Puts `directory` first on this process's PATH (Tamsel starts the
// predictor by name).
void putFirstOnPath(const std::string& directory);

}  // namespace collection
