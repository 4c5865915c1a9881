#pragma once
// The overlay: the photo with every region tinted half and half with its best
// concept's colour and the region borders drawn in black; and the PNG file it
// is published as.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/buffers.h"

namespace collection {

using Rgb = std::array<std::uint8_t, 3>;

// The fixed colour of a concept: the bundled concepts have their own, any
// other concept one of a fallback palette chosen by its name.
Rgb conceptColour(const std::string& conceptName);
std::string hexColour(const Rgb& colour);  // "#rrggbb"

// One colour per region, or none (the photo shows through untinted).
struct Tint {
  bool present = false;
  Rgb colour{};
};

// The tinted photo: every pixel of a region with a tint becomes
// (photo + tint + 1) / 2 per channel; a pixel whose right or lower neighbour
// has another label is a border and turns black. `labels` must have the
// photo's size.
imaging::ColourImage makeOverlay(const imaging::ColourImage& photo, const imaging::GreyImage& labels,
                                 const std::vector<Tint>& tints);

// Writes an 8-bit RGB PNG. Throws std::runtime_error when it cannot.
void writePng(const std::string& path, const imaging::ColourImage& image);

// Reads an 8-bit RGB or RGBA PNG (alpha dropped). Throws std::runtime_error.
imaging::ColourImage readPng(const std::string& path);

}  // namespace collection
