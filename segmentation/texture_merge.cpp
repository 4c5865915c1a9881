#include "segmentation/texture_merge.h"

#include <vector>

#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/merge.h"

namespace segmentation {

int textureMerge(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
                 Log& log) {
  requireCentres(centres, regions, "texture_merge");
  log.print("texture_merge: area_num=%d\n", regions);
  const int textureLength = centres.textureLength();

  // How strongly each region is textured: its centre's distance from the
  // zero texture vector at an equal colour, that is the texture weight
  // times the energy of its mean texture.
  const std::vector<double> zeroTexture(static_cast<std::size_t>(textureLength), 0.0);
  std::vector<float> strength(static_cast<std::size_t>(regions));
  for (int r = 0; r < regions; ++r)
    strength[r] = featureDistance(centres[r] + kL, centres[r] + kL, centres[r] + kTexture, zeroTexture.data(),
                                  textureLength, weights);

  return mergeAdjacentPairsWhere(labels, regions, [&](int q, int p) {
    return centreDistance(centres[q], centres[p], textureLength, weights) < kTexturePairLimit &&
           strength[q] >= kTextureFloor && strength[p] >= kTextureFloor;
  });
}

}  // namespace segmentation
