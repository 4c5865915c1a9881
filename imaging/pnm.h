#pragma once
// Binary colour images in (PPM "P6") and binary grey images out (PGM "P5").

#include <cstdint>
#include <string>

#include "imaging/buffers.h"
#include "imaging/pnm_header.h"

namespace imaging {

// The largest image the readers accept, in pixels. A header asking for more
// is refused before anything is allocated.
inline constexpr std::int64_t kMaxPixels = 500'000'000;

// Reads a binary colour image ("P6"). Samples are single bytes, or two
// big-endian bytes scaled to 0..255 when the header's maximum value (1 to
// 65535) is above 255. A header whose magic or maximum value is wrong, or
// that promises more raster than the file holds, stops the run with one line
// on standard error before anything is allocated.
ColourImage readColourImage(const std::string& path);

// Reads and checks only the header, as readColourImage does.
PnmHeader readColourImageHeader(const std::string& path);

// Reads the image and cuts `margin` pixels from every side.
ColourImage readColourImage(const std::string& path, int margin);

// The header every grey image we write starts with.
std::string greyImageHeader(int width, int height);

// Writes a grey image, replacing an existing file only once the new one is
// complete: a write that fails leaves the old file (or none) and stops with
// "failure in closing file <path>".
void writeGreyImage(const std::string& path, const GreyImage& image);

// Writes the image inside a frame of `margin` pixels of value 255.
void writeGreyImage(const std::string& path, const GreyImage& image, int margin);

}  // namespace imaging
