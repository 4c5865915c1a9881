// annotate-photo: one job of an annotate batch. Annotates one photo in a job
// slot and publishes its folder, or records why it failed.
//
// usage: annotate-photo --ferrow P --tamsel P --predictor-dir D --layout P
//          --layout-from D --concepts F [--models D] [--full-size]
//          --slot DIR <photo> <output folder> <relative path>
// A slot starting with "~/" is taken below $ANNOTATE_SLOT_ROOT, or
// $HOME/.cache/annotate/slots when that is not set: where jobs on other
// machines keep their slots. Exit status 0 when the photo was annotated,
// 1 when it failed, 2 on a usage error.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "collection/normalise.h"
#include "collection/photo_job.h"
#include "collection/run.h"
#include "segmentation/run_memory.h"

namespace {

int usage() {
  std::fputs(
      "usage: annotate-photo --ferrow P --tamsel P --predictor-dir D --layout P --layout-from D --concepts F "
      "[--models D] [--full-size] --slot DIR <photo> <output folder> <relative path>\n",
      stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  collection::ChainSettings settings;
  std::string predictorDir;
  std::string slot;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto value = [&](std::string& target) {
      if (i + 1 >= argc) return false;
      target = argv[++i];
      return true;
    };
    bool ok = true;
    if (argument == "--") {
      for (++i; i < argc; ++i) positional.push_back(argv[i]);
    } else if (argument == "--ferrow") ok = value(settings.ferrow);
    else if (argument == "--tamsel") ok = value(settings.tamsel);
    else if (argument == "--predictor-dir") ok = value(predictorDir);
    else if (argument == "--layout") ok = value(settings.layout);
    else if (argument == "--layout-from") ok = value(settings.layoutFrom);
    else if (argument == "--concepts") ok = value(settings.concepts);
    else if (argument == "--models") ok = value(settings.models);
    else if (argument == "--full-size") settings.fullSize = true;
    else if (argument == "--slot") ok = value(slot);
    else if (argument.rfind("--", 0) == 0) ok = false;
    else positional.push_back(argument);
    if (!ok) return usage();
  }
  if (positional.size() != 3 || slot.empty() || settings.ferrow.empty() || settings.tamsel.empty() ||
      settings.layout.empty() || settings.layoutFrom.empty() || settings.concepts.empty())
    return usage();
  if (slot.rfind("~/", 0) == 0) {
    const char* root = std::getenv("ANNOTATE_SLOT_ROOT");
    const char* home = std::getenv("HOME");
    const std::string base = root != nullptr && *root != '\0' ? std::string(root)
                                                                : std::string(home != nullptr ? home : ".") + "/.cache/annotate/slots";
    slot = base + slot.substr(1);
  }
  if (!predictorDir.empty()) collection::putFirstOnPath(predictorDir);

  const std::string& relative = positional[2];
  // A job allocates and releases a few photo-sized buffers one after the
  // other (the decoded photo, the PPM, the overlay, its PNG rows): reusing
  // memory already in place instead of mapping fresh pages for each saves
  // about a fifth of a job's own time.
  segmentation::keepReleasedMemoryForReuse();
  const collection::ImageLibrary library(argv[0]);
  try {
    collection::Slot held(slot);
    collection::prepareSlot(settings, held.directory());
    const collection::PhotoRecord record =
        collection::annotatePhoto(settings, held.directory(), positional[0], positional[1], relative);
    if (record.annotated) return 0;
    std::fprintf(stderr, "annotate: %s: %s\n", collection::relativeName(relative).c_str(), record.message.c_str());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "annotate: %s: %s\n", collection::relativeName(relative).c_str(),
                 collection::lastLine(failure.what()).c_str());
  }
  return 1;
}
