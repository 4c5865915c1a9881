#include "classification/concept_list.h"

#include <fstream>
#include <iterator>
#include <string>

#include "formats/exchanged_formats.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace classification {
namespace {

// The most characters one item keeps.
constexpr std::size_t kItemLimit = 799;

// Hands out the items of the list one by one. Once the file has ended, or an
// item turned out longer than the limit, every further item is empty.
class ItemReader {
 public:
  explicit ItemReader(const std::string& text) : text_(text) {}

  std::string next() {
    std::string item;
    while (!stopped_) {
      if (at_ == text_.size()) {
        stopped_ = true;
        break;
      }
      const char c = text_[at_++];
      if (c == ';') {
        break;
      } else if (item.size() == kItemLimit) {
        stopped_ = true;
      } else {
        item.push_back(c);
      }
    }
    return item;
  }

 private:
  const std::string& text_;
  std::size_t at_ = 0;
  bool stopped_ = false;
};

// The item's value: everything after its first "=", or the whole item.
std::string valueOf(const std::string& item) {
  const std::size_t equals = item.find('=');
  return equals == std::string::npos ? item : item.substr(equals + 1);
}

}  // namespace

std::string conceptListPath(const std::string& listName) {
  return "./" + std::string(formats::kConfigurationFolder) + "//" + listName;
}

std::vector<std::string> readConceptList(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) platform::failStderrLine("concept list " + path + " not found");
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) platform::failStderrLine("cannot read the concept list " + path);
  const std::string text = platform::withoutCarriageReturnsBeforeLineFeeds(bytes);

  ItemReader items(text);
  const int count = platform::leadingInteger(valueOf(items.next()));
  // Every name but the last ends in ";", so a file holds at most one name per
  // byte, plus one; a count beyond that is no count of this file's names.
  if (count > 0 && static_cast<std::size_t>(count) > text.size() + 1)
    platform::failStderrLine("concept list " + path + " announces " + std::to_string(count) +
                             " concepts, more than its " + std::to_string(text.size()) + " bytes can hold");
  std::vector<std::string> names;
  names.reserve(count > 0 ? static_cast<std::size_t>(count) : 0);
  for (int i = 0; i < count; ++i) names.push_back(valueOf(items.next()));
  return names;
}

}  // namespace classification
