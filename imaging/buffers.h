#pragma once
// Pixel buffers: one owning plane per shape, indexed [row][column] with the
// first row at the top. Storage is one contiguous block; rows are reached by
// operator[] returning a pointer to the row's first element.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/plane_allocator.h"

namespace imaging {

template <typename T>
class Plane {
 public:
  Plane() = default;
  Plane(int width, int height)
      : width_(width), height_(height), data_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height)) {}
  Plane(int width, int height, T fill)
      : width_(width),
        height_(height),
        data_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), fill) {}

  int width() const { return width_; }
  int height() const { return height_; }
  std::size_t size() const { return data_.size(); }
  bool empty() const { return data_.empty(); }

  T* operator[](int row) { return data_.data() + static_cast<std::size_t>(row) * width_; }
  const T* operator[](int row) const { return data_.data() + static_cast<std::size_t>(row) * width_; }

  T* data() { return data_.data(); }
  const T* data() const { return data_.data(); }
  void fill(T value) { std::fill(data_.begin(), data_.end(), value); }

  bool operator==(const Plane&) const = default;

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<T, PlaneAllocator<T>> data_;
};

// Three planes of one size: channel 0 is red (or L*), 1 green (or a*),
// 2 blue (or b*). Indexed [channel][row][column].
template <typename T>
class PlaneTriple {
 public:
  PlaneTriple() = default;
  PlaneTriple(int width, int height) : planes_{Plane<T>(width, height), Plane<T>(width, height), Plane<T>(width, height)} {}

  int width() const { return planes_[0].width(); }
  int height() const { return planes_[0].height(); }

  Plane<T>& operator[](int channel) { return planes_[channel]; }
  const Plane<T>& operator[](int channel) const { return planes_[channel]; }

  bool operator==(const PlaneTriple&) const = default;

 private:
  std::array<Plane<T>, 3> planes_;
};

using GreyImage = Plane<std::uint8_t>;      // label bytes, grey output
using IntMap = Plane<std::int32_t>;         // label maps, neighbour-label planes
using ColourImage = PlaneTriple<std::uint8_t>;  // R, G, B
using TripleImage = PlaneTriple<std::int32_t>;  // L*, a*, b* and sums

}  // namespace imaging
