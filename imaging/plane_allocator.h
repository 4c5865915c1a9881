#pragma once
// Storage for pixel planes. Large planes are placed on 2 MB boundaries and
// marked for transparent huge pages: on virtual machines the first touch of
// fresh memory page by page costs more than the work done on it, and huge
// pages cut that cost by an order of magnitude. Small planes use the
// ordinary heap.

#include <cstddef>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace imaging {

template <typename T>
struct PlaneAllocator {
  using value_type = T;
  static constexpr std::size_t kHugePage = std::size_t{2} << 20;

  PlaneAllocator() = default;
  template <typename U>
  PlaneAllocator(const PlaneAllocator<U>&) {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    const std::size_t bytes = count * sizeof(T);
    if (bytes < kHugePage) {
      void* memory = std::malloc(bytes == 0 ? 1 : bytes);
      if (memory == nullptr) throw std::bad_alloc();
      return static_cast<T*>(memory);
    }
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
#ifdef _WIN32
    void* memory = std::malloc(rounded);  // no huge pages to ask for, and no aligned_alloc
#else
    void* memory = std::aligned_alloc(kHugePage, rounded);
#endif
    if (memory == nullptr) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    madvise(memory, rounded, MADV_HUGEPAGE);  // a hint; failure changes nothing
#endif
    return static_cast<T*>(memory);
  }

  void deallocate(T* memory, std::size_t) { std::free(memory); }

  template <typename U>
  bool operator==(const PlaneAllocator<U>&) const {
    return true;
  }
};

}  // namespace imaging
