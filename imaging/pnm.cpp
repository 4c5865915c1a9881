#include "imaging/pnm.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/failure.h"
#include "platform/file.h"

namespace imaging {
namespace {


constexpr std::size_t kMaxTokenLength = 19;

struct ColourHeader {
  int width = 0;
  int height = 0;
  int maxValue = 255;
};

// Reads the four header tokens (magic, width, height, maximum value). A '#'
// skips to the end of its line without ending the token; a line feed before a
// token has started is skipped; otherwise a blank or a line feed ends the
// token, so two blanks in a row give an empty token. Every other byte,
// carriage returns and tabs included, belongs to the token.
ColourHeader readColourHeader(std::FILE* file, const std::string& path) {
  std::string tokens[4];
  int current = 0;
  while (current < 4) {
    int c = std::getc(file);
    if (c == EOF) platform::failStderrLine(path + ": the file ends inside its header");
    if (c == '#') {
      while (c != EOF && c != '\n') c = std::getc(file);
      if (c == EOF) platform::failStderrLine(path + ": the file ends inside its header");
      continue;
    }
    if (c == '\n' && tokens[current].empty()) continue;
    if (c == ' ' || c == '\n') {
      ++current;
      continue;
    }
    if (tokens[current].size() == kMaxTokenLength) platform::failStderrLine(path + ": a header field is longer than 19 characters");
    tokens[current].push_back(static_cast<char>(c));
  }
  ColourHeader header;
  header.width = std::atoi(tokens[1].c_str());
  header.height = std::atoi(tokens[2].c_str());
  header.maxValue = std::atoi(tokens[3].c_str());
  if (header.width <= 0 || header.height <= 0)
    platform::failStderrLine(path + ": the header's width and height must be positive numbers (read \"" + tokens[1] + "\" and \"" +
             tokens[2] + "\")");
  if (static_cast<std::int64_t>(header.width) * header.height > kMaxPixels)
    platform::failStderrLine(path + ": the image has " + tokens[1] + " x " + tokens[2] + " pixels, more than the limit of " +
             std::to_string(kMaxPixels));
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
  platform::File file = platform::openOrFail(path, "wb");
  const std::string header = greyImageHeader(image.width(), image.height());
  bool written = std::fwrite(header.data(), 1, header.size(), file.get()) == header.size();
  if (written && !image.empty()) written = std::fwrite(image.data(), 1, image.size(), file.get()) == image.size();
  platform::closeOrFail(std::move(file), path, written);
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
