// annotate-report: the steps of an annotate batch around the photo jobs.
//
//   annotate-report plan <output> <photo folder> <found list> <job list> <todo list> <done list>
//       drops the photos inside the output folder from the found list (the
//       job list), removes what killed jobs left, and splits the list into
//       photos still to do and photos done
//   annotate-report adopt <incoming folder> <output>
//       takes the folders other machines returned into the output
//   annotate-report finish <output> <job list> <skipped count> <seconds>
//       writes images.csv, regions.csv and report.html and prints the
//       batch's summary line; exit status 1 when a photo is not annotated
//
// Job lists hold photo paths below the photo folder, each ended by NUL.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "collection/report.h"
#include "collection/run.h"

namespace fs = std::filesystem;

namespace {

int usage() {
  std::fputs(
      "usage: annotate-report plan <output> <photo folder> <found list> <job list> <todo list> <done list>\n"
      "       annotate-report adopt <incoming folder> <output>\n"
      "       annotate-report finish <output> <job list> <skipped count> <seconds>\n",
      stderr);
  return 2;
}

int finish(const fs::path& output, const fs::path& list, int skipped, double seconds) {
  const std::vector<collection::PhotoEntry> entries = collection::loadEntries(output, collection::readJobList(list));
  collection::writeFile(output / "images.csv", collection::imagesTable(entries));
  collection::writeFile(output / "regions.csv", collection::regionsTable(entries));
  collection::writeFile(output / "report.html", collection::reportPage(entries));
  int annotated = 0;
  int failed = 0;
  for (const auto& entry : entries) (entry.record.annotated ? annotated : failed) += 1;
  const int annotatedNow = annotated - skipped;
  std::fprintf(stderr, "annotate: %d annotated, %d failed, %d skipped as done, %.1f s, %.2f photos/s; report: %s\n",
               annotatedNow, failed, skipped, seconds, seconds > 0 ? annotatedNow / seconds : 0.0,
               (fs::absolute(output) / "report.html").c_str());
  return failed > 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    if (args.size() == 7 && args[0] == "plan") {
      const std::vector<std::string> photos =
          collection::outsideOutput(collection::readJobList(args[3]), args[2], args[1]);
      std::vector<std::string> todo;
      std::vector<std::string> done;
      collection::removeLeftovers(args[1]);
      collection::planBatch(args[1], photos, todo, done);
      collection::writeJobList(args[4], photos);
      collection::writeJobList(args[5], todo);
      collection::writeJobList(args[6], done);
      return 0;
    }
    if (args.size() == 3 && args[0] == "adopt") {
      collection::adoptReturned(args[1], args[2]);
      return 0;
    }
    if (args.size() == 5 && args[0] == "finish")
      return finish(args[1], args[2], std::atoi(args[3].c_str()), std::atof(args[4].c_str()));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "annotate: %s\n", collection::lastLine(failure.what()).c_str());
    return 1;
  }
  return usage();
}
