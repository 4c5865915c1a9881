#pragma once
// Reading a label file (the grey image whose byte values are region numbers)
// and counting its regions.

#include <string>

#include "imaging/buffers.h"

namespace imaging {

// Reads the label file at `path`. The header is four tokens (magic, width,
// height, maximum value) separated by single blanks or line feeds; '#' skips
// to the end of its line. Every separator ends a token, so two separators in
// a row give an empty token, and any other byte, carriage returns included,
// belongs to the token. Width and height are the leading digits of their
// tokens. The raster starts right after the fourth token's separator.
//
// A header that ends early or holds a token over 19 characters stops the run
// like a missing file ("failure in opening file <path>"). A magic other than
// "P5", a maximum value outside 1 to 255 (label values are single bytes) or a
// raster shorter than the header says stops it with one line on standard
// error, before the raster is allocated.
GreyImage readLabelFile(const std::string& path);

// The number of regions of a label image: its largest value plus 1, so every
// value from 0 to the largest counts as a region, present or not.
int regionCount(const GreyImage& labels);

}  // namespace imaging
