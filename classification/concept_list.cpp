#include "classification/concept_list.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace classification {
namespace {

// The most characters one item keeps.
constexpr std::size_t kItemLimit = 799;

// Hands out the items of the list one by one. Once the file has ended, or an
// item turned out longer than the limit, every further item is empty.
class ItemReader {
 public:
  explicit ItemReader(std::istream& in) : in_(in) {}

  std::string next() {
    std::string item;
    while (!stopped_) {
      const int c = in_.get();
      if (c == std::char_traits<char>::eof()) {
        stopped_ = true;
      } else if (c == ';') {
        break;
      } else if (item.size() == kItemLimit) {
        stopped_ = true;
      } else {
        item.push_back(static_cast<char>(c));
      }
    }
    return item;
  }

 private:
  std::istream& in_;
  bool stopped_ = false;
};

// The item's value: everything after its first "=", or the whole item.
std::string valueOf(const std::string& item) {
  const std::size_t equals = item.find('=');
  return equals == std::string::npos ? item : item.substr(equals + 1);
}

// Leading white space, an optional sign and decimal digits; no digits give 0.
// Counts beyond the int range are held at its ends.
int countOf(const std::string& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

}  // namespace

std::string conceptListPath(const std::string& listName) { return "./conf//" + listName; }

std::vector<std::string> readConceptList(const std::string& path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "concept list %s not found; classifying without concepts\n", path.c_str());
    std::fflush(stderr);
    return {};
  }
  ItemReader items(in);
  const int count = countOf(valueOf(items.next()));
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(valueOf(items.next()));
  return names;
}

}  // namespace classification
