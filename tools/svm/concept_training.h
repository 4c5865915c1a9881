#pragma once
// Training the concept models from labelled regions: one RBF C-SVC per
// concept (its regions against all other labelled regions), the descriptor
// groups balanced on the training regions, and cross-validation whose folds
// keep every photo's regions together.

#include <optional>
#include <string>
#include <vector>

#include "tools/svm/concept_svm.h"
#include "tools/svm/feature_layout.h"
#include "tools/svm/group_scaling.h"

namespace svm_tools {

struct TrainingRegion {
  int photo = 0;                    // photos with equal numbers share a fold
  // A region of an augmented copy of the photo (mirrored, segmented with
  // another region limit): trained on, never scored.
  bool augmented = false;
  int conceptIndex = 0;             // index into TrainingSet::concepts
  std::vector<int> pointConcepts;   // the concept of every point in the region, -1 for one no region has
  FeatureVector features;
};

struct TrainingSet {
  std::vector<std::string> concepts;
  std::vector<TrainingRegion> regions;
};

// The concepts of the regions, ordered by number of regions that are not
// augmented (most first, ties by name), and the regions' concept indices set
// to match. `conceptOf[i]` names region i's concept; the points' concepts are
// given by name in `pointConceptsOf`; `augmentedOf`, when given, marks the
// regions of augmented copies.
TrainingSet makeTrainingSet(std::vector<std::string> conceptOf, std::vector<std::vector<std::string>> pointConceptsOf,
                            std::vector<int> photoOf, std::vector<FeatureVector> features,
                            std::vector<bool> augmentedOf = {});

// The models of all concepts with the group scaling fitted on the same regions.
struct ConceptModels {
  GroupScaling scaling;
  // One per concept; empty when the training regions held none of the
  // concept or nothing else.
  std::vector<std::optional<ConceptSvm>> models;

  // Confidence of every concept for one unscaled vector (0 for a concept
  // without a model).
  std::vector<double> confidences(const FeatureVector& features) const;
  // The concept of the highest confidence (the first of equals).
  int bestConcept(const FeatureVector& features) const;
};

struct GridPoint {
  double c = 1.0;
  double gamma = 1.0;
  GroupShares shares = kEqualShares;  // of the group scaling
};

// Trains every concept on the regions listed in `use` (indices into
// set.regions), the group scaling fitted on them with the point's shares.
// Each concept's classes are weighted so that both sides carry the same
// total weight.
ConceptModels trainConceptModels(const TrainingSet& set, const std::vector<std::size_t>& use, GridPoint point,
                                 bool probability);

// Fold of every region: photos are shuffled with a fixed seed and dealt to
// the folds in turn, so all regions of a photo, its augmented copies'
// included, share one fold. Each `deal` number shuffles differently (deal 0
// as the trainer always has). When `included` is given, only the photos of
// the regions it marks are dealt and every other region gets the fold -1.
std::vector<int> photoFolds(const TrainingSet& set, int foldCount, int deal = 0, const std::vector<bool>& included = {});

// The regions a fold's models are trained on: those of every other fold
// (none of fold -1).
std::vector<std::size_t> trainingRegionsOf(const std::vector<int>& folds, int fold);
// The regions a fold scores: its regions that are not augmented.
std::vector<std::size_t> scoredRegionsOf(const TrainingSet& set, const std::vector<int>& folds, int fold);

struct ConceptFigures {
  int positives = 0;
  int negatives = 0;
  double recall = 0.0;     // of the concept's regions, the share whose best concept is it
  double precision = 0.0;  // of the regions whose best concept it is, the share that are it
};

struct Evaluation {
  GridPoint point;
  std::vector<int> predicted;           // best concept per region, -1 for a region not scored
  std::vector<ConceptFigures> concepts;
  double regionAccuracy = 0.0;          // top-1 over labelled regions
  double pointAccuracy = 0.0;           // top-1 over the points of labelled regions
};

// Cross-validates one grid point: for each fold, scaling and models are
// fitted on the other folds and predict the fold's scored regions. The RBF
// kernel of a fold's regions is computed once for all concepts (as libsvm's
// precomputed kernel), so the figures can differ from models trained on the
// vectors in the last bits of a confidence only.
Evaluation crossValidate(const TrainingSet& set, const std::vector<int>& folds, int foldCount, GridPoint point);
// The same for many grid points at once, in their order; points of equal
// shares and gamma share the kernel.
std::vector<Evaluation> crossValidateGrid(const TrainingSet& set, const std::vector<int>& folds, int foldCount,
                                          const std::vector<GridPoint>& points);

// Figures of a prediction over the regions that are scored (not augmented,
// prediction not -1): per concept recall and precision, overall top-1.
Evaluation evaluate(const TrainingSet& set, GridPoint point, std::vector<int> predicted);

// The mean of evaluations of the same regions (the figures, not the
// predictions, which are the first evaluation's).
Evaluation averaged(const std::vector<Evaluation>& evaluations);

}  // namespace svm_tools
