// trainConcepts <point file> <image folder> <working directory> [options]
//
// Turns labelled points into one SVM model per concept. Every photo named in
// the point file is prepared by Ferrow in the working directory (or its
// earlier results are reused), the region under each point is looked up in
// the photo's label file, and each region whose points agree (two thirds at
// least) becomes a training example with the 433 features the classifier
// reads. C and gamma are chosen by cross-validation over folds of whole
// photos; the models are then trained on all regions and written to
// conf/SVMtrainingModels/ with the concept list conf/<list name>.
//
// Options:
//   --ferrow <program>   the Ferrow program (default: Ferrow on PATH)
//   --rerun              run Ferrow even where its results are present
//   --folds <n>          cross-validation folds (default 5)
//   --list <name>        concept list name under conf/ (default concepts.txt)
//
// Standard output gets the table of results; progress and reports of left
// out regions go to standard error.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/paths.h"
#include "tools/svm/concept_list_file.h"
#include "tools/svm/concept_training.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/photo_preparation.h"
#include "tools/svm/photo_regions.h"
#include "tools/svm/point_labels.h"

namespace {

namespace fs = std::filesystem;
using namespace svm_tools;

struct Options {
  std::string pointFile;
  std::string imageFolder;
  std::string workingDirectory;
  std::string ferrow = "Ferrow";
  bool rerun = false;
  int folds = 5;
  std::string listName = "concepts.txt";
};

// The grid of C and gamma searched. With balanced groups the mean squared
// distance between regions is about 1, so gamma near 1 is the natural scale.
const std::vector<double> kCosts{0.5, 1.0, 2.0, 4.0};
const std::vector<double> kGammas{0.25, 0.5, 1.0, 2.0};

const std::string kImageFolder = std::string("images") + platform::kSeparator;
const std::string kModelFolder = "conf/SVMtrainingModels";

Options parseOptions(int argc, char** argv) {
  const std::string usage =
      "usage: trainConcepts <point file> <image folder> <working directory> "
      "[--ferrow <program>] [--rerun] [--folds <n>] [--list <name>]";
  Options options;
  std::vector<std::string> positional;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--rerun") {
      options.rerun = true;
    } else if (argument == "--ferrow" && hasValue) {
      options.ferrow = argv[++i];
    } else if (argument == "--list" && hasValue) {
      options.listName = argv[++i];
    } else if (argument == "--folds" && hasValue) {
      const std::string value = argv[++i];
      if (value.empty() || value.find_first_not_of("0123456789") != std::string::npos || value.size() > 3 ||
          std::stoi(value) < 2) {
        platform::failStderrLine("--folds needs a whole number of at least 2; " + usage);
      }
      options.folds = std::stoi(value);
    } else if (argument.starts_with("--")) {
      platform::failStderrLine("unknown option " + argument + "; " + usage);
    } else {
      positional.push_back(argument);
    }
  }
  if (positional.size() != 3) platform::failStderrLine(usage);
  options.pointFile = fs::absolute(positional[0]).string();
  options.imageFolder = fs::absolute(positional[1]).string();
  options.workingDirectory = positional[2];
  // A program given with a folder is found from where we were started.
  if (options.ferrow.find('/') != std::string::npos || options.ferrow.find(platform::kSeparator) != std::string::npos) {
    options.ferrow = fs::absolute(options.ferrow).string();
  }
  return options;
}

struct Collected {
  std::vector<std::string> conceptOf;
  std::vector<std::vector<std::string>> pointConceptsOf;
  std::vector<int> photoOf;
  std::vector<FeatureVector> features;
  int photosUsed = 0;
  int leftOut = 0;
};

std::string votesText(const LeftOutRegion& region) {
  std::string text;
  for (const auto& [name, count] : region.votes) {
    text += (text.empty() ? "" : ", ") + name + " " + std::to_string(count);
  }
  return text;
}

// Prepares one photo, reads its regions and adds its labelled regions.
void collectPhoto(const Options& options, const PhotoPoints& photo, int number, int photoCount, Collected& collected) {
  const std::string progress = "[" + std::to_string(number + 1) + "/" + std::to_string(photoCount) + "] " + photo.image;
  try {
    const bool reused = preparePhoto(options.ferrow, options.imageFolder, kImageFolder, photo.image, options.rerun);
    const PhotoRegions regions = readPhotoRegions(kImageFolder, photo.image);
    const RegionLabelling labelling = labelRegions(regions.labels, photo.points);
    for (const LabelledRegion& region : labelling.labelled) {
      if (region.region >= static_cast<int>(regions.features.size())) continue;
      collected.conceptOf.push_back(region.conceptName);
      std::vector<std::string> pointConcepts;
      for (const auto& [name, count] : region.votes) pointConcepts.insert(pointConcepts.end(), count, name);
      collected.pointConceptsOf.push_back(std::move(pointConcepts));
      collected.photoOf.push_back(number);
      collected.features.push_back(regions.features[region.region]);
    }
    ++collected.photosUsed;
    std::fprintf(stderr, "%s: %s, %zu regions, %zu labelled, %zu left out\n", progress.c_str(),
                 reused ? "reused" : "prepared", regions.features.size(), labelling.labelled.size(),
                 labelling.leftOut.size());
    for (const LeftOutRegion& region : labelling.leftOut) {
      ++collected.leftOut;
      std::fprintf(stderr, "  %s region %d left out: its points disagree (%s)\n", photo.image.c_str(), region.region,
                   votesText(region).c_str());
    }
    for (const LabelledPoint& point : labelling.outside) {
      std::fprintf(stderr, "  %s: point %d,%d (line %d) lies outside the %dx%d label file\n", photo.image.c_str(),
                   point.x, point.y, point.line, regions.labels.width(), regions.labels.height());
    }
  } catch (const ProgramMissing&) {
    throw;
  } catch (const platform::Failure& failure) {
    std::string reason = failure.what();
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    std::fprintf(stderr, "%s: skipped: %s\n", progress.c_str(), reason.c_str());
  }
  std::fflush(stderr);
}

Evaluation chooseGridPoint(const TrainingSet& set, int folds) {
  const std::vector<int> foldOf = photoFolds(set, folds);
  Evaluation best;
  bool first = true;
  for (double c : kCosts) {
    for (double gamma : kGammas) {
      Evaluation evaluation = crossValidate(set, foldOf, folds, GridPoint{c, gamma});
      std::fprintf(stderr, "cross-validation C=%g gamma=%g: top-1 %.1f %% of points, %.1f %% of regions\n", c, gamma,
                   100.0 * evaluation.pointAccuracy, 100.0 * evaluation.regionAccuracy);
      std::fflush(stderr);
      if (first || evaluation.pointAccuracy > best.pointAccuracy ||
          (evaluation.pointAccuracy == best.pointAccuracy && evaluation.regionAccuracy > best.regionAccuracy)) {
        best = std::move(evaluation);
        first = false;
      }
    }
  }
  return best;
}

void writeModels(const TrainingSet& set, const ConceptModels& models, const std::string& listName) {
  fs::create_directories(kModelFolder);
  for (std::size_t c = 0; c < set.concepts.size(); ++c) {
    const std::string path = kModelFolder + "/trainingModels_" + set.concepts[c] + ".txt";
    models.models[c]->save(path);
    writeGroupScaling(scalingPathFor(path), models.scaling);
  }
  writeConceptList("conf/" + listName, set.concepts);
}

void printTable(const TrainingSet& set, const Evaluation& evaluation, const Collected& collected, int photoCount,
                int folds) {
  std::size_t points = 0;
  for (const TrainingRegion& region : set.regions) points += region.pointConcepts.size();
  std::printf("photos: %d of %d used; labelled regions: %zu with %zu points; regions left out (points disagree): %d\n",
              collected.photosUsed, photoCount, set.regions.size(), points, collected.leftOut);
  std::printf("chosen by %d-fold photo-grouped cross-validation: C=%g gamma=%g\n", folds, evaluation.point.c,
              evaluation.point.gamma);
  std::printf("\n%-12s %9s %9s %8s %10s\n", "concept", "positive", "negative", "recall", "precision");
  for (std::size_t c = 0; c < set.concepts.size(); ++c) {
    const ConceptFigures& figures = evaluation.concepts[c];
    std::printf("%-12s %9d %9d %7.1f%% %9.1f%%\n", set.concepts[c].c_str(), figures.positives, figures.negatives,
                100.0 * figures.recall, 100.0 * figures.precision);
  }
  std::printf("\noverall top-1 accuracy: %.1f %% of labelled points, %.1f %% of labelled regions\n",
              100.0 * evaluation.pointAccuracy, 100.0 * evaluation.regionAccuracy);
}

}  // namespace

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] {
    const Options options = parseOptions(argc, argv);
    const std::vector<PhotoPoints> photos = groupByPhoto(readPointFile(options.pointFile));
    if (photos.empty()) platform::failStderrLine("the point file " + options.pointFile + " holds no points");

    std::error_code error;
    fs::current_path(options.workingDirectory, error);
    if (error) platform::failStderrLine("cannot enter the working directory " + options.workingDirectory);
    prepareWorkingFolders(kImageFolder);

    Collected collected;
    const int photoCount = static_cast<int>(photos.size());
    for (int i = 0; i < photoCount; ++i) collectPhoto(options, photos[i], i, photoCount, collected);

    const TrainingSet set = makeTrainingSet(collected.conceptOf, collected.pointConceptsOf, collected.photoOf,
                                            std::move(collected.features));
    if (set.concepts.size() < 2) platform::failStderrLine("training needs labelled regions of at least two concepts");

    const Evaluation chosen = chooseGridPoint(set, options.folds);
    std::vector<std::size_t> all(set.regions.size());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    const ConceptModels models = trainConceptModels(set, all, chosen.point, true);
    for (std::size_t c = 0; c < set.concepts.size(); ++c) {
      if (!models.models[c]) platform::failStderrLine("no model for " + set.concepts[c] + ": all labelled regions are of it");
    }
    writeModels(set, models, options.listName);
    printTable(set, chosen, collected, photoCount, options.folds);
    return 0;
  });
}
