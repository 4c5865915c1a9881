#pragma once
// What the engine test and the engine benchmark share: the chain settings of
// the build tree, a slot made ready for a photo, Ferrow then Tamsel run in a
// slot, and the files a chain leaves there. The build's program paths come
// from the FERROW_PATH, TAMSEL_PATH, PROJECT_SOURCE_DIR and PROJECT_BINARY_DIR
// definitions of the including target.

#include <filesystem>
#include <map>
#include <string>

#include "collection/chain.h"
#include "collection/photo_job.h"
#include "collection/run.h"

namespace engine_support {

namespace fs = std::filesystem;

inline collection::ChainSettings buildTreeSettings() {
  collection::ChainSettings settings;
  settings.ferrow = FERROW_PATH;
  settings.tamsel = TAMSEL_PATH;
  settings.layout = (fs::path(PROJECT_SOURCE_DIR) / "scripts/layout").string();
  settings.layoutFrom = PROJECT_BINARY_DIR;
  settings.concepts = (fs::path(PROJECT_SOURCE_DIR) / "models/concepts.txt").string();
  return settings;
}

// The slot as a job leaves it for the chain: the files of earlier photos
// gone, the folders the programs expect in place; the photo's PPM is to be
// written next.
inline void clearSlot(const fs::path& slot) {
  for (const char* folder : {"images", "descriptors", "output"}) fs::remove_all(slot / folder);
  for (const char* folder : {"images/segmentationMasks", "descriptors", "output"}) fs::create_directories(slot / folder);
}

// Ferrow then Tamsel in the slot, their output in logs/; empty when both
// succeeded, else the last line of the one that failed.
inline std::string runPrograms(const fs::path& slot, const fs::path& logs) {
  const collection::RunResult ferrow = collection::runIn(slot, {FERROW_PATH, collection::kNormalised}, logs / "Ferrow.log");
  if (ferrow.status != 0) return collection::lastLine(ferrow.output);
  const collection::RunResult tamsel =
      collection::runIn(slot, {TAMSEL_PATH, collection::kNormalised, "concepts.txt"}, logs / "Tamsel.log");
  if (tamsel.status != 0) return collection::lastLine(tamsel.output);
  return "";
}

// Every file the chain leaves in a slot, by path below the slot.
inline std::map<std::string, std::string> chainFiles(const fs::path& slot) {
  std::map<std::string, std::string> files;
  for (const char* folder : {"images", "descriptors", "output"})
    for (const auto& entry : fs::recursive_directory_iterator(slot / folder))
      if (entry.is_regular_file())
        files[fs::relative(entry.path(), slot).string()] = collection::readWholeFile(entry.path());
  return files;
}

}  // namespace engine_support
