// annotate-photo: one job of an annotate batch. Annotates its photos one
// after the other in a job slot and publishes each one's folder, or records
// why it failed; a photo that fails does not stop the others.
//
// usage: annotate-photo [--engine in-process|programs] --ferrow P --tamsel P
//          --predictor-dir D --layout P --layout-from D --concepts F
//          [--models D] [--full-size] --slot DIR --output DIR -- <photo>...
// Each photo is named by its path below the photo folder (the working
// directory), which is also its relative path in the output folder. A slot
// starting with "~/" is taken below $ANNOTATE_SLOT_ROOT, or
// $HOME/.cache/annotate/slots when that is not set: where jobs on other
// machines keep their slots. Exit status 0 when every photo was annotated,
// 1 when one failed, 2 on a usage error.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collection/chain.h"
#include "collection/normalise.h"
#include "collection/photo_job.h"
#include "collection/run.h"
#include "segmentation/run_memory.h"

namespace {

int usage() {
  std::fputs(
      "usage: annotate-photo [--engine in-process|programs] --ferrow P --tamsel P --predictor-dir D --layout P "
      "--layout-from D --concepts F [--models D] [--full-size] --slot DIR --output DIR -- <photo>...\n",
      stderr);
  return 2;
}

void reportFailure(const std::string& photo, const std::string& reason) {
  std::fprintf(stderr, "annotate: %s: %s\n", collection::relativeName(photo).c_str(), reason.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  collection::ChainSettings settings;
  std::string engine = "in-process";
  std::string predictorDir;
  std::string slot;
  std::string output;
  std::vector<std::string> photos;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) return false;
      target = argv[++i];
      return true;
    };
    bool ok = true;
    if (argument == "--") {
      for (++i; i < argc; ++i) photos.push_back(argv[i]);
    } else if (argument == "--engine") ok = value(engine);
    else if (argument == "--ferrow") ok = value(settings.ferrow);
    else if (argument == "--tamsel") ok = value(settings.tamsel);
    else if (argument == "--predictor-dir") ok = value(predictorDir);
    else if (argument == "--layout") ok = value(settings.layout);
    else if (argument == "--layout-from") ok = value(settings.layoutFrom);
    else if (argument == "--concepts") ok = value(settings.concepts);
    else if (argument == "--models") ok = value(settings.models);
    else if (argument == "--full-size") settings.fullSize = true;
    else if (argument == "--slot") ok = value(slot);
    else if (argument == "--output") ok = value(output);
    else ok = false;
    if (!ok) return usage();
  }
  if (photos.empty() || slot.empty() || output.empty() || settings.ferrow.empty() || settings.tamsel.empty() ||
      settings.layout.empty() || settings.layoutFrom.empty() || settings.concepts.empty() ||
      (engine != "in-process" && engine != "programs"))
    return usage();
  if (slot.rfind("~/", 0) == 0) {
    const char* root = std::getenv("ANNOTATE_SLOT_ROOT");
    const char* home = std::getenv("HOME");
    const std::string base = root != nullptr && *root != '\0' ? std::string(root)
                                                                : std::string(home != nullptr ? home : ".") + "/.cache/annotate/slots";
    slot = base + slot.substr(1);
  }
  if (!predictorDir.empty()) collection::putFirstOnPath(predictorDir);

  // A job allocates and releases a few photo-sized buffers one after the
  // other (the decoded photo, the PPM, the overlay, its PNG rows): reusing
  // memory already in place instead of mapping fresh pages for each saves
  // about a fifth of a job's own time.
  segmentation::keepReleasedMemoryForReuse();
  const collection::ImageLibrary library(argv[0]);
  const std::unique_ptr<collection::Chain> chain =
      engine == "programs" ? collection::programChain(settings) : collection::inProcessChain(settings);
  std::optional<collection::Slot> held;
  try {
    held.emplace(slot);
    chain->prepare(held->directory());
  } catch (const std::exception& failure) {
    // Without a slot no photo of the job has a record; the next batch tries
    // them again.
    for (const std::string& photo : photos) reportFailure(photo, collection::lastLine(failure.what()));
    return 1;
  }
  int status = 0;
  for (const std::string& photo : photos) {
    try {
      const collection::PhotoRecord record =
          collection::annotatePhoto(*chain, settings, held->directory(), photo, output, photo);
      if (record.annotated) continue;
      reportFailure(photo, record.message);
    } catch (const std::exception& failure) {
      // Not even the failure record could be written.
      reportFailure(photo, collection::lastLine(failure.what()));
    }
    status = 1;
  }
  return status;
}
