#include "collection/overlay.h"

#include <png.h>

#include <cstdio>
#include <map>
#include <stdexcept>

namespace collection {

Rgb conceptColour(const std::string& conceptName) {
  static const std::map<std::string, Rgb> known = {
      {"vegetation", {0x2c, 0xa0, 0x2c}}, {"sky", {0x1f, 0x77, 0xff}},  {"animal", {0xff, 0x7f, 0x0e}},
      {"building", {0xd6, 0x27, 0x28}},   {"water", {0x17, 0xbe, 0xcf}}, {"rock", {0x8c, 0x56, 0x4b}},
      {"sand", {0xff, 0xdd, 0x33}},       {"snow", {0xff, 0xff, 0xff}},
  };
  static const Rgb fallback[] = {{0x94, 0x67, 0xbd}, {0xe3, 0x77, 0xc2}, {0x7f, 0x7f, 0x7f},
                                 {0xbc, 0xbd, 0x22}, {0x00, 0x00, 0x80}, {0x80, 0x00, 0x00}};
  if (auto found = known.find(conceptName); found != known.end()) return found->second;
  unsigned hash = 2166136261u;
  for (unsigned char c : conceptName) hash = (hash ^ c) * 16777619u;
  return fallback[hash % (sizeof fallback / sizeof fallback[0])];
}

std::string hexColour(const Rgb& colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", colour[0], colour[1], colour[2]);
  return text;
}

imaging::ColourImage makeOverlay(const imaging::ColourImage& photo, const imaging::GreyImage& labels,
                                 const std::vector<Tint>& tints) {
  const int width = photo.width();
  const int height = photo.height();
  if (labels.width() != width || labels.height() != height)
    throw std::runtime_error("the label file's size differs from the photo's");
  imaging::ColourImage overlay(width, height);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* label = labels[row];
    const std::uint8_t* below = row + 1 < height ? labels[row + 1] : nullptr;
    for (int column = 0; column < width; ++column) {
      const bool border = (column + 1 < width && label[column + 1] != label[column]) ||
                          (below != nullptr && below[column] != label[column]);
      const Tint* tint = label[column] < tints.size() && tints[label[column]].present ? &tints[label[column]] : nullptr;
      for (int channel = 0; channel < 3; ++channel) {
        const int value = photo[channel][row][column];
        overlay[channel][row][column] = border ? 0
                                        : tint ? static_cast<std::uint8_t>((value + tint->colour[channel] + 1) / 2)
                                               : static_cast<std::uint8_t>(value);
      }
    }
  }
  return overlay;
}

void writePng(const std::string& path, const imaging::ColourImage& image) {
  std::vector<std::uint8_t> packed(static_cast<std::size_t>(image.width()) * image.height() * 3);
  std::size_t at = 0;
  for (int row = 0; row < image.height(); ++row)
    for (int column = 0; column < image.width(); ++column)
      for (int channel = 0; channel < 3; ++channel) packed[at++] = image[channel][row][column];
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width());
  png.height = static_cast<png_uint_32>(image.height());
  png.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&png, path.c_str(), 0, packed.data(), 0, nullptr))
    throw std::runtime_error("cannot write " + path + ": " + png.message);
}

imaging::ColourImage readPng(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) throw std::runtime_error("cannot read " + path + ": " + png.message);
  png.format = PNG_FORMAT_RGB;
  std::vector<std::uint8_t> packed(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, packed.data(), 0, nullptr)) {
    png_image_free(&png);
    throw std::runtime_error("cannot read " + path + ": " + png.message);
  }
  imaging::ColourImage image(static_cast<int>(png.width), static_cast<int>(png.height));
  std::size_t at = 0;
  for (int row = 0; row < image.height(); ++row)
    for (int column = 0; column < image.width(); ++column)
      for (int channel = 0; channel < 3; ++channel) image[channel][row][column] = packed[at++];
  return image;
}

}  // namespace collection
