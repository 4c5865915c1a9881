#pragma once
// A compact binary form of a concept model, kept beside the text model
// ("<model>.bin") so that the predictor does not parse 1 MB of text on every
// start. The text model stays the source: the binary form is used only when
// it was made from exactly the text model now there, and is made again from
// the text otherwise.
//
// Staleness: the binary form's header holds the size of the text it was made
// from and a 128-bit content hash (XXH3) of that text; every load reads the
// text model, hashes it and compares both. Times of modification are not
// used: a rewrite within the file system's time granularity, or a copy that
// keeps times (cp -p, tar, rsync) of another model of the same size, would
// pass them, while hashing the text costs about a tenth of a millisecond.
//
// Layout (little-endian): a 128-byte header of the magic "SVMBIN\r\n", the
// format version (u32), 4 zero bytes, the text's size (u64) and hash (2 x
// u64); svm type, kernel type, degree, the two labels and the two per-class
// counts (i32 each), a probability flag (u32); gamma, coef0, rho, probA,
// probB (f64 each); the support-vector and node counts (u64 each). Then the
// coefficients (f64 each), zeros up to a multiple of 16 bytes, the nodes as
// libsvm holds them in memory (i32 index, 4 zero bytes, f64 value; each
// vector's nodes ended by index -1), and last an XXH3 64-bit hash of every
// byte before it. The file is mapped and the model points into it, so a load
// copies nothing. A file that is shorter or longer than its counts say,
// whose hash does not match, of another version, or whose values fail the
// model check, is not used.

#include <optional>
#include <string>
#include <string_view>

#include "platform/mapped_file.h"
#include "tools/svm/model_contents.h"

namespace svm_tools {

// "<model path>.bin".
std::string binaryModelPathFor(const std::string& modelPath);

// The binary form of `model`, made from the model text `text`.
std::string encodeBinaryModel(const ModelView& model, std::string_view text);

// The model in `bytes` when they are a whole, intact binary form of this
// version made from `text`, pointing into `bytes`; nothing otherwise. The
// values are not checked here (loadModelValues does that).
std::optional<ModelView> decodeBinaryModel(std::string_view bytes, std::string_view text);

// A loaded model's values with what holds them: the mapped binary form, or
// the values parsed from the text. Neither copied nor moved, so the view
// stays where it points.
class LoadedModelValues {
 public:
  explicit LoadedModelValues(ModelContents contents)
      : contents_(std::move(contents)), view_(contents_.view()) {}
  LoadedModelValues(const ModelView& view, platform::MappedFile binary) : binary_(std::move(binary)), view_(view) {}
  LoadedModelValues(const LoadedModelValues&) = delete;
  LoadedModelValues& operator=(const LoadedModelValues&) = delete;

  const ModelView& view() const { return view_; }
  bool fromBinaryForm() const { return binary_.has_value(); }

 private:
  ModelContents contents_;
  std::optional<platform::MappedFile> binary_;
  ModelView view_;
};

// The model at `modelPath` (a text model): from its binary form when that
// is intact, made from the text now there (its size and hash) and passes
// the model check; else from the text, which must pass checkModelText, and
// then the binary form is written beside it for the next load. A binary
// form that cannot be written (a read-only folder, a full disk) is left out
// without a word; it is always written through a temporary file and
// renamed, so no reader sees part of one. Fails with one line for the user
// when the text model is missing or malformed.
LoadedModelValues loadModelValues(const std::string& modelPath);

// Writes the binary form of the text model at `modelPath` beside it, for the
// trainer after it saved the text; a failed write stops the run with one line.
void writeBinaryModelFor(const std::string& modelPath);

}  // namespace svm_tools
