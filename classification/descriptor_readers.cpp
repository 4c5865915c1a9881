#include "classification/descriptor_readers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string_view>

#include "platform/failure.h"
#include "platform/text.h"

namespace classification {
namespace {

// The most characters one read takes before its delimiter.
constexpr std::size_t kChunkLimit = 799;

// Numbers in a row of the HT block, which holds two single values and then
// two such rows.
constexpr int kTextureRow = 30;

// The file's text and a read position. Every read takes the characters up to
// the next delimiter and consumes the delimiter; a file that ends before the
// delimiter, or a chunk over the limit, stops the run.
class DescriptorStream {
 public:
  explicit DescriptorStream(const std::string& path) : path_(path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) fail();
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) fail();
    // Read as text: a line end is one character, whichever platform wrote it.
    text_ = platform::withoutCarriageReturnsBeforeLineFeeds(bytes);
  }

  // The chunk up to the next delimiter.
  std::string_view skipTo(char delimiter) {
    const std::size_t end = text_.find(delimiter, position_);
    if (end == std::string::npos || end - position_ > kChunkLimit) fail();
    const std::string_view chunk = std::string_view(text_).substr(position_, end - position_);
    position_ = end + 1;
    return chunk;
  }

  // The chunk up to the next delimiter as a number: the decimal-to-floating
  // conversion of its start (0 when no number starts it), truncated toward
  // zero to a 32-bit integer.
  void readTo(char delimiter, std::vector<double>& values) {
    const std::string chunk(skipTo(delimiter));
    const double number = std::strtod(chunk.c_str(), nullptr);
    // NaN fails both comparisons, and so do infinities and numbers outside
    // the integer range: none of them has a whole-number value to keep.
    if (!(number > -2147483649.0 && number < 2147483648.0)) fail();
    values.push_back(static_cast<double>(static_cast<std::int32_t>(number)));
  }

  // A row of n numbers: each but the last ended by a blank and followed by an
  // ignored chunk up to the next blank, the last ended by the next tag's "<".
  void readRow(int n, std::vector<double>& values) {
    for (int i = 0; i < n - 1; ++i) {
      readTo(' ', values);
      skipTo(' ');
    }
    readTo('<', values);
  }

  // At the start of every block: the file is finished when the second of two
  // chunks up to ">" has "D" as its fourth character (the closing tag of the
  // collection after a line end). A shorter chunk is no end.
  bool atEnd() {
    skipTo('>');
    const std::string_view chunk = skipTo('>');
    return chunk.size() >= 4 && chunk[3] == 'D';
  }

  [[noreturn]] void fail() const { platform::failStdoutExact("failure in reading file " + path_ + "\n"); }

 private:
  std::string path_;
  std::string text_;
  std::size_t position_ = 0;
};

void readTextureBlock(DescriptorStream& in, std::vector<double>& values) {
  in.skipTo('<');
  in.skipTo('>');
  in.skipTo('>');
  in.readTo('<', values);
  in.skipTo('>');
  in.skipTo('>');
  in.readTo('<', values);
  in.skipTo('>');
  in.skipTo('>');
  in.readRow(kTextureRow, values);
  in.skipTo('>');
  in.skipTo('>');
  in.readRow(kTextureRow, values);
  in.skipTo('>');
  in.skipTo('>');
}

void readRowBlock(DescriptorStream& in, int n, std::vector<double>& values) {
  in.skipTo('>');
  in.skipTo('>');
  in.readRow(n, values);
  in.skipTo('>');
  in.skipTo('>');
}

}  // namespace

std::string descriptorPath(const std::string& imageName, DescriptorKind kind) {
  return "./" + std::string(formats::kDescriptorFolder) + "/" + imageName +
         std::string(formats::descriptorFormat(kind).suffix);
}

std::vector<double> readDescriptorFile(const std::string& path, DescriptorKind kind) {
  DescriptorStream in(path);
  for (int i = 0; i < 4; ++i) in.skipTo('>');  // the preamble
  std::vector<double> values;
  while (!in.atEnd()) {
    if (kind == DescriptorKind::HomogeneousTexture) {
      readTextureBlock(in, values);
    } else {
      readRowBlock(in, formats::descriptorFormat(kind).values, values);
    }
  }
  return values;
}

std::vector<double> readDescriptors(const std::string& imageName, DescriptorKind kind) {
  return readDescriptorFile(descriptorPath(imageName, kind), kind);
}

}  // namespace classification
