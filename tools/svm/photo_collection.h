#pragma once
// Collecting the labelled regions of every photo of a point file: each photo
// (and each augmented copy asked for) is prepared in the working directory,
// the region under each of its points looked up and every region's features
// read as the classifier reads them. Progress and left-out regions are
// reported on standard error.

#include <string>
#include <vector>

#include "tools/svm/concept_training.h"
#include "tools/svm/photo_preparation.h"
#include "tools/svm/point_labels.h"

namespace svm_tools {

// The points of a photo as they lie on its mirrored copy, of `width` columns:
// column x becomes width - 1 - x. A point outside the photo stays where it
// is, so that it is reported as outside again.
std::vector<LabelledPoint> mirroredPoints(std::vector<LabelledPoint> points, int width);

// The variants of a photo the collection prepares: the photo, then its
// mirrored copy when `mirrored`, then each of `regionLimits` (other than
// Ferrow's own) of the photo and, when mirrored, of its mirrored copy.
std::vector<PhotoVariant> photoVariants(bool mirrored, const std::vector<int>& regionLimits);

struct Collected {
  TrainingSet set;
  int photosUsed = 0;
  int leftOut = 0;        // regions of the photos whose points disagree
  int copiesUsed = 0;     // augmented copies whose regions were read
  int copiesLeftOut = 0;  // regions of the copies whose points disagree
  int copiesRepeated = 0; // labelled regions of the copies left out as equal to one already there
};

// Prepares and reads every photo. A photo (or copy) that fails to prepare or
// read is skipped with a line on standard error; ProgramMissing ends the
// collection. The regions of the copies of photo i carry the photo number i
// and are marked augmented; a copy's region with exactly the features of one
// already collected for the photo is not added again.
Collected collectPhotos(const std::vector<PhotoPoints>& photos, const PreparationSettings& settings,
                        const std::vector<PhotoVariant>& variants);

}  // namespace svm_tools
