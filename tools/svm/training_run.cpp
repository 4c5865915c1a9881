#include "tools/svm/training_run.h"

#include <cstdio>
#include <filesystem>

#include "platform/failure.h"
#include "platform/paths.h"
#include "tools/svm/concept_list_file.h"
#include "tools/svm/group_scaling.h"
#include "tools/svm/photo_collection.h"

namespace svm_tools {
namespace {

namespace fs = std::filesystem;

const std::string kImageFolder = std::string("images") + platform::kSeparator;
const std::string kModelFolder = "conf/SVMtrainingModels";

std::string pointText(const GridPoint& point) {
  char text[128];
  std::snprintf(text, sizeof text, "C=%g gamma=%g shares=%s", point.c, point.gamma, sharesText(point.shares).c_str());
  return text;
}

void reportGridPoint(const char* prefix, const Evaluation& evaluation) {
  std::fprintf(stderr, "%scross-validation %s: top-1 %.1f %% of points, %.1f %% of regions\n", prefix,
               pointText(evaluation.point).c_str(), 100.0 * evaluation.pointAccuracy,
               100.0 * evaluation.regionAccuracy);
  std::fflush(stderr);
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

std::string augmentationText(const TrainingOptions& options) {
  std::string text = options.mirrored ? "mirrored" : "";
  for (int limit : options.regionLimits) text += (text.empty() ? "" : ", ") + ("region limit " + std::to_string(limit));
  return text;
}

void printTable(const TrainingOptions& options, const Collected& collected, int photoCount, const Evaluation& chosen,
                const NestedEvaluation* nested) {
  const TrainingSet& set = collected.set;
  std::size_t points = 0;
  std::size_t regions = 0;
  std::vector<int> trained(set.concepts.size(), 0);
  for (const TrainingRegion& region : set.regions) {
    ++trained[region.conceptIndex];
    if (region.augmented) continue;
    ++regions;
    points += region.pointConcepts.size();
  }
  std::printf("photos: %d of %d used; labelled regions: %zu with %zu points; regions left out (points disagree): %d\n",
              collected.photosUsed, photoCount, regions, points, collected.leftOut);
  if (options.mirrored || !options.regionLimits.empty()) {
    std::printf("augmented copies (%s): %d used, %zu labelled regions added, %d equal to one already there; regions "
                "left out: %d\n",
                augmentationText(options).c_str(), collected.copiesUsed, set.regions.size() - regions,
                collected.copiesRepeated, collected.copiesLeftOut);
  }
  std::printf("chosen by %d-fold photo-grouped cross-validation, mean of %d deals of the photos: %s\n",
              options.search.folds, options.search.deals, pointText(chosen.point).c_str());
  std::printf("\n%-12s %9s %9s %9s %8s %10s\n", "concept", "positive", "negative", "trained", "recall", "precision");
  for (std::size_t c = 0; c < set.concepts.size(); ++c) {
    const ConceptFigures& figures = chosen.concepts[c];
    std::printf("%-12s %9d %9d %9d %7.1f%% %9.1f%%\n", set.concepts[c].c_str(), figures.positives, figures.negatives,
                trained[c], 100.0 * figures.recall, 100.0 * figures.precision);
  }
  std::printf("\noverall top-1 accuracy: %.1f %% of labelled points, %.1f %% of labelled regions\n",
              100.0 * chosen.pointAccuracy, 100.0 * chosen.regionAccuracy);
  if (nested != nullptr) {
    std::printf("nested cross-validation (grid chosen inside each outer fold), mean of %d deals: %.1f %% of labelled "
                "points, %.1f %% of labelled regions\n",
                options.search.deals, 100.0 * nested->evaluation.pointAccuracy,
                100.0 * nested->evaluation.regionAccuracy);
    for (std::size_t i = 0; i < nested->chosen.size(); ++i) {
      std::printf("  outer fold %zu of deal %zu chose %s\n", i % options.search.folds + 1, i / options.search.folds + 1,
                  pointText(nested->chosen[i]).c_str());
    }
    std::printf("\n%-12s %8s %10s   (nested)\n", "concept", "recall", "precision");
    for (std::size_t c = 0; c < set.concepts.size(); ++c) {
      const ConceptFigures& figures = nested->evaluation.concepts[c];
      std::printf("%-12s %7.1f%% %9.1f%%\n", set.concepts[c].c_str(), 100.0 * figures.recall,
                  100.0 * figures.precision);
    }
  }
}

}  // namespace

int runTraining(const TrainingOptions& options) {
  const std::vector<PhotoPoints> photos = groupByPhoto(readPointFile(options.pointFile));
  if (photos.empty()) platform::failStderrLine("the point file " + options.pointFile + " holds no points");

  std::error_code error;
  fs::current_path(options.workingDirectory, error);
  if (error) platform::failStderrLine("cannot enter the working directory " + options.workingDirectory);
  prepareWorkingFolders(kImageFolder);

  const PreparationSettings preparation{options.ferrow, options.imageFolder, kImageFolder, options.rerun};
  const Collected collected =
      collectPhotos(photos, preparation, photoVariants(options.mirrored, options.regionLimits));
  const TrainingSet& set = collected.set;
  if (set.concepts.size() < 2) platform::failStderrLine("training needs labelled regions of at least two concepts");

  const Evaluation chosen =
      chooseGridPoint(set, options.grid, options.search, {}, [](const Evaluation& e) { reportGridPoint("", e); });
  NestedEvaluation nested;
  if (options.nested) {
    nested = nestedCrossValidate(set, options.grid, options.search, [](int deal, int fold, const Evaluation& e) {
      std::fprintf(stderr, "deal %d, outer fold %d: ", deal + 1, fold + 1);
      reportGridPoint("chosen by inner ", e);
    });
  }

  std::vector<std::size_t> all(set.regions.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  const ConceptModels models = trainConceptModels(set, all, chosen.point, true);
  for (std::size_t c = 0; c < set.concepts.size(); ++c) {
    if (!models.models[c]) platform::failStderrLine("no model for " + set.concepts[c] + ": all labelled regions are of it");
  }
  writeModels(set, models, options.listName);
  printTable(options, collected, static_cast<int>(photos.size()), chosen, options.nested ? &nested : nullptr);
  return 0;
}

}  // namespace svm_tools
