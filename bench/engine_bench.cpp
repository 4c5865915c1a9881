// The two chains of a job slot side by side on a folder of photos: Ferrow
// then Tamsel started as programs in one slot, the in-process chain in
// another, photo after photo in turn. Each photo is normalised once, as
// annotate does, before the timing; then, per photo and chain, the slot is
// cleared and the photo's PPM put in (not timed), and the chain is run. The
// processor time (user + system) of a program run is that of the children
// plus this process's own share in starting them; of the in-process chain,
// this process's. After each photo every file the two chains left is
// compared byte for byte. A measurement program, not a timed test.
//
// usage: engine_bench [--engine-only] [<photo folder>] [<rounds>]
//   the folder defaults to ../shared/photos, the rounds (passes over every
//   photo) to 1; --engine-only runs the in-process chain alone (to profile
//   it: perf record engine_bench --engine-only).

#include <sys/resource.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "collection/chain.h"
#include "collection/normalise.h"
#include "collection/photo_job.h"
#include "collection/run.h"
#include "collection/tests/engine_support.h"

namespace fs = std::filesystem;

namespace {

double cpuMs(int who) {
  rusage usage{};
  getrusage(who, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double ownAndChildrenMs() { return cpuMs(RUSAGE_SELF) + cpuMs(RUSAGE_CHILDREN); }

struct Photo {
  std::string name;
  std::string ppm;
};

// The slot made ready and the photo's PPM put in.
void putPhoto(const fs::path& slot, const Photo& photo) {
  engine_support::clearSlot(slot);
  collection::writeFile(slot / collection::kNormalised, photo.ppm);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  const bool engineOnly = !arguments.empty() && arguments.front() == "--engine-only";
  if (engineOnly) arguments.erase(arguments.begin());
  const fs::path folder = arguments.size() > 0 ? fs::path(arguments[0]) : fs::path(SHARED_DATA_DIR) / "photos";
  const int rounds = arguments.size() > 1 ? std::max(1, std::atoi(arguments[1].c_str())) : 1;
  if (!fs::is_directory(folder)) {
    std::fprintf(stderr, "engine_bench: no photo folder %s\n", folder.c_str());
    return 1;
  }
  const collection::ImageLibrary library(argv[0]);
  collection::putFirstOnPath(fs::path(PREDICTOR_PATH).parent_path().string());
  const fs::path work = fs::temp_directory_path() / ("engine-bench-" + std::to_string(getpid()));
  fs::create_directories(work);
  struct RemoveAtEnd {
    fs::path folder;
    ~RemoveAtEnd() {
      std::error_code ignored;
      fs::remove_all(folder, ignored);
    }
  } removeAtEnd{work};

  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".jpg") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Photo> photos;
  for (const fs::path& file : files) {
    const fs::path ppm = work / "normalised.ppm";
    collection::normalisePhoto(file.string(), file.filename().string(), ppm.string(), collection::kLongerSide);
    photos.push_back({file.filename().string(), collection::readWholeFile(ppm)});
  }

  const collection::ChainSettings settings = engine_support::buildTreeSettings();
  const fs::path programs = work / "programs";
  const fs::path engine = work / "engine";
  fs::create_directories(programs);
  fs::create_directories(engine);
  collection::prepareSlot(settings, programs);
  // The programs' slot as it is after its first photo: the binary models
  // written beside the text ones.
  putPhoto(programs, photos.front());
  engine_support::runPrograms(programs, work);

  // The chain is made and prepared inside the timing: what a job process
  // pays once, models included (they load on the first photo).
  const double engineStart = cpuMs(RUSAGE_SELF);
  std::unique_ptr<collection::Chain> chain = collection::inProcessChain(settings);
  chain->prepare(engine);
  const double setupMs = cpuMs(RUSAGE_SELF) - engineStart;
  double engineMs = setupMs;
  double programMs = 0;
  int identical = 0, differing = 0, failedBoth = 0, failedOne = 0, runs = 0;
  double firstPhotoMs = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const Photo& photo : photos) {
      bool programsMade = true;
      if (!engineOnly) {
        putPhoto(programs, photo);
        const double programBefore = ownAndChildrenMs();
        programsMade = engine_support::runPrograms(programs, work).empty();
        programMs += ownAndChildrenMs() - programBefore;
      }

      putPhoto(engine, photo);
      const double engineBefore = cpuMs(RUSAGE_SELF);
      bool engineMade = true;
      std::string reason;
      try {
        chain->run(engine);
      } catch (const std::exception& failure) {
        engineMade = false;
        reason = failure.what();
      }
      const double spent = cpuMs(RUSAGE_SELF) - engineBefore;
      if (runs == 0) firstPhotoMs = spent;
      engineMs += spent;
      ++runs;

      if (!programsMade || !engineMade) {
        (programsMade == engineMade ? failedBoth : failedOne)++;
        std::printf("%s: %s%s\n", photo.name.c_str(), programsMade ? "" : "the programs failed; ",
                    engineMade ? "the engine annotated it" : ("the engine failed: " + reason).c_str());
        continue;
      }
      if (engineOnly) continue;
      const auto expected = engine_support::chainFiles(programs);
      const auto made = engine_support::chainFiles(engine);
      if (expected == made) {
        ++identical;
      } else {
        ++differing;
        for (const auto& [name, bytes] : expected) {
          const auto found = made.find(name);
          if (found == made.end() || found->second != bytes) std::printf("%s: %s differs\n", photo.name.c_str(), name.c_str());
        }
        for (const auto& [name, bytes] : made)
          if (!expected.count(name)) std::printf("%s: only the engine left %s\n", photo.name.c_str(), name.c_str());
      }
    }
  }

  const double programPerPhoto = programMs / runs;
  const double enginePerPhoto = engineMs / runs;
  std::printf("%zu photos of %s, %d round(s), %d runs of each chain\n", photos.size(), folder.c_str(), rounds, runs);
  if (!engineOnly)
    std::printf("programs (Ferrow + Tamsel):  %7.1f ms processor per photo, %6.1f photos per processor second\n",
              programPerPhoto, 1000 / programPerPhoto);
  std::printf("in-process chain:            %7.1f ms processor per photo, %6.1f photos per processor second\n",
              enginePerPhoto, 1000 / enginePerPhoto);
  std::printf("  of which making and preparing it %.1f ms, its first photo (models loaded) %.1f ms, "
              "the photos after it %.1f ms each\n",
              setupMs, firstPhotoMs, runs > 1 ? (engineMs - setupMs - firstPhotoMs) / (runs - 1) : 0.0);
  if (!engineOnly) std::printf("speed-up: %.2f x the photos per processor second\n", programPerPhoto / enginePerPhoto);
  if (!engineOnly)
    std::printf("byte-identical: %d of %d photos; %d differ; %d failed in both, %d in one only\n", identical, runs,
              differing, failedBoth, failedOne);
  return differing == 0 && failedOne == 0 ? 0 : 1;
}
