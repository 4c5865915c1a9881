#pragma once
// Memory set-up for a segmenter run. The run allocates and releases
// image-sized buffers stage by stage, and on virtual machines faulting in
// fresh memory can cost more than the stages' own work. These calls prepare
// the heap so the stages reuse memory that is already in place. They change
// how fast a run is, never what it computes.

#include <cstdlib>
#include <memory>
#include <string>

namespace segmentation {

// Keeps released memory in the heap so the next stage reuses it instead of
// mapping fresh pages (glibc only; elsewhere it does nothing).
void keepReleasedMemoryForReuse();

struct FreeMemory {
  void operator()(void* memory) const { std::free(memory); }
};
using HeapGap = std::unique_ptr<void, FreeMemory>;

// Grows the heap by `bytes`, in huge pages where the system grants them,
// touches and releases it. The result must stay alive for the run.
[[nodiscard]] HeapGap growHeapInHugePages(std::size_t bytes);

// What a run on this input will allocate at most, estimated from the size
// of the input file and capped; 0 when the file cannot be sized.
std::size_t expectedRunMemory(const std::string& inputPath);

}  // namespace segmentation
