#pragma once
// The text form in which region features go to the predictor: one line per
// region, "+1" and then " <number>:<value>" for the 433 features, values in
// fixed notation with six decimals.

#include <string>

#include "classification/region_set.h"

namespace classification {

// " 1:<v1> 2:<v2> ... 433:<v433>": the features of one line, without the
// class label before them and the line end after them.
std::string formatFeatures(const RegionRecord& record);

// A value in fixed notation with six decimals ("%f").
std::string formatFixed(double value);

}  // namespace classification
