#include "tools/svm/grid_search.h"

namespace svm_tools {

std::vector<GridPoint> Grid::points() const {
  std::vector<GridPoint> result;
  for (const GroupShares& share : shares) {
    for (double c : costs) {
      for (double gamma : gammas) result.push_back(GridPoint{c, gamma, share});
    }
  }
  return result;
}

namespace {

bool better(const Evaluation& candidate, const Evaluation& best) {
  if (candidate.pointAccuracy != best.pointAccuracy) return candidate.pointAccuracy > best.pointAccuracy;
  return candidate.regionAccuracy > best.regionAccuracy;
}

}  // namespace

Evaluation chooseGridPoint(const TrainingSet& set, const Grid& grid, const SearchSettings& settings,
                           const std::vector<bool>& included, const std::function<void(const Evaluation&)>& report) {
  // The deals do not depend on the grid point: deal them once.
  std::vector<std::vector<int>> deals;
  for (int deal = 0; deal < settings.deals; ++deal) deals.push_back(photoFolds(set, settings.folds, deal, included));

  Evaluation best;
  bool first = true;
  for (const GridPoint& point : grid.points()) {
    std::vector<Evaluation> evaluations;
    for (const std::vector<int>& folds : deals) evaluations.push_back(crossValidate(set, folds, settings.folds, point));
    Evaluation evaluation = averaged(evaluations);
    if (report) report(evaluation);
    if (first || better(evaluation, best)) {
      best = std::move(evaluation);
      first = false;
    }
  }
  return best;
}

NestedEvaluation nestedCrossValidate(const TrainingSet& set, const Grid& grid, const SearchSettings& settings,
                                     const std::function<void(int fold, const Evaluation&)>& report) {
  const std::vector<int> outer = photoFolds(set, settings.folds);
  NestedEvaluation result;
  std::vector<int> predicted(set.regions.size(), -1);
  for (int fold = 0; fold < settings.folds; ++fold) {
    const std::vector<std::size_t> training = trainingRegionsOf(outer, fold);
    const std::vector<std::size_t> held = scoredRegionsOf(set, outer, fold);
    if (training.empty() || held.empty()) continue;
    std::vector<bool> inside(set.regions.size(), false);
    for (std::size_t i : training) inside[i] = true;
    const Evaluation inner = chooseGridPoint(set, grid, settings, inside);
    if (report) report(fold, inner);
    result.chosen.push_back(inner.point);
    const ConceptModels models = trainConceptModels(set, training, inner.point, true);
    for (std::size_t i : held) predicted[i] = models.bestConcept(set.regions[i].features);
  }
  result.evaluation = evaluate(set, result.chosen.empty() ? GridPoint{} : result.chosen.front(), std::move(predicted));
  return result;
}

}  // namespace svm_tools
