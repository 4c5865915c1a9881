#pragma once
// Binary colour images in (PPM "P6") and binary grey images out (PGM "P5").

#include <cstdint>
#include <string>

#include "imaging/buffers.h"

namespace imaging {

// The largest image the readers accept, in pixels. A header asking for more
// is refused before anything is allocated.
inline constexpr std::int64_t kMaxPixels = 500'000'000;

// Reads a binary colour image. Samples are single bytes, or two big-endian
// bytes scaled to 0..255 when the header's maximum value is above 255. A
// raster that ends early is padded with 255.
ColourImage readColourImage(const std::string& path);

// Reads the image and cuts `margin` pixels from every side.
ColourImage readColourImage(const std::string& path, int margin);

// The header every grey image we write starts with.
std::string greyImageHeader(int width, int height);

// Writes a grey image, replacing an existing file.
void writeGreyImage(const std::string& path, const GreyImage& image);

// Writes the image inside a frame of `margin` pixels of value 255.
void writeGreyImage(const std::string& path, const GreyImage& image, int margin);

}  // namespace imaging
