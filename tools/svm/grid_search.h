#pragma once
// Choosing the training's grid point (C, gamma and the group shares) by
// photo-grouped cross-validation, each point scored by the mean over several
// deals of the photos to the folds, and the nested cross-validation that
// measures the whole choice: the grid searched again inside every outer
// fold's training photos, that fold's photos never seen while choosing.

#include <functional>
#include <vector>

#include "tools/svm/concept_training.h"
#include "tools/svm/group_scaling.h"

namespace svm_tools {

struct Grid {
  std::vector<double> costs;
  std::vector<double> gammas;
  std::vector<GroupShares> shares;

  // Every combination, shares outermost, then C, then gamma.
  std::vector<GridPoint> points() const;
};

struct SearchSettings {
  int folds = 5;
  int deals = 3;  // deals of the photos to the folds a grid point's figure is the mean of
};

// The best grid point by top-1 of points (ties: of regions, then the earlier
// point), scored on the regions `included` marks (all when empty), with its
// evaluation averaged over the deals. `report`, when set, hears every grid
// point's averaged evaluation.
Evaluation chooseGridPoint(const TrainingSet& set, const Grid& grid, const SearchSettings& settings,
                           const std::vector<bool>& included = {},
                           const std::function<void(const Evaluation&)>& report = {});

struct NestedEvaluation {
  Evaluation evaluation;            // of the outer folds' predictions, averaged over the deals
  std::vector<GridPoint> chosen;    // the grid point each outer fold chose, deal after deal
};

// Nested cross-validation, its figure the mean over `settings.deals` deals of
// the photos to the outer folds: for each outer fold the grid point is
// chosen on the other folds' photos alone (as chooseGridPoint does, over
// as many deals of those photos), and the models trained on them at that
// point predict the fold. `report` hears each outer fold's choice.
NestedEvaluation nestedCrossValidate(const TrainingSet& set, const Grid& grid, const SearchSettings& settings,
                                     const std::function<void(int deal, int fold, const Evaluation&)>& report = {});

}  // namespace svm_tools
