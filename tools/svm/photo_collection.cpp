#include "tools/svm/photo_collection.h"

#include <cstdio>

#include "tools/svm/photo_regions.h"

namespace svm_tools {
namespace {

struct Gathered {
  std::vector<std::string> conceptOf;
  std::vector<std::vector<std::string>> pointConceptsOf;
  std::vector<int> photoOf;
  std::vector<bool> augmentedOf;
  std::vector<FeatureVector> features;

  // Whether a region of the photo with this number and these features is
  // already there: a copy whose segmentation leaves a region as it was (a
  // region limit the segmenter never reaches) adds no new example.
  bool holds(int photo, const FeatureVector& row) const {
    for (std::size_t i = photoOf.size(); i > 0 && photoOf[i - 1] == photo; --i) {
      if (features[i - 1] == row) return true;
    }
    return false;
  }
};

std::string votesText(const std::map<std::string, int>& votes) {
  std::string text;
  for (const auto& [name, count] : votes) text += (text.empty() ? "" : ", ") + name + " " + std::to_string(count);
  return text;
}

std::string oneLine(const platform::Failure& failure) {
  std::string reason = failure.what();
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
  return reason;
}

struct VariantCounts {
  int leftOut = 0;    // regions whose points disagree
  int repeated = 0;   // labelled regions already there from an earlier variant
};

// Prepares one variant of a photo and adds its labelled regions.
VariantCounts collectVariant(const PhotoPoints& photo, int number, const PhotoVariant& variant,
                   const PreparationSettings& settings, const std::string& progress, Gathered& gathered) {
  const std::string name = variantFileName(photo.image, variant);
  const bool reused = preparePhoto(settings, photo.image, variant);
  const PhotoRegions regions = readPhotoRegions(settings.imageFolder, name);
  const std::vector<LabelledPoint> points =
      variant.mirrored ? mirroredPoints(photo.points, regions.labels.width()) : photo.points;
  const RegionLabelling labelling = labelRegions(regions.labels, points);
  VariantCounts counts;
  counts.leftOut = static_cast<int>(labelling.leftOut.size());
  for (const LabelledRegion& region : labelling.labelled) {
    if (region.region >= static_cast<int>(regions.features.size())) continue;
    if (variant.augmented() && gathered.holds(number, regions.features[region.region])) {
      ++counts.repeated;
      continue;
    }
    gathered.conceptOf.push_back(region.conceptName);
    std::vector<std::string> pointConcepts;
    for (const auto& [conceptName, count] : region.votes) pointConcepts.insert(pointConcepts.end(), count, conceptName);
    gathered.pointConceptsOf.push_back(std::move(pointConcepts));
    gathered.photoOf.push_back(number);
    gathered.augmentedOf.push_back(variant.augmented());
    gathered.features.push_back(regions.features[region.region]);
  }
  std::fprintf(stderr, "%s: %s, %zu regions, %zu labelled, %zu left out", progress.c_str(),
               reused ? "reused" : "prepared", regions.features.size(), labelling.labelled.size(),
               labelling.leftOut.size());
  if (variant.augmented()) std::fprintf(stderr, ", %d as before", counts.repeated);
  std::fprintf(stderr, "\n");
  for (const LeftOutRegion& region : labelling.leftOut) {
    std::fprintf(stderr, "  %s region %d left out: its points disagree (%s)\n", name.c_str(), region.region,
                 votesText(region.votes).c_str());
  }
  for (const LabelledPoint& point : labelling.outside) {
    std::fprintf(stderr, "  %s: point %d,%d (line %d) lies outside the %dx%d label file\n", name.c_str(), point.x,
                 point.y, point.line, regions.labels.width(), regions.labels.height());
  }
  return counts;
}

}  // namespace

std::vector<LabelledPoint> mirroredPoints(std::vector<LabelledPoint> points, int width) {
  for (LabelledPoint& point : points) {
    if (point.x < width) point.x = width - 1 - point.x;
  }
  return points;
}

std::vector<PhotoVariant> photoVariants(bool mirrored, const std::vector<int>& regionLimits) {
  std::vector<PhotoVariant> variants{PhotoVariant{}};
  if (mirrored) variants.push_back(PhotoVariant{true});
  for (int limit : regionLimits) {
    if (limit == kFerrowRegionLimit) continue;
    variants.push_back(PhotoVariant{false, limit});
    if (mirrored) variants.push_back(PhotoVariant{true, limit});
  }
  return variants;
}

Collected collectPhotos(const std::vector<PhotoPoints>& photos, const PreparationSettings& settings,
                        const std::vector<PhotoVariant>& variants) {
  Collected collected;
  Gathered gathered;
  const int photoCount = static_cast<int>(photos.size());
  for (int number = 0; number < photoCount; ++number) {
    const PhotoPoints& photo = photos[number];
    std::string head = "[";
    head.append(std::to_string(number + 1)).append("/").append(std::to_string(photoCount)).append("] ");
    for (const PhotoVariant& variant : variants) {
      // A copy is reported under its own name, below its photo's line.
      const std::string progress =
          variant.augmented() ? std::string(2, ' ').append(variantFileName(photo.image, variant)) : head + photo.image;
      try {
        const VariantCounts counts = collectVariant(photo, number, variant, settings, progress, gathered);
        (variant.augmented() ? collected.copiesLeftOut : collected.leftOut) += counts.leftOut;
        collected.copiesRepeated += counts.repeated;
        ++(variant.augmented() ? collected.copiesUsed : collected.photosUsed);
      } catch (const ProgramMissing&) {
        throw;
      } catch (const platform::Failure& failure) {
        std::fprintf(stderr, "%s: skipped: %s\n", progress.c_str(), oneLine(failure).c_str());
        // Without the photo its copies are not used either.
        if (!variant.augmented()) break;
      }
      std::fflush(stderr);
    }
    std::fflush(stderr);
  }
  collected.set = makeTrainingSet(std::move(gathered.conceptOf), std::move(gathered.pointConceptsOf),
                                  std::move(gathered.photoOf), std::move(gathered.features),
                                  std::move(gathered.augmentedOf));
  return collected;
}

}  // namespace svm_tools
