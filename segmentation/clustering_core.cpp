#include "segmentation/clustering_core.h"

#include <algorithm>
#include <cmath>

#include "segmentation/append.h"
#include "segmentation/block_kmeans.h"
#include "segmentation/block_label_expansion.h"
#include "segmentation/block_vectors.h"
#include "segmentation/component_labeling.h"
#include "segmentation/final_merging.h"
#include "segmentation/maximin_seeding.h"
#include "segmentation/merge.h"
#include "segmentation/pixel_assignment.h"
#include "segmentation/region_centres.h"
#include "segmentation/texture_features.h"
#include "segmentation/texture_merge.h"
#include "segmentation/texture_smoothing.h"

namespace segmentation {

CoreQuantities coreQuantities(int width, int height) {
  const double area = static_cast<double>(width) * height;
  CoreQuantities q{};
  q.blockSide = static_cast<int>((std::floor(std::sqrt(area / 75) / 2) + 0.5) * 2);
  const BlockGrid grid = blockGridFor(width, height, q.blockSide);
  q.blockRows = grid.rows;
  q.blockColumns = grid.columns;
  q.smallAreaLimit = static_cast<int>(width * 0.5 * height / 100);
  q.appendAreaLimit = static_cast<int>(width * 0.75 * height / 100);
  q.positionTolerance = static_cast<float>(2.0 * std::max(width, height) / 100);
  return q;
}

float colourThresholdFor(bool useTexture, float contrast) {
  if (!useTexture) return 10.0f;
  if (contrast < 25) return 7.5f;
  if (contrast <= 75) return 10.0f;
  return 15.0f;
}

namespace {

// The working state of one call: the image the centres are measured on
// (possibly smoothed), its texture vectors, the weights and the centres.
class Clustering {
 public:
  Clustering(const imaging::TripleImage& lab, imaging::IntMap& labels, bool useTexture, int ldc, Log& log)
      : source_(lab), labels_(labels), ldc_(ldc), log_(log) {
    weights_.colour = 1.0f;
    weights_.texture = useTexture ? 1.0f : 0.0f;
  }

  ClusteringResult run(int maxAreaNum);

 private:
  const imaging::TripleImage& image() const { return smoothed_.width() > 0 ? smoothed_ : source_; }

  // Recomputes the centre table for labels 1..regions.
  void updateCentres(int regions) {
    if (centres_.size() != regions) centres_.resize(regions);
    segmentation::updateCentres(image(), labels_, texture_, centres_, regions);
  }

  // `merge`, then the centre update for its result. A merge that joins
  // nothing leaves every label as it was, and so the centres.
  int mergeAndUpdate(int regions, float colourThreshold) {
    const int merged = merge(labels_, regions, centres_, weights_, colourThreshold, log_);
    if (merged != regions) updateCentres(merged);
    return merged;
  }

  // The first labelling and the merge threshold it decides.
  struct InitialRegions {
    int regions = 0;
    float colourThreshold = 0;
  };
  InitialRegions initialRegions(const CoreQuantities& quantities);
  bool centresMoved(const CentreTable& before, int regions, float positionTolerance) const;

  const imaging::TripleImage& source_;
  imaging::TripleImage smoothed_;
  imaging::IntMap& labels_;
  int ldc_;
  Log& log_;
  DistanceWeights weights_;
  TextureField texture_;
  CentreTable centres_;
};

// Texture vectors, block seeding and block K mean: the first labelling,
// split into components, and the merge threshold.
Clustering::InitialRegions Clustering::initialRegions(const CoreQuantities& quantities) {
  const int width = source_.width();
  const int height = source_.height();
  texture_ = computeTextureFeatures(source_, quantities.blockSide, ldc_);

  const BlockGrid grid{quantities.blockSide, quantities.blockRows, quantities.blockColumns};
  const BlockVectorsResult blocks = computeBlockVectors(source_, texture_, grid);
  log_.print("tex_max=%f\n", blocks.texMax);

  const SeedChoice seeds = chooseSeeds(blocks.vectors, weights_);
  log_.print("maximin= %d\n", seeds.seeds);
  log_.print("contrast=%f\n", seeds.contrast);
  weights_.spatial = static_cast<float>(seeds.contrast * 0.4 /
                                        std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height));
  InitialRegions initial;
  initial.colourThreshold = colourThresholdFor(weights_.texture != 0, seeds.contrast);
  log_.print("color_threshold=%f\n", initial.colourThreshold);

  expandBlockLabels(clusterBlocks(blocks.vectors, seeds.isSeed, weights_), grid, labels_);
  initial.regions = componentsWithMinimumSize(labels_, seeds.seeds, quantities.smallAreaLimit);
  if (weights_.colour == 1 && weights_.texture == 1) {
    smoothed_ = source_;
    smoothTexturedPixels(smoothed_, texture_, quantities.blockSide, blocks.texMax);
  }
  return initial;
}

bool Clustering::centresMoved(const CentreTable& before, int regions, float positionTolerance) const {
  static constexpr double kNoColour[3] = {0, 0, 0};
  const int textureLength = centres_.textureLength();
  for (int g = 0; g < regions; ++g) {
    const double* now = centres_[g];
    const double* then = before[g];
    if (weights_.colour == 1) {
      const double dL = now[kL] - then[kL];
      const double da = now[kA] - then[kA];
      const double db = now[kB] - then[kB];
      if (std::sqrt(dL * dL + da * da + db * db) > 4) return true;
    }
    if (weights_.texture == 1 &&
        featureDistance(kNoColour, kNoColour, now + kTexture, then + kTexture, textureLength, weights_) > 1)
      return true;
    const double dr = now[kRow] - then[kRow];
    const double dc = now[kColumn] - then[kColumn];
    if (std::sqrt(dr * dr + dc * dc) > positionTolerance) return true;
  }
  return false;
}

ClusteringResult Clustering::run(int maxAreaNum) {
  const int width = source_.width();
  const int height = source_.height();
  log_.print("initializing region centers ...\n");
  const CoreQuantities quantities = coreQuantities(width, height);
  log_.print("W=%d\n", quantities.blockSide);
  centres_ = CentreTable(0, ldc_);

  const InitialRegions initial = initialRegions(quantities);
  const float colourThreshold = initial.colourThreshold;
  int regions = initial.regions;
  updateCentres(regions);
  log_.print("regions estimation via K mean algorithm ...\n");

  // Passes: assign pixels to the nearest centre, keep the large enough
  // connected parts, merge close neighbours; until nothing changes, at most
  // kMaxPasses times.
  int regionsBefore = regions;
  for (int pass = 0;;) {
    regionsBefore = regions;
    const CentreTable before = centres_;
    assignPixels(image(), labels_, texture_, centres_, regions, weights_);
    regions = componentsWithMinimumSize(labels_, regions, quantities.smallAreaLimit);
    updateCentres(regions);
    regions = mergeAndUpdate(regions, colourThreshold);
    log_.print("i=%d, regions=%d\n", pass + 1, regions);
    const bool settled =
        regions == regionsBefore && !centresMoved(before, regions, quantities.positionTolerance);
    ++pass;
    if (pass >= kMaxPasses) {
      log_.print("Maximum number of iterations reached!\n");
      break;
    }
    if (settled) break;
  }

  assignPixels(image(), labels_, texture_, centres_, regions, weights_);
  log_.print("entering component_labeling_final\n");
  regions = componentLabelingFinal(labels_, regions);
  ClusteringResult result;
  result.smallRegions = regions - regionsBefore;
  log_.print("exiting component_labeling_final\n");

  updateCentres(regions);
  log_.print("entering merge\n");
  regions = mergeAndUpdate(regions, colourThreshold);
  log_.print("exiting merge\n");

  // Only texture counts here, whatever the colours.
  DistanceWeights textureOnly = weights_;
  textureOnly.colour = 0;
  log_.print("entering texture_merge\n");
  const int textured = textureMerge(labels_, regions, centres_, textureOnly, log_);
  log_.print("exiting texture_merge\n");
  if (textured != regions) updateCentres(textured);
  regions = textured;

  log_.print("entering append\n");
  regions = append(labels_, regions, centres_, weights_, quantities.appendAreaLimit, log_);
  log_.print("exiting append\n");

  // Final merging estimates how many regions it leaves, so it is repeated
  // with fresh centres while too many remain. A call that joins nothing
  // would join nothing again: the loop ends there.
  while (regions > maxAreaNum) {
    log_.print("repeating final merging!\n");
    updateCentres(regions);
    const int merged = finalMerging(labels_, regions, centres_, weights_, maxAreaNum, log_);
    if (merged >= regions) break;
    regions = merged;
  }
  log_.print("%d final regions\n", regions);
  result.regions = regions;
  return result;
}

}  // namespace

ClusteringResult clusterReducedImage(const imaging::TripleImage& lab, imaging::IntMap& labels, bool useTexture, int ldc,
                                     int maxAreaNum, Log& log) {
  if (labels.width() != lab.width() || labels.height() != lab.height())
    labels = imaging::IntMap(lab.width(), lab.height());
  if (lab.width() < 1 || lab.height() < 1) return ClusteringResult{};
  Clustering clustering(lab, labels, useTexture, ldc, log);
  return clustering.run(maxAreaNum);
}

}  // namespace segmentation
