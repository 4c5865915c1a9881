#include "segmentation/run_memory.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace segmentation {

// The run allocates and releases image-sized buffers stage by stage. By
// default each of them is mapped afresh and returned to the system when
// released, and faulting in fresh pages can cost more than the stages' own
// work. Keeping released memory in the heap lets the next stage reuse it.
void keepReleasedMemoryForReuse() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
}

// Faulting in fresh memory 4 KB page by 4 KB page is slow on virtual
// machines (about 3 ms per MB, more than most stages spend on their data);
// 2 MB huge pages cost a tenth of that per MB. So before the run the heap is
// grown by about what the run will use, as huge pages where the system
// grants them, touched, and released; the stages then allocate from memory
// that is already in place.
//
// Huge pages need 2 MB-aligned ranges, and the heap's free top rarely starts
// on a boundary: the stretch below the next boundary is taken by an
// allocation that is never touched (it costs address space only) and must
// stay allocated during the run, which is what the result is for. With
// another allocator than glibc's the layout may differ; the run is then
// merely not faster.
HeapGap growHeapInHugePages(std::size_t bytes) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  const std::size_t size = (bytes + kHugePage - 1) / kHugePage * kHugePage;
  if (size == 0) return nullptr;
  // A large request at this point is served from the start of the free top.
  void* probe = std::malloc(size + 2 * kHugePage);
  if (probe == nullptr) return nullptr;
  const std::uintptr_t topStart = reinterpret_cast<std::uintptr_t>(probe);
  std::free(probe);
  const std::size_t toBoundary = (kHugePage - topStart % kHugePage) % kHugePage;
  // Leaves room for the allocator's bookkeeping before the next block.
  constexpr std::size_t kBookkeeping = 32;
  HeapGap gap(toBoundary > 2 * kBookkeeping ? std::malloc(toBoundary - kBookkeeping) : nullptr);

  char* block = static_cast<char*>(std::malloc(size + kHugePage));
  if (block == nullptr) return gap;
  const std::uintptr_t blockStart = reinterpret_cast<std::uintptr_t>(block);
  char* aligned = block + (kHugePage - blockStart % kHugePage) % kHugePage;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(aligned, size, MADV_HUGEPAGE);  // a hint; failure changes nothing
#endif
  volatile char* page = aligned;
  for (std::size_t k = 0; k < size; k += 4096) page[k] = 0;
  std::free(block);
  return gap;
}

// What the run will allocate at most, estimated from the size of the input
// file: the colour image, the label map and the reduced image's texture
// vectors come to about 3.5 bytes per byte of an 8-bit image file. Nothing
// when the file cannot be sized (the run then reports it). Capped, so that a
// file the reader will reject does not make the program take memory first;
// a larger run faults in the rest as it goes.
std::size_t expectedRunMemory(const std::string& inputPath) {
  constexpr std::uintmax_t kMostBytes = std::uintmax_t{256} << 20;
  std::error_code error;
  const std::uintmax_t fileBytes = std::filesystem::file_size(inputPath, error);
  return error ? 0 : static_cast<std::size_t>(std::min(fileBytes / 2 * 7, kMostBytes));
}

}  // namespace segmentation
