#include "tools/svm/concept_training.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>

namespace svm_tools {

TrainingSet makeTrainingSet(std::vector<std::string> conceptOf, std::vector<std::vector<std::string>> pointConceptsOf,
                            std::vector<int> photoOf, std::vector<FeatureVector> features,
                            std::vector<bool> augmentedOf) {
  augmentedOf.resize(conceptOf.size(), false);
  std::map<std::string, int> counts;
  for (std::size_t i = 0; i < conceptOf.size(); ++i) counts[conceptOf[i]] += augmentedOf[i] ? 0 : 1;
  TrainingSet set;
  for (const auto& entry : counts) set.concepts.push_back(entry.first);
  std::stable_sort(set.concepts.begin(), set.concepts.end(),
                   [&](const std::string& a, const std::string& b) { return counts[a] > counts[b]; });
  std::map<std::string, int> index;
  for (std::size_t c = 0; c < set.concepts.size(); ++c) index[set.concepts[c]] = static_cast<int>(c);

  for (std::size_t i = 0; i < conceptOf.size(); ++i) {
    TrainingRegion region;
    region.photo = photoOf[i];
    region.augmented = augmentedOf[i];
    region.conceptIndex = index[conceptOf[i]];
    for (const std::string& name : pointConceptsOf[i]) {
      const auto found = index.find(name);
      region.pointConcepts.push_back(found == index.end() ? -1 : found->second);
    }
    region.features = std::move(features[i]);
    set.regions.push_back(std::move(region));
  }
  return set;
}

std::vector<double> ConceptModels::confidences(const FeatureVector& features) const {
  const FeatureVector scaled = scaling.applied(features);
  std::vector<double> result;
  result.reserve(models.size());
  for (const auto& model : models) result.push_back(model ? model->confidence(scaled) : 0.0);
  return result;
}

int ConceptModels::bestConcept(const FeatureVector& features) const {
  const std::vector<double> all = confidences(features);
  return static_cast<int>(std::max_element(all.begin(), all.end()) - all.begin());
}

namespace {

// The labels of concept c's model on the regions `use` and its settings,
// each side weighted to half of the total weight; nothing when the regions
// hold none of the concept or nothing else.
std::optional<TrainingSettings> conceptSettings(const TrainingSet& set, const std::vector<std::size_t>& use,
                                                std::size_t c, GridPoint point, bool probability,
                                                std::vector<int>& labels) {
  labels.clear();
  labels.reserve(use.size());
  int positives = 0;
  for (std::size_t i : use) {
    const bool positive = set.regions[i].conceptIndex == static_cast<int>(c);
    positives += positive ? 1 : 0;
    labels.push_back(positive ? +1 : -1);
  }
  const int negatives = static_cast<int>(use.size()) - positives;
  if (positives == 0 || negatives == 0) return std::nullopt;
  TrainingSettings settings;
  settings.c = point.c;
  settings.gamma = point.gamma;
  settings.positiveWeight = static_cast<double>(use.size()) / (2.0 * positives);
  settings.negativeWeight = static_cast<double>(use.size()) / (2.0 * negatives);
  settings.probability = probability;
  return settings;
}

std::vector<FeatureVector> scaledRows(const TrainingSet& set, const std::vector<std::size_t>& use,
                                      const GroupScaling& scaling) {
  std::vector<FeatureVector> rows;
  rows.reserve(use.size());
  for (std::size_t i : use) rows.push_back(scaling.applied(set.regions[i].features));
  return rows;
}

using Matrix = std::vector<std::vector<double>>;

Matrix squaredDistances(const std::vector<FeatureVector>& from, const std::vector<FeatureVector>& to) {
  Matrix result(from.size(), std::vector<double>(to.size(), 0.0));
  for (std::size_t i = 0; i < from.size(); ++i) {
    for (std::size_t k = 0; k < to.size(); ++k) {
      double sum = 0.0;
      for (std::size_t n = 0; n < from[i].size(); ++n) {
        const double d = from[i][n] - to[k][n];
        sum += d * d;
      }
      result[i][k] = sum;
    }
  }
  return result;
}

Matrix rbfKernel(Matrix distances, double gamma) {
  for (std::vector<double>& row : distances) {
    for (double& value : row) value = std::exp(-gamma * value);
  }
  return distances;
}

}  // namespace

ConceptModels trainConceptModels(const TrainingSet& set, const std::vector<std::size_t>& use, GridPoint point,
                                 bool probability) {
  std::vector<FeatureVector> raw;
  raw.reserve(use.size());
  for (std::size_t i : use) raw.push_back(set.regions[i].features);

  ConceptModels result;
  result.scaling = fitGroupScaling(raw, point.shares);
  const std::vector<FeatureVector> rows = scaledRows(set, use, result.scaling);
  std::vector<int> labels;
  for (std::size_t c = 0; c < set.concepts.size(); ++c) {
    const std::optional<TrainingSettings> settings = conceptSettings(set, use, c, point, probability, labels);
    if (settings) {
      result.models.emplace_back(ConceptSvm::train(rows, labels, *settings));
    } else {
      result.models.emplace_back();
    }
  }
  return result;
}

std::vector<int> photoFolds(const TrainingSet& set, int foldCount, int deal, const std::vector<bool>& included) {
  const auto isIncluded = [&](std::size_t i) { return included.empty() || included[i]; };
  std::vector<int> photos;
  for (std::size_t i = 0; i < set.regions.size(); ++i) {
    if (isIncluded(i)) photos.push_back(set.regions[i].photo);
  }
  std::sort(photos.begin(), photos.end());
  photos.erase(std::unique(photos.begin(), photos.end()), photos.end());

  // Fisher-Yates with a fixed generator, written out so that every standard
  // library deals the same folds.
  std::mt19937 generator(20261207u + static_cast<std::uint32_t>(deal));
  for (std::size_t i = photos.size(); i > 1; --i) {
    const std::size_t j = static_cast<std::size_t>(generator() % i);
    std::swap(photos[i - 1], photos[j]);
  }
  std::map<int, int> foldOfPhoto;
  for (std::size_t i = 0; i < photos.size(); ++i) foldOfPhoto[photos[i]] = static_cast<int>(i % foldCount);

  std::vector<int> folds;
  folds.reserve(set.regions.size());
  for (std::size_t i = 0; i < set.regions.size(); ++i) {
    folds.push_back(isIncluded(i) ? foldOfPhoto[set.regions[i].photo] : -1);
  }
  return folds;
}

std::vector<std::size_t> trainingRegionsOf(const std::vector<int>& folds, int fold) {
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < folds.size(); ++i) {
    if (folds[i] >= 0 && folds[i] != fold) result.push_back(i);
  }
  return result;
}

std::vector<std::size_t> scoredRegionsOf(const TrainingSet& set, const std::vector<int>& folds, int fold) {
  std::vector<std::size_t> result;
  for (std::size_t i = 0; i < folds.size(); ++i) {
    if (folds[i] == fold && !set.regions[i].augmented) result.push_back(i);
  }
  return result;
}

std::vector<Evaluation> crossValidateGrid(const TrainingSet& set, const std::vector<int>& folds, int foldCount,
                                          const std::vector<GridPoint>& points) {
  std::vector<std::vector<int>> predicted(points.size(), std::vector<int>(set.regions.size(), -1));
  std::vector<int> labels;
  for (int fold = 0; fold < foldCount; ++fold) {
    const std::vector<std::size_t> training = trainingRegionsOf(folds, fold);
    const std::vector<std::size_t> held = scoredRegionsOf(set, folds, fold);
    if (held.empty() || training.empty()) continue;
    std::vector<FeatureVector> raw;
    raw.reserve(training.size());
    for (std::size_t i : training) raw.push_back(set.regions[i].features);

    // The points of equal shares share the scaling and the distances, those
    // of equal gamma too the kernel.
    std::vector<bool> done(points.size(), false);
    for (std::size_t p = 0; p < points.size(); ++p) {
      if (done[p]) continue;
      const GroupShares shares = points[p].shares;
      const GroupScaling scaling = fitGroupScaling(raw, shares);
      const std::vector<FeatureVector> trainingRows = scaledRows(set, training, scaling);
      const Matrix trainingDistances = squaredDistances(trainingRows, trainingRows);
      const Matrix heldDistances = squaredDistances(scaledRows(set, held, scaling), trainingRows);
      for (std::size_t q = p; q < points.size(); ++q) {
        if (done[q] || points[q].shares != shares) continue;
        const double gamma = points[q].gamma;
        const PrecomputedKernel kernel(rbfKernel(trainingDistances, gamma));
        const Matrix heldKernel = rbfKernel(heldDistances, gamma);
        for (std::size_t r = q; r < points.size(); ++r) {
          if (done[r] || points[r].shares != shares || points[r].gamma != gamma) continue;
          std::vector<std::optional<ConceptSvm>> models;
          for (std::size_t c = 0; c < set.concepts.size(); ++c) {
            const std::optional<TrainingSettings> settings = conceptSettings(set, training, c, points[r], true, labels);
            if (settings) {
              models.emplace_back(ConceptSvm::train(kernel, labels, *settings));
            } else {
              models.emplace_back();
            }
          }
          for (std::size_t h = 0; h < held.size(); ++h) {
            int best = 0;
            double bestConfidence = -1.0;
            for (std::size_t c = 0; c < models.size(); ++c) {
              const double confidence = models[c] ? models[c]->confidenceFromKernel(heldKernel[h]) : 0.0;
              if (confidence > bestConfidence) {
                bestConfidence = confidence;
                best = static_cast<int>(c);
              }
            }
            predicted[r][held[h]] = best;
          }
          done[r] = true;
        }
      }
    }
  }
  std::vector<Evaluation> result;
  for (std::size_t p = 0; p < points.size(); ++p) result.push_back(evaluate(set, points[p], std::move(predicted[p])));
  return result;
}

Evaluation crossValidate(const TrainingSet& set, const std::vector<int>& folds, int foldCount, GridPoint point) {
  return crossValidateGrid(set, folds, foldCount, {point}).front();
}

Evaluation evaluate(const TrainingSet& set, GridPoint point, std::vector<int> predicted) {
  Evaluation result;
  result.point = point;
  result.predicted = std::move(predicted);
  const std::size_t conceptCount = set.concepts.size();
  std::vector<int> correct(conceptCount, 0);
  std::vector<int> chosen(conceptCount, 0);
  result.concepts.assign(conceptCount, ConceptFigures{});
  int scoredRegions = 0;
  int correctRegions = 0;
  int points = 0;
  int correctPoints = 0;
  for (std::size_t i = 0; i < set.regions.size(); ++i) {
    const TrainingRegion& region = set.regions[i];
    const int guess = result.predicted[i];
    if (region.augmented || guess < 0) continue;
    ++scoredRegions;
    for (std::size_t c = 0; c < conceptCount; ++c) {
      (static_cast<int>(c) == region.conceptIndex ? result.concepts[c].positives : result.concepts[c].negatives) += 1;
    }
    ++chosen[guess];
    if (guess == region.conceptIndex) {
      ++correct[guess];
      ++correctRegions;
    }
    for (int pointConcept : region.pointConcepts) {
      ++points;
      if (pointConcept == guess) ++correctPoints;
    }
  }
  for (std::size_t c = 0; c < conceptCount; ++c) {
    ConceptFigures& figures = result.concepts[c];
    figures.recall = figures.positives > 0 ? static_cast<double>(correct[c]) / figures.positives : 0.0;
    figures.precision = chosen[c] > 0 ? static_cast<double>(correct[c]) / chosen[c] : 0.0;
  }
  if (scoredRegions > 0) result.regionAccuracy = static_cast<double>(correctRegions) / scoredRegions;
  if (points > 0) result.pointAccuracy = static_cast<double>(correctPoints) / points;
  return result;
}

Evaluation averaged(const std::vector<Evaluation>& evaluations) {
  Evaluation result = evaluations.front();
  const double count = static_cast<double>(evaluations.size());
  for (std::size_t c = 0; c < result.concepts.size(); ++c) {
    double recall = 0.0;
    double precision = 0.0;
    for (const Evaluation& evaluation : evaluations) {
      recall += evaluation.concepts[c].recall;
      precision += evaluation.concepts[c].precision;
    }
    result.concepts[c].recall = recall / count;
    result.concepts[c].precision = precision / count;
  }
  double points = 0.0;
  double regions = 0.0;
  for (const Evaluation& evaluation : evaluations) {
    points += evaluation.pointAccuracy;
    regions += evaluation.regionAccuracy;
  }
  result.pointAccuracy = points / count;
  result.regionAccuracy = regions / count;
  return result;
}

}  // namespace svm_tools
