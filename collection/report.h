#pragma once
// The collection as a whole: which photos of a job list still need doing,
// folders returned from other machines taken into the output, and the
// tables and the report page made from the published folders.

#include <filesystem>
#include <string>
#include <vector>

#include "collection/record.h"
#include "collection/regions.h"

namespace collection {

// A job list: photo paths below the photo folder, each ended by a NUL byte.
std::vector<std::string> readJobList(const std::filesystem::path& path);
void writeJobList(const std::filesystem::path& path, const std::vector<std::string>& photos);

// The photos of the list that do not lie inside the output folder (an output
// folder inside the photo folder holds overlays and slot copies).
std::vector<std::string> outsideOutput(const std::vector<std::string>& photos, const std::filesystem::path& photoFolder,
                                       const std::filesystem::path& output);

// Removes what killed jobs left in the output folder: staging folders and
// files (".<name>.partial-<pid>") and folders moved aside (".<name>.old-<pid>").
void removeLeftovers(const std::filesystem::path& output);

// Splits `photos` into those whose published folder is complete (`done`)
// and the rest (`todo`), keeping their order.
void planBatch(const std::filesystem::path& output, const std::vector<std::string>& photos,
               std::vector<std::string>& todo, std::vector<std::string>& done);

// Takes what other machines returned into <incoming>/*/ into the output:
// every complete published folder is renamed into place, every failure
// record moved to its place unless the photo is published; then <incoming>
// is removed. Returns the number of photos taken in.
int adoptReturned(const std::filesystem::path& incoming, const std::filesystem::path& output);

struct PhotoEntry {
  std::string name;     // relative path, as the tables show it
  bool found = false;   // whether the photo has a record at all
  PhotoRecord record;
  Confidences confidences;
  std::vector<RegionExtent> extents;
};

// Every photo of the list with its record and, when annotated, its regions.
std::vector<PhotoEntry> loadEntries(const std::filesystem::path& output, const std::vector<std::string>& photos);

std::string imagesTable(const std::vector<PhotoEntry>& entries);
std::string regionsTable(const std::vector<PhotoEntry>& entries);
std::string reportPage(const std::vector<PhotoEntry>& entries);

// "%XX" for every byte of a relative path but letters, digits, "-._~/".
std::string urlPath(const std::string& relative);

}  // namespace collection
