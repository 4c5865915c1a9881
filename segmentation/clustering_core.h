#pragma once
// The clustering core: from the reduced L*a*b* image to a map of at most
// maxAreaNum 4-connected regions labelled 1..n, with the progress log.
//
// The segmenter's stages, in the order a run takes them: run_driver.cpp
// runs the whole, clustering_core.cpp the core, boundary_refinement.cpp the
// full-resolution refinement. One file each, in segmentation/ unless named.
//
//   stage                    file                    leaves behind
//   reading                  imaging/pnm             the RGB image, margin cut off
//   block reduction          block_reduction         the reduced RGB image (W x W means)
//   L*a*b* conversion        lab_conversion          the reduced L*a*b* image
//   clustering core (this file's call), on the reduced image:
//     texture features       texture_features        9 x LDC energies per pixel
//     block vectors          block_vectors           one vector per block, tex_max
//     maximin seeding        maximin_seeding         seed blocks, contrast
//     block K mean           block_kmeans            a cluster per block
//     block label expansion  block_label_expansion   the first label map
//     components             component_labeling      components of >= 0.5 %, 1..n
//     texture smoothing      texture_smoothing       a smoothed copy for the centres
//     region centres         region_centres          one centre record per region
//     passes, <= kMaxPasses  pixel_assignment,       pixels at their nearest centre,
//                            component_labeling,     small components dropped,
//                            merge                   close neighbours joined
//     final assignment       pixel_assignment,       every component a region
//                            component_labeling
//     merge                  merge                   close neighbours joined
//     texture merge          texture_merge           textured neighbours joined
//     append                 append                  regions of < 0.75 % absorbed
//     final merging          final_merging           at most maxAreaNum regions
//   label expansion          block_reduction         the full-resolution label map
//   boundary refinement (ML 1), at full resolution:
//     block neighbours       block_neighbours        the regions each block touches
//     interior histograms    region_histograms       colour distributions per region
//     relabelling            likelihood_relabelling  border pixels moved
//     components             component_labeling      cut-off parts as regions
//     small-region merging   small_region_merging    regions of < 0.75 % absorbed
//   label file               run_driver, imaging/pnm the label file (largest label as 0)

#include "imaging/buffers.h"
#include "segmentation/log.h"

namespace segmentation {

// The passes of assignment, components and merge stop after this many even
// when the regions have not settled.
inline constexpr int kMaxPasses = 10;

struct ClusteringResult {
  int regions = 0;       // n
  int smallRegions = 0;  // extra components the final assignment split off
};

// Clusters `lab` (Hr x Wr) in colour, texture (when useTexture) and position.
// On return `labels` is Hr x Wr (resized if it was not) and holds 1..n,
// every region 4-connected, n <= maxAreaNum (which must be at least 1).
// An empty image has no regions (0, nothing printed).
// `ldc` is the number of texture levels (2..4).
// `lab` is left as it is: the texture-adaptive smoothing works on a copy.
// Progress goes to `log`.
ClusteringResult clusterReducedImage(const imaging::TripleImage& lab, imaging::IntMap& labels, bool useTexture,
                                     int ldc, int maxAreaNum, Log& log);

// Sizes and limits the core derives from the reduced image's size.
struct CoreQuantities {
  int blockSide;          // odd; also the texture window side
  int blockRows;          // blocks whose centre pixel lies inside (at least 1)
  int blockColumns;
  int smallAreaLimit;     // minimum component size, 0.5 % of the area
  int appendAreaLimit;    // regions below it are absorbed, 0.75 % of the area
  float positionTolerance;  // how far a centre may move and count as still
};

CoreQuantities coreQuantities(int width, int height);

// The colour distance below which adjacent regions merge during the passes.
float colourThresholdFor(bool useTexture, float contrast);

}  // namespace segmentation
