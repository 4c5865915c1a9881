// The reference chain: Ferrow then Tamsel started as programs in the slot,
// each with its output kept in a log beside it.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "classification/descriptor_readers.h"
#include "collection/chain.h"
#include "collection/photo_job.h"
#include "collection/run.h"
#include "formats/exchanged_formats.h"

namespace fs = std::filesystem;

namespace collection {
namespace {

// Runs one program in the slot; it failed when it ended with another status
// or left one of `products` unmade, and the reason is its last line.
void runStep(const fs::path& slot, const std::string& name, const std::vector<std::string>& command,
             const std::vector<std::string>& products) {
  const RunResult run = runIn(slot, command, slot / (name + ".log"));
  std::error_code error;
  bool made = true;
  for (const std::string& product : products) made = made && fs::is_regular_file(slot / product, error);
  if (run.status == 0 && made) return;
  std::string message = lastLine(run.output);
  if (message.empty()) message = run.status == 0 ? "made no " + products.front() : "exit status " + std::to_string(run.status);
  // The programs' own lines mostly name the program already.
  if (message.rfind(name + ": ", 0) == 0) throw std::runtime_error(message);
  throw std::runtime_error(name + ": " + message);
}

class ProgramChain : public Chain {
 public:
  explicit ProgramChain(const ChainSettings& settings) : settings_(settings) {}

  void prepare(const fs::path& slot) override { prepareSlot(settings_, slot); }

  void run(const fs::path& slot) override {
    const std::string imageName = fs::path(kNormalised).filename().string();
    std::vector<std::string> ferrowProducts{kLabels};
    for (const formats::DescriptorKind kind : formats::kExtractionOrder)
      ferrowProducts.push_back(classification::descriptorPath(imageName, kind));
    runStep(slot, "Ferrow", {settings_.ferrow, kNormalised}, ferrowProducts);
    const std::string listName = fs::path(settings_.concepts).filename().string();
    runStep(slot, "Tamsel", {settings_.tamsel, kNormalised, listName}, {kResults});
  }

 private:
  ChainSettings settings_;
};

}  // namespace

std::unique_ptr<Chain> programChain(const ChainSettings& settings) { return std::make_unique<ProgramChain>(settings); }

}  // namespace collection
