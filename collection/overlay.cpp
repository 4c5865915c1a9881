#include "collection/overlay.h"

#include <png.h>
#include <zlib.h>

#include <csetjmp>
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

namespace {

// Writes the rows with libpng; false (and the library's message in `error`)
// when it fails. Kept free of C++ objects with destructors between setjmp and
// any longjmp back to it.
bool writeRows(std::FILE* file, int width, int height, std::vector<png_bytep>& rows, std::string& error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    error = "libpng failed";
    return false;
  }
  png_init_io(png, file);
  // Overlays are written once per photo and shown in a browser: the cheapest
  // compression that still pays on photos is worth the larger file. Huffman
  // coding alone after the one cheap filter costs about 60 % of zlib's
  // fastest level and gives files of about the same size, since the noise
  // of a photo leaves little for string matching to find.
  png_set_compression_strategy(png, Z_HUFFMAN_ONLY);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

void writePng(const std::string& path, const imaging::ColourImage& image) {
  const std::size_t stride = static_cast<std::size_t>(image.width()) * 3;
  std::vector<std::uint8_t> packed(stride * image.height());
  std::vector<png_bytep> rows(image.height());
  for (int row = 0; row < image.height(); ++row) {
    std::uint8_t* out = packed.data() + stride * row;
    rows[row] = out;
    const std::uint8_t* red = image[0][row];
    const std::uint8_t* green = image[1][row];
    const std::uint8_t* blue = image[2][row];
    for (int column = 0; column < image.width(); ++column) {
      *out++ = red[column];
      *out++ = green[column];
      *out++ = blue[column];
    }
  }
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  std::string error;
  const bool written = writeRows(file, image.width(), image.height(), rows, error);
  if (std::fclose(file) != 0 || !written) throw std::runtime_error("cannot write " + path + (error.empty() ? "" : ": " + error));
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
