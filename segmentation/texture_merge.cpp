#include "segmentation/texture_merge.h"

#include <stdexcept>
#include <vector>

#include "segmentation/adjacency.h"
#include "segmentation/component_labeling.h"
#include "segmentation/merge.h"

namespace segmentation {

int textureMerge(imaging::IntMap& labels, int regions, const CentreTable& centres, const DistanceWeights& weights,
                 Log& log) {
  if (centres.size() < regions) throw std::invalid_argument("texture_merge: fewer centres than regions");
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

  RegionPairs pairs = regionAdjacency(labels, regions);
  for (int p = regions - 1; p >= 1; --p) {
    const std::vector<int> partners = pairs.partners(p);
    for (const int q : partners) {
      if (q >= p) break;
      const float distance = centreDistance(centres[q], centres[p], textureLength, weights);
      const bool candidate =
          distance < kTexturePairLimit && strength[q] >= kTextureFloor && strength[p] >= kTextureFloor;
      if (!candidate) pairs.remove(q, p);
    }
  }
  joinPairs(labels, pairs);
  return compactLabels(labels);
}

}  // namespace segmentation
