#include "segmentation/texture_smoothing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using segmentation::smoothingThreshold;
using segmentation::smoothTexturedPixels;
using segmentation::TextureField;

TEST(SmoothingThreshold, IsSixtyFivePercentOfTexMaxButAtLeastFourteen) {
  EXPECT_EQ(smoothingThreshold(0), 14.0f);
  EXPECT_EQ(smoothingThreshold(20), 14.0f);  // 13 is below the floor
  EXPECT_EQ(smoothingThreshold(40), 26.0f);
  EXPECT_EQ(smoothingThreshold(21.6f), 0.65f * 21.6f);
}

// A 5 x 4 image whose pixel (r, c) has L* = 10 r + c, a* = -(r + c),
// b* = 7; texture energy `energy` on the listed pixels, 0 elsewhere.
struct Scene {
  imaging::TripleImage lab{5, 4};
  TextureField texture{5, 4, 2};
  Scene() {
    for (int r = 0; r < 4; ++r)
      for (int c = 0; c < 5; ++c) {
        lab[0][r][c] = 10 * r + c;
        lab[1][r][c] = -(r + c);
        lab[2][r][c] = 7;
      }
  }
  void textured(int r, int c, double energy) { texture.at(r, c)[4] = energy; }
};

TEST(TextureSmoothing, AveragesOnlyPixelsAboveTheThreshold) {
  Scene scene;
  scene.textured(1, 1, 26.01);  // above 0.65 x 40 = 26
  scene.textured(1, 2, 26.0);   // exactly at it: kept
  scene.textured(0, 0, 30.0);   // corner: window clipped to 2 x 2
  scene.textured(3, 4, 30.0);   // corner at the bottom right
  const imaging::TripleImage before = scene.lab;
  smoothTexturedPixels(scene.lab, scene.texture, 3, 40.0f);

  // (1, 1): rows 0..2, columns 0..2 of the unsmoothed image.
  EXPECT_EQ(scene.lab[0][1][1], 11);
  EXPECT_EQ(scene.lab[1][1][1], -2);
  EXPECT_EQ(scene.lab[2][1][1], 7);
  // (0, 0): L* (0 + 1 + 10 + 11) / 4 = 5.5 -> 5; a* (0 - 1 - 1 - 2) / 4 = -1.
  EXPECT_EQ(scene.lab[0][0][0], 5);
  EXPECT_EQ(scene.lab[1][0][0], -1);
  // (3, 4): L* (23 + 24 + 33 + 34) / 4 = 28.5 -> 28; a* -(5 + 6 + 6 + 7) / 4 = -6.
  EXPECT_EQ(scene.lab[0][3][4], 28);
  EXPECT_EQ(scene.lab[1][3][4], -6);
  // Everything else unchanged, including the pixel exactly at the threshold.
  for (int c = 0; c < 3; ++c)
    for (int r = 0; r < 4; ++r)
      for (int j = 0; j < 5; ++j) {
        if ((r == 1 && j == 1) || (r == 0 && j == 0) || (r == 3 && j == 4)) continue;
        EXPECT_EQ(scene.lab[c][r][j], before[c][r][j]) << c << " " << r << "," << j;
      }
}

TEST(TextureSmoothing, TruncatesNegativeMeansTowardZero) {
  imaging::TripleImage lab(2, 1);
  lab[1][0][0] = -1;
  lab[1][0][1] = -2;
  TextureField texture(2, 1, 2);
  texture.at(0, 0)[0] = 100;
  smoothTexturedPixels(lab, texture, 3, 0.0f);
  EXPECT_EQ(lab[1][0][0], -1);  // -1.5 -> -1, not -2
}

TEST(TextureSmoothing, UsesUnsmoothedNeighboursThroughout) {
  // Every pixel textured: each mean comes from the original values, not
  // from neighbours already rewritten.
  imaging::TripleImage lab(3, 1);
  lab[0][0][0] = 0;
  lab[0][0][1] = 30;
  lab[0][0][2] = 90;
  TextureField texture(3, 1, 2);
  for (int j = 0; j < 3; ++j) texture.at(0, j)[0] = 50;
  smoothTexturedPixels(lab, texture, 3, 0.0f);
  EXPECT_EQ(lab[0][0][0], 15);
  EXPECT_EQ(lab[0][0][1], 40);
  EXPECT_EQ(lab[0][0][2], 60);
}

TEST(TextureSmoothing, WindowOfOnePixelChangesNothing) {
  Scene scene;
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 5; ++c) scene.textured(r, c, 99);
  const imaging::TripleImage before = scene.lab;
  smoothTexturedPixels(scene.lab, scene.texture, 1, 20.0f);
  EXPECT_EQ(scene.lab, before);
}

}  // namespace
