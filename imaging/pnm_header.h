#pragma once
// The header of a binary PNM file (colour input image, label file): four
// fields, magic, width, height and maximum value, read one byte at a time,
// and the checks that a header does not promise more than its file holds.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

namespace imaging {

// The one rule in which the two readers differ: what a line feed does while
// the current field is still empty. The colour image reader skips it (so a
// field may be preceded by blank lines); the label reader ends the field
// there, empty.
enum class LineFeedBeforeField { Skipped, EndsField };

// The four fields, or why they could not be read.
struct PnmHeaderFields {
  std::array<std::string, 4> fields;
  std::string problem;  // empty when all four were read
};

// The longest field a header may hold.
inline constexpr std::size_t kMaxHeaderFieldLength = 19;

// Reads the fields from the file's current position. '#' skips bytes up to
// and including the next line feed without ending the field; a blank or a
// line feed ends the field (two in a row give an empty one), except for
// `lineFeed`; every other byte, carriage returns and tabs included, belongs
// to the field. The file is left at the first raster byte.
PnmHeaderFields readPnmHeaderFields(std::FILE* file, LineFeedBeforeField lineFeed);

struct PnmHeader {
  int width = 0;
  int height = 0;
  int maxValue = 0;
  int bytesPerSample() const { return maxValue > 255 ? 2 : 1; }
};

// What a header must satisfy besides its magic.
struct PnmHeaderRules {
  const char* magic;         // "P6" or "P5"
  int channels;              // 3 or 1
  int largestMaxValue;       // 65535, or 255 where samples are single bytes
  bool emptyImageAllowed;    // a width or height of 0
};

// Width and height are the leading integers of their fields. Checks the
// magic, the maximum value (1 to rules.largestMaxValue), the sizes and that
// the file holds the whole raster after the header, and returns the problem
// found as text naming the file, or an empty text.
std::string checkPnmHeader(const PnmHeaderFields& fields, const PnmHeaderRules& rules, std::FILE* file,
                           const std::string& path, PnmHeader& header);

}  // namespace imaging
