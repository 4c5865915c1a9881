#pragma once
// Small label maps written as text, for the tests of the component and
// merging stages: one string per row, one character per pixel, '0'..'9' for
// labels 0..9 and 'a', 'b', ... for 10, 11, ...

#include <string>
#include <vector>

#include "imaging/buffers.h"
#include "segmentation/region_centres.h"

namespace label_maps {

inline int labelOf(char c) { return c >= 'a' ? 10 + (c - 'a') : c - '0'; }
inline char charOf(int label) { return label >= 10 ? static_cast<char>('a' + label - 10) : static_cast<char>('0' + label); }

inline imaging::IntMap mapOf(const std::vector<std::string>& rows) {
  imaging::IntMap map(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int r = 0; r < map.height(); ++r)
    for (int c = 0; c < map.width(); ++c) map[r][c] = labelOf(rows[r][c]);
  return map;
}

inline std::vector<std::string> rowsOf(const imaging::IntMap& map) {
  std::vector<std::string> rows;
  for (int r = 0; r < map.height(); ++r) {
    std::string row;
    for (int c = 0; c < map.width(); ++c) row.push_back(charOf(map[r][c]));
    rows.push_back(row);
  }
  return rows;
}

// Centres for labels 1..lightness.size() of `map`: region r gets the colour
// (lightness[r - 1], 0, 0) and, when given, the texture vector
// textures[r - 1]; positions and pixel counts come from the map.
inline segmentation::CentreTable centresOf(const imaging::IntMap& map, const std::vector<double>& lightness,
                                           const std::vector<std::vector<double>>& textures = {}, int ldc = 0) {
  const int regions = static_cast<int>(lightness.size());
  imaging::TripleImage lab(map.width(), map.height());
  segmentation::TextureField texture(map.width(), map.height(), ldc);
  for (int r = 0; r < map.height(); ++r)
    for (int c = 0; c < map.width(); ++c) {
      const int label = map[r][c];
      if (label < 1 || label > regions) continue;
      lab[0][r][c] = static_cast<int>(lightness[label - 1]);
      for (int k = 0; k < texture.length() && !textures.empty(); ++k) texture.at(r, c)[k] = textures[label - 1][k];
    }
  segmentation::CentreTable centres(regions, ldc);
  segmentation::updateCentres(lab, map, texture, centres, regions);
  return centres;
}

}  // namespace label_maps
