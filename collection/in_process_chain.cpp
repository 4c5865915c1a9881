#include <stdexcept>

#include "collection/chain.h"
#include "collection/photo_job.h"

namespace collection {
namespace {

class InProcessChain : public Chain {
 public:
  explicit InProcessChain(const ChainSettings& settings) : settings_(settings) {}
  void prepare(const std::filesystem::path&) override {}
  void run(const std::filesystem::path&) override { throw std::runtime_error("the in-process chain is not built yet"); }

 private:
  ChainSettings settings_;
};

}  // namespace

std::unique_ptr<Chain> inProcessChain(const ChainSettings& settings) {
  return std::make_unique<InProcessChain>(settings);
}

}  // namespace collection
