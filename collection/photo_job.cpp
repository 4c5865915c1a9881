#include "collection/photo_job.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "classification/descriptor_readers.h"
#include "collection/normalise.h"
#include "collection/overlay.h"
#include "formats/exchanged_formats.h"
#include "collection/regions.h"
#include "collection/run.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"
#include "platform/failure.h"

namespace fs = std::filesystem;

namespace collection {
namespace {

constexpr const char* kLayoutMark = ".laid-out";

class JobFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string lowerExtension(const fs::path& photo) {
  std::string extension = photo.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  return extension;
}

// Removes everything in `folder` but the entry named `kept`, making the
// folder when it is missing.
void emptyFolder(const fs::path& folder, const std::string& kept = "") {
  fs::create_directories(folder);
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != kept) fs::remove_all(entry.path());
}

// Leftovers of an earlier photo (or of a job killed half-way) go, the folders
// the programs expect stay. The folders themselves are kept from photo to
// photo: making a folder is the dearest of the file system's operations here.
void clearSlot(const fs::path& slot) {
  emptyFolder(slot / "images", "segmentationMasks");
  emptyFolder(slot / "images/segmentationMasks");
  for (const char* folder : {"descriptors", "output"}) emptyFolder(slot / folder);
  for (const char* file : {"infiles.txt", "testDataFile.txt", "output.txt"}) fs::remove(slot / file);
}

// Turns the photo upright, flattens it onto white, scales it and writes it as
// the slot's PPM.
void normalise(const ChainSettings& settings, const fs::path& slot, const fs::path& photo, PhotoRecord& record) {
  std::error_code error;
  if (!fs::is_regular_file(photo, error)) throw JobFailure("no such photo: " + photo.string());
  // The photo is reached through a link with a plain name, so that nothing in
  // its own name (brackets, colons, a leading dash) is read as an option, and
  // messages name it alike on every machine.
  const std::string source = "images/source" + lowerExtension(photo);
  fs::create_symlink(fs::absolute(photo), slot / source);
  const PhotoSizes sizes = normalisePhoto(fs::absolute(slot / source).string(), source, (slot / kNormalised).string(),
                                          settings.fullSize ? 0 : kLongerSide);
  record.originalWidth = sizes.originalWidth;
  record.originalHeight = sizes.originalHeight;
  record.width = sizes.width;
  record.height = sizes.height;
  if (std::min(record.width, record.height) < kSmallestSide)
    throw JobFailure("too small to segment: " + std::to_string(record.width) + " x " + std::to_string(record.height) +
                     " pixels (at least " + std::to_string(kSmallestSide) + " on each side)");
}

bool isGrey(const imaging::ColourImage& image) {
  for (int row = 0; row < image.height(); ++row)
    for (int column = 0; column < image.width(); ++column)
      if (image[0][row][column] != image[1][row][column] || image[1][row][column] != image[2][row][column]) return false;
  return true;
}

std::string notes(const imaging::ColourImage& photo) {
  std::string text;
  if (isGrey(photo)) text = "grey photo: concepts told apart by colour are unreliable";
  if (std::max(photo.width(), photo.height()) < kSmallLongerSide) {
    if (!text.empty()) text += "; ";
    text += "small photo (" + std::to_string(photo.width()) + " x " + std::to_string(photo.height()) +
            " pixels): few and coarse regions";
  }
  return text;
}

// Moves a product of the slot into the staging folder (copies it when the
// two are on different file systems).
void addFile(const fs::path& from, const fs::path& folder, const std::string& name, PhotoRecord& record) {
  std::error_code error;
  fs::rename(from, folder / name, error);
  if (error) fs::copy_file(from, folder / name, fs::copy_options::overwrite_existing);
  record.files.push_back({name, fs::file_size(folder / name)});
}

// Fills the staging folder with the slot's products and the overlay, the
// record last.
void stage(const fs::path& slot, const fs::path& staging, PhotoRecord& record) {
  const imaging::ColourImage photo = imaging::readColourImage((slot / kNormalised).string());
  const imaging::GreyImage labels = imaging::readLabelFile((slot / kLabels).string());
  const Confidences confidences = parseResults(readWholeFile(slot / kResults));
  record.width = photo.width();
  record.height = photo.height();
  record.regions = static_cast<int>(confidences.values.size());
  record.message = notes(photo);

  std::vector<Tint> tints;
  for (const auto& region : confidences.values) {
    const int best = bestConcept(region);
    tints.push_back(best < 0 ? Tint{} : Tint{true, conceptColour(confidences.concepts[best])});
  }
  const imaging::ColourImage overlay = makeOverlay(photo, labels, tints);

  fs::create_directories(staging);
  addFile(slot / kLabels, staging, "labels.seg", record);
  for (int region = 0;; ++region) {
    const fs::path mask = slot / "images/segmentationMasks" / (kMaskPrefix + std::to_string(region) + ".pgm");
    std::error_code error;
    if (!fs::is_regular_file(mask, error)) break;
    addFile(mask, staging, "mask." + std::to_string(region) + ".pgm", record);
  }
  const std::string imageName = fs::path(kNormalised).filename().string();
  for (const formats::DescriptorKind kind : formats::kExtractionOrder)
    addFile(slot / classification::descriptorPath(imageName, kind), staging,
            std::string(formats::descriptorFormat(kind).shortName) + ".xml", record);
  addFile(slot / kResults, staging, "results.xml", record);
  writePng((staging / "overlay.png").string(), overlay);
  record.files.push_back({"overlay.png", fs::file_size(staging / "overlay.png")});
}

// Puts the staged folder in place with one rename; an older folder of the
// same photo is moved aside first and removed after.
void publish(const fs::path& staging, const fs::path& destination) {
  std::error_code error;
  fs::path old;
  if (fs::exists(fs::symlink_status(destination, error))) {
    old = besideHidden(destination, "old");
    fs::remove_all(old);
    fs::rename(destination, old);
  }
  fs::rename(staging, destination);
  if (!old.empty()) fs::remove_all(old);
}

std::string signature(const ChainSettings& settings) {
  return settings.ferrow + '\n' + settings.tamsel + '\n' + settings.layout + '\n' + settings.layoutFrom + '\n' +
         settings.concepts + '\n' + settings.models + '\n';
}

}  // namespace

Slot::Slot(const fs::path& base) {
  if (!base.parent_path().empty()) fs::create_directories(base.parent_path());
  for (int attempt = 1;; ++attempt) {
    fs::path candidate = base;
    if (attempt > 1) candidate += std::string(1, '-').append(std::to_string(attempt));
    fs::path lockPath = candidate;
    lockPath += ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) throw std::runtime_error("cannot open the slot lock " + lockPath.string());
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      directory_ = candidate;
      lock_ = fd;
      fs::create_directories(directory_);
      return;
    }
    ::close(fd);
  }
}

Slot::~Slot() {
  if (lock_ >= 0) ::close(lock_);
}

void prepareSlot(const ChainSettings& settings, const fs::path& slot) {
  const std::string wanted = signature(settings);
  if (readWholeFile(slot / kLayoutMark) == wanted) return;
  fs::remove(slot / kLayoutMark);
  const RunResult run = runIn(slot, {settings.layout, settings.layoutFrom, "."}, slot / "layout.log");
  if (run.status != 0) throw std::runtime_error("laying out " + slot.string() + ": " + lastLine(run.output));
  const fs::path concepts = fs::absolute(settings.concepts);
  if (!fs::is_regular_file(concepts)) throw std::runtime_error("no concept list " + settings.concepts);
  fs::copy_file(concepts, slot / "conf" / concepts.filename(), fs::copy_options::overwrite_existing);
  if (!settings.models.empty()) {
    if (!fs::is_directory(settings.models)) throw std::runtime_error("no models folder " + settings.models);
    fs::remove_all(slot / "conf/SVMtrainingModels");
    fs::copy(settings.models, slot / "conf/SVMtrainingModels", fs::copy_options::recursive);
  }
  writeFile(slot / kLayoutMark, wanted);
}

PhotoRecord annotatePhoto(Chain& chain, const ChainSettings& settings, const fs::path& slot, const fs::path& photo,
                          const fs::path& output, const std::string& relative) {
  const auto start = std::chrono::steady_clock::now();
  const fs::path destination = publishedFolder(output, relative);
  const fs::path staging = besideHidden(destination, "partial");
  PhotoRecord record;
  auto seconds = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
  try {
    clearSlot(slot);
    normalise(settings, slot, photo, record);
    chain.run(slot);
    fs::create_directories(destination.parent_path());
    fs::remove_all(staging);
    stage(slot, staging, record);
    record.annotated = true;
    record.seconds = seconds();
    writeFile(staging / kRecordName, recordText(record));
    publish(staging, destination);
    fs::remove(failureRecord(output, relative));
    return record;
  } catch (const JobFailure& failure) {
    record.message = failure.what();
  } catch (const platform::Failure& failure) {
    record.message = lastLine(failure.what());
  } catch (const std::exception& failure) {
    record.message = failure.what();
  }
  std::error_code error;
  fs::remove_all(staging, error);
  record.annotated = false;
  record.files.clear();
  record.regions = 0;
  record.seconds = seconds();
  const fs::path failed = failureRecord(output, relative);
  fs::create_directories(failed.parent_path());
  writeFile(failed, recordText(record));
  return record;
}

void putFirstOnPath(const std::string& directory) {
  const char* path = std::getenv("PATH");
  const std::string value = path != nullptr && *path != '\0' ? directory + ":" + path : directory;
  setenv("PATH", value.c_str(), 1);
}

}  // namespace collection
