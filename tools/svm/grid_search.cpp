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
  const std::vector<GridPoint> points = grid.points();
  std::vector<std::vector<Evaluation>> ofDeal;
  for (int deal = 0; deal < settings.deals; ++deal) {
    ofDeal.push_back(crossValidateGrid(set, photoFolds(set, settings.folds, deal, included), settings.folds, points));
  }
  Evaluation best;
  bool first = true;
  for (std::size_t p = 0; p < points.size(); ++p) {
    std::vector<Evaluation> evaluations;
    for (const std::vector<Evaluation>& deal : ofDeal) evaluations.push_back(deal[p]);
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
                                     const std::function<void(int deal, int fold, const Evaluation&)>& report) {
  NestedEvaluation result;
  std::vector<Evaluation> ofDeal;
  for (int deal = 0; deal < settings.deals; ++deal) {
    const std::vector<int> outer = photoFolds(set, settings.folds, deal);
    std::vector<int> predicted(set.regions.size(), -1);
    for (int fold = 0; fold < settings.folds; ++fold) {
      const std::vector<std::size_t> training = trainingRegionsOf(outer, fold);
      const std::vector<std::size_t> held = scoredRegionsOf(set, outer, fold);
      if (training.empty() || held.empty()) continue;
      std::vector<bool> inside(set.regions.size(), false);
      for (std::size_t i : training) inside[i] = true;
      const Evaluation inner = chooseGridPoint(set, grid, settings, inside);
      if (report) report(deal, fold, inner);
      result.chosen.push_back(inner.point);
      const ConceptModels models = trainConceptModels(set, training, inner.point, true);
      for (std::size_t i : held) predicted[i] = models.bestConcept(set.regions[i].features);
    }
    ofDeal.push_back(evaluate(set, result.chosen.empty() ? GridPoint{} : result.chosen.back(), std::move(predicted)));
  }
  result.evaluation = averaged(ofDeal);
  return result;
}

}  // namespace svm_tools
