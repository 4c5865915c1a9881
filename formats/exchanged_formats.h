#pragma once
// The files the programs hand to each other, described once. Ferrow has the
// extractor write one descriptor file per kind and files it under
// descriptors/; Tamsel reads the four files, places their values in a
// region's 433-value feature vector and hands the vectors to the predictor;
// the trainer reads them the same way. Every program and tool takes names,
// sizes and positions from here.

#include <array>
#include <string_view>

namespace formats {

// In feature-vector order.
enum class DescriptorKind { HomogeneousTexture, RegionShape, ScalableColour, EdgeHistogram };

struct DescriptorFormat {
  DescriptorKind kind;
  std::string_view shortName;        // "HT": the feature group and the file suffix's middle
  std::string_view parameterFile;    // selects the kind for the extractor; relative to the working directory
  std::string_view parameterName;    // value of the parameter file's Descriptor line
  std::string_view extractorOutput;  // what the extractor writes in the working directory
  std::string_view suffix;           // behind the image's file name once filed under descriptors/
  int values;                        // per region, = per block of the file
  int featureOffset;                 // position of the kind's first value in a feature vector
  // The classifier maps a value v to (v - scaleOffset) / scaleDivisor, which
  // takes the kind's range onto -1..1 (0..1 for scalable colour).
  double scaleOffset;
  double scaleDivisor;
};

inline constexpr std::array<DescriptorFormat, 4> kDescriptorFormats{{
    {DescriptorKind::HomogeneousTexture, "HT", "./lib/Parfiles/HomogeneousTexture.par", "HomogeneousTexture",
     "HomoTexture.xml", ".HT.xml", 62, 0, 127.5, 127.5},
    {DescriptorKind::RegionShape, "RS", "./lib/Parfiles/RegionShape.par", "RegionShape", "RegionShape.xml",
     ".RS.xml", 35, 62, 7.5, 7.5},
    {DescriptorKind::ScalableColour, "SC", "./lib/Parfiles/ScalColor.par", "ScalableColor", "ScalableColorReg.xml",
     ".SC.xml", 256, 97, 0.0, 255.0},
    {DescriptorKind::EdgeHistogram, "EH", "./lib/Parfiles/EdgeHistogram.par", "EdgeHistogram", "EdgeHistogram.xml",
     ".EH.xml", 80, 353, 3.5, 3.5},
}};

constexpr const DescriptorFormat& descriptorFormat(DescriptorKind kind) {
  return kDescriptorFormats[static_cast<std::size_t>(kind)];
}

// Values in one region's feature vector; feature number n (counting from 1,
// as the predictor's input writes it) is at position n - 1.
inline constexpr int kFeatureCount = 433;

// The order in which each program walks the kinds. It decides which missing
// or broken file a run reports first, so each stays as the program has it.
using KindOrder = std::array<DescriptorKind, 4>;
inline constexpr KindOrder kExtractionOrder{DescriptorKind::RegionShape, DescriptorKind::ScalableColour,
                                            DescriptorKind::HomogeneousTexture, DescriptorKind::EdgeHistogram};
inline constexpr KindOrder kFilingOrder{DescriptorKind::HomogeneousTexture, DescriptorKind::ScalableColour,
                                        DescriptorKind::EdgeHistogram, DescriptorKind::RegionShape};
inline constexpr KindOrder kReadingOrder{DescriptorKind::HomogeneousTexture, DescriptorKind::EdgeHistogram,
                                         DescriptorKind::RegionShape, DescriptorKind::ScalableColour};

// Where the descriptor files are filed, relative to the working directory.
inline constexpr std::string_view kDescriptorFolder = "descriptors";

// The label file: "<base name>.seg", first beside the PPM, then in the image
// folder's mask folder, with the region masks
// "RegionMask.<file name>.<region>.pgm".
inline constexpr std::string_view kLabelFileExtension = ".seg";
inline constexpr std::string_view kMaskFolder = "segmentationMasks";
inline constexpr std::string_view kMaskPrefix = "RegionMask.";
inline constexpr std::string_view kMaskExtension = ".pgm";

// The predictor's input: one line per region, its class label and then
// "<feature number>:<value>" pairs; its output one confidence per line.
inline constexpr std::string_view kTestDataFile = "testDataFile.txt";
inline constexpr std::string_view kPredictionFile = "output.txt";

// What the trainer leaves for Tamsel in the configuration folder: the
// concept list "conf/<list name>" and one model per concept,
// "conf/SVMtrainingModels/trainingModels_<concept>.txt".
inline constexpr std::string_view kConfigurationFolder = "conf";
inline constexpr std::string_view kModelFolder = "SVMtrainingModels";
inline constexpr std::string_view kModelPrefix = "trainingModels_";
inline constexpr std::string_view kModelExtension = ".txt";

// Tamsel's results: "output/classification-results.<file name>.ORM.xml".
inline constexpr std::string_view kResultsFolder = "output";
inline constexpr std::string_view kResultsPrefix = "classification-results.";
inline constexpr std::string_view kResultsExtension = ".ORM.xml";

namespace detail {
constexpr bool featuresFollowEachOther() {
  int next = 0;
  for (const DescriptorFormat& format : kDescriptorFormats) {
    if (format.featureOffset != next || &descriptorFormat(format.kind) != &format) return false;
    next += format.values;
  }
  return next == kFeatureCount;
}
}  // namespace detail
static_assert(detail::featuresFollowEachOther(), "the four groups must tile the feature vector in kind order");

}  // namespace formats
