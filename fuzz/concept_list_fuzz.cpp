// The classifier's concept list.

#include <climits>
#include <cstdlib>

#include "classification/concept_list.h"
#include "fuzz/fuzz_support.h"

namespace {

// The concept count as the first item states it (the value after its first
// "=", leading digits). The reader takes that many names whatever the file
// holds; until it bounds the count by the file's size, counts far beyond
// what the input could name are skipped so that no run exhausts memory.
long statedCount(std::string_view input) {
  std::string item(input.substr(0, input.find(';')));
  const std::size_t equals = item.find('=');
  if (equals != std::string::npos) item.erase(0, equals + 1);
  return std::strtol(item.c_str(), nullptr, 10);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzzing::asText(data, size);
  if (statedCount(input) > static_cast<long>(size) + 1000) return 0;
  const std::string path = fuzzing::writeScratchFile("concepts.txt", input);
  fuzzing::readOrRefuse([&] { classification::readConceptList(path); });
  return 0;
}
