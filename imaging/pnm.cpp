#include "imaging/pnm.h"

#include "imaging/pnm_header.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/failure.h"
#include "platform/file.h"
#include "platform/replacing_file.h"

namespace imaging {
namespace {

using ColourHeader = PnmHeader;

constexpr PnmHeaderRules kColourRules{"P6", 3, 65535, false};

// Reads and checks the header; the file is left at the first raster byte.
ColourHeader readColourHeader(std::FILE* file, const std::string& path) {
  const PnmHeaderFields fields = readPnmHeaderFields(file, LineFeedBeforeField::Skipped);
  if (!fields.problem.empty()) platform::failStderrLine(path + ": " + fields.problem);
  ColourHeader header;
  const std::string problem = checkPnmHeader(fields, kColourRules, file, path, header);
  if (!problem.empty()) platform::failStderrLine(problem);
  return header;
}

// Reads one raster row of `width` pixels, padding what the file lacks with
// 255, and returns its samples as 0..255 values: the bytes themselves for
// one-byte samples, or `scaled` filled from two-byte samples.
const std::uint8_t* readRow(std::FILE* file, const ColourHeader& header, std::vector<std::uint8_t>& bytes,
                            std::vector<std::uint8_t>& scaled) {
  const bool wide = header.maxValue > 255;
  const std::size_t count = static_cast<std::size_t>(header.width) * 3;
  bytes.resize(wide ? 2 * count : count);
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fill(bytes.begin() + static_cast<std::ptrdiff_t>(got), bytes.end(), std::uint8_t{255});
  if (!wide) return bytes.data();
  scaled.resize(count);
  const unsigned maxValue = static_cast<unsigned>(header.maxValue);
  for (std::size_t k = 0; k < count; ++k) {
    unsigned value = (static_cast<unsigned>(bytes[2 * k]) << 8) | bytes[2 * k + 1];
    if (value > maxValue) value = maxValue;
    scaled[k] = static_cast<std::uint8_t>((value * 255u + maxValue / 2) / maxValue);
  }
  return scaled.data();
}

}  // namespace

ColourImage readColourImage(const std::string& path) { return readColourImage(path, 0); }

PnmHeader readColourImageHeader(const std::string& path) {
  platform::File file = platform::openOrFail(path, "rb");
  const PnmHeader header = readColourHeader(file.get(), path);
  platform::closeOrFail(std::move(file), path);
  return header;
}

ColourImage readColourImage(const std::string& path, int margin) {
  platform::File file = platform::openOrFail(path, "rb");
  const ColourHeader header = readColourHeader(file.get(), path);
  if (margin < 0) platform::failStderrLine("the margin must not be negative (got " + std::to_string(margin) + ")");
  if (2 * static_cast<std::int64_t>(margin) >= header.width || 2 * static_cast<std::int64_t>(margin) >= header.height)
    platform::failStderrLine(path + ": a margin of " + std::to_string(margin) + " leaves no pixels of the " +
             std::to_string(header.width) + " x " + std::to_string(header.height) + " image");

  const int width = header.width - 2 * margin;
  const int height = header.height - 2 * margin;
  ColourImage image(width, height);
  std::vector<std::uint8_t> bytes;
  std::vector<std::uint8_t> scaled;
  for (int row = 0; row < header.height; ++row) {
    const std::uint8_t* samples = readRow(file.get(), header, bytes, scaled);
    if (row < margin || row >= margin + height) continue;
    std::uint8_t* red = image[0][row - margin];
    std::uint8_t* green = image[1][row - margin];
    std::uint8_t* blue = image[2][row - margin];
    const std::uint8_t* pixel = samples + 3 * static_cast<std::size_t>(margin);
    for (int column = 0; column < width; ++column, pixel += 3) {
      red[column] = pixel[0];
      green[column] = pixel[1];
      blue[column] = pixel[2];
    }
  }
  platform::closeOrFail(std::move(file), path);
  return image;
}

std::string greyImageHeader(int width, int height) {
  return "P5\n# Created by qlix\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
}

void writeGreyImage(const std::string& path, const GreyImage& image) {
  platform::ReplacingFile file(path, platform::WriteReport::OpeningClosing);
  file.write(greyImageHeader(image.width(), image.height()));
  if (!image.empty()) file.write({reinterpret_cast<const char*>(image.data()), image.size()});
  file.commit();
}

void writeGreyImage(const std::string& path, const GreyImage& image, int margin) {
  if (margin == 0) {
    writeGreyImage(path, image);
    return;
  }
  GreyImage framed(image.width() + 2 * margin, image.height() + 2 * margin, std::uint8_t{255});
  for (int row = 0; row < image.height(); ++row)
    std::copy(image[row], image[row] + image.width(), framed[row + margin] + margin);
  writeGreyImage(path, framed);
}

}  // namespace imaging
