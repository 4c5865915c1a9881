#include "tools/svm/binary_model.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <sstream>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "platform/failure.h"
#include "platform/file.h"
#include "platform/replacing_file.h"
#include "tools/svm/model_check.h"

namespace svm_tools {
namespace {

constexpr char kMagic[8] = {'S', 'V', 'M', 'B', 'I', 'N', '\r', '\n'};
constexpr std::uint32_t kVersion = 1;
// The header, from the magic to the node count; the coefficients follow.
constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kHashSize = 8;

// The nodes are stored as the machine holds libsvm's nodes, so that the
// model uses them where they lie; the format is that of little-endian
// machines with 16-byte nodes (x86-64, AArch64). Elsewhere the binary form
// is neither written nor read.
constexpr bool kNodesAsStored = std::endian::native == std::endian::little && sizeof(svm_node) == 16 &&
                                offsetof(svm_node, value) == 8 && sizeof(double) == 8;

std::size_t nodesOffset(std::size_t vectors) { return (kHeaderSize + 8 * vectors + 15) / 16 * 16; }

struct TextIdentity {
  std::uint64_t size = 0;
  XXH128_hash_t hash{};
};

TextIdentity identityOf(std::string_view text) { return {text.size(), XXH3_128bits(text.data(), text.size())}; }

// The size and hash of the file, read a block at a time (no copy of the
// whole text is kept); nothing when it cannot be read.
std::optional<TextIdentity> identityOfFile(const std::string& path) {
  const platform::File file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  XXH3_state_t state;
  XXH3_128bits_reset(&state);
  TextIdentity identity;
  char block[65536];
  std::size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
    XXH3_128bits_update(&state, block, got);
    identity.size += got;
  }
  if (std::ferror(file.get())) return std::nullopt;
  identity.hash = XXH3_128bits_digest(&state);
  return identity;
}

class Writer {
 public:
  template <typename T>
  void put(T value) {
    bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
  }
  void padTo(std::size_t size) { bytes_.resize(size, '\0'); }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

template <typename T>
T fieldAt(std::string_view bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

std::string encode(const ModelView& model, const TextIdentity& text) {
  const ModelHeader& header = model.header;
  Writer out;
  for (char c : kMagic) out.put(c);
  out.put<std::uint32_t>(kVersion);
  out.put<std::uint32_t>(0);
  out.put<std::uint64_t>(text.size);
  out.put<std::uint64_t>(text.hash.low64);
  out.put<std::uint64_t>(text.hash.high64);
  for (int value : {header.svmType, header.kernelType, header.degree, header.labels[0], header.labels[1],
                    header.perClass[0], header.perClass[1]})
    out.put<std::int32_t>(value);
  out.put<std::uint32_t>(header.hasProbability ? 1 : 0);
  for (double value : {header.gamma, header.coef0, header.rho, header.probA, header.probB}) out.put<double>(value);
  out.put<std::uint64_t>(model.coefficients.size());
  out.put<std::uint64_t>(model.nodes.size());
  for (double coefficient : model.coefficients) out.put<double>(coefficient);
  out.padTo(nodesOffset(model.coefficients.size()));
  for (const svm_node& node : model.nodes) {
    out.put<std::int32_t>(node.index);
    out.put<std::int32_t>(0);
    out.put<double>(node.value);
  }
  out.put<std::uint64_t>(XXH3_64bits(out.bytes().data(), out.bytes().size()));
  return std::move(out.bytes());
}

std::optional<ModelView> decode(std::string_view bytes, const TextIdentity& text) {
  if (!kNodesAsStored || bytes.size() < kHeaderSize + kHashSize) return std::nullopt;
  if (std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 || fieldAt<std::uint32_t>(bytes, 8) != kVersion)
    return std::nullopt;
  if (fieldAt<std::uint64_t>(bytes, 16) != text.size || fieldAt<std::uint64_t>(bytes, 24) != text.hash.low64 ||
      fieldAt<std::uint64_t>(bytes, 32) != text.hash.high64)
    return std::nullopt;
  // The counts must account for every byte, checked without overflow.
  const std::uint64_t vectors = fieldAt<std::uint64_t>(bytes, 112);
  const std::uint64_t nodes = fieldAt<std::uint64_t>(bytes, 120);
  if (vectors > (bytes.size() - kHeaderSize - kHashSize) / 8) return std::nullopt;
  const std::size_t nodesAt = nodesOffset(vectors);
  if (nodesAt > bytes.size() - kHashSize || nodes != (bytes.size() - kHashSize - nodesAt) / 16 ||
      nodesAt + 16 * nodes + kHashSize != bytes.size())
    return std::nullopt;
  const std::size_t hashed = bytes.size() - kHashSize;
  if (fieldAt<std::uint64_t>(bytes, hashed) != XXH3_64bits(bytes.data(), hashed)) return std::nullopt;
  // Mapped files start on a page and buffers on 16 bytes; anything else is
  // not used in place.
  if (reinterpret_cast<std::uintptr_t>(bytes.data()) % alignof(svm_node) != 0) return std::nullopt;

  ModelView model;
  ModelHeader& header = model.header;
  header.svmType = fieldAt<std::int32_t>(bytes, 40);
  header.kernelType = fieldAt<std::int32_t>(bytes, 44);
  header.degree = fieldAt<std::int32_t>(bytes, 48);
  header.labels[0] = fieldAt<std::int32_t>(bytes, 52);
  header.labels[1] = fieldAt<std::int32_t>(bytes, 56);
  header.perClass[0] = fieldAt<std::int32_t>(bytes, 60);
  header.perClass[1] = fieldAt<std::int32_t>(bytes, 64);
  const std::uint32_t probability = fieldAt<std::uint32_t>(bytes, 68);
  if (probability > 1) return std::nullopt;
  header.hasProbability = probability == 1;
  header.gamma = fieldAt<double>(bytes, 72);
  header.coef0 = fieldAt<double>(bytes, 80);
  header.rho = fieldAt<double>(bytes, 88);
  header.probA = fieldAt<double>(bytes, 96);
  header.probB = fieldAt<double>(bytes, 104);
  model.coefficients = {reinterpret_cast<const double*>(bytes.data() + kHeaderSize), vectors};
  model.nodes = {reinterpret_cast<const svm_node*>(bytes.data() + nodesAt), nodes};
  return model;
}

ModelContents contentsOfText(const std::string& text, const std::string& name) {
  std::istringstream in(text);
  checkModelText(in, name);
  return parseCheckedModelText(text);
}

}  // namespace

std::string binaryModelPathFor(const std::string& modelPath) { return modelPath + ".bin"; }

std::string encodeBinaryModel(const ModelView& model, std::string_view text) {
  return encode(model, identityOf(text));
}

std::optional<ModelView> decodeBinaryModel(std::string_view bytes, std::string_view text) {
  return decode(bytes, identityOf(text));
}

LoadedModelValues loadModelValues(const std::string& modelPath) {
  const std::optional<TextIdentity> identity = identityOfFile(modelPath);
  if (!identity) platform::failStderrLine("cannot load the SVM model " + modelPath);

  const std::string binaryPath = binaryModelPathFor(modelPath);
  if (std::optional<platform::MappedFile> binary = platform::MappedFile::open(binaryPath)) {
    if (const std::optional<ModelView> view = decode(binary->bytes(), *identity)) {
      try {
        checkModelContents(*view, binaryPath);
        return LoadedModelValues(*view, std::move(*binary));
      } catch (const platform::Failure&) {
        // Made from this text but not a model the text check would pass:
        // not to be trusted; the text decides and the file is made again.
      }
    }
  }

  // Read once: the binary form is made from exactly the text parsed here.
  const std::optional<std::string> text = platform::readWholeFile(modelPath);
  if (!text) platform::failStderrLine("cannot load the SVM model " + modelPath);
  ModelContents contents = contentsOfText(*text, modelPath);
  if (kNodesAsStored) {
    try {
      platform::replaceFile(binaryPath, encodeBinaryModel(contents.view(), *text), platform::WriteReport::OwnLine);
    } catch (const platform::Failure&) {
      // A folder the predictor may not write to, or a full disk: the text is
      // read again next time.
    }
  }
  return LoadedModelValues(std::move(contents));
}

void writeBinaryModelFor(const std::string& modelPath) {
  const std::optional<std::string> text = platform::readWholeFile(modelPath);
  if (!text) platform::failStderrLine("cannot read the SVM model " + modelPath);
  const ModelContents contents = contentsOfText(*text, modelPath);
  if (kNodesAsStored) {
    platform::replaceFile(binaryModelPathFor(modelPath), encodeBinaryModel(contents.view(), *text),
                          platform::WriteReport::OwnLine);
  }
}

}  // namespace svm_tools
