#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

using platform::kSeparator;

// Builds a path with the platform's separator wherever '/' stands.
std::string native(std::string text) {
  for (char& c : text)
    if (c == '/') c = kSeparator;
  return text;
}

struct SplitCase {
  const char* argument;
  const char* directory;
  const char* fileName;
  const char* baseName;
};

// Cases print readably in test listings.
void PrintTo(const SplitCase& c, std::ostream* os) { *os << c.argument; }

class SplitImageArgument : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitImageArgument, SplitsAtFirstSeparatorAndFirstDot) {
  const SplitCase& c = GetParam();
  const platform::ImageArgument parts = platform::splitImageArgument(native(c.argument));
  EXPECT_EQ(parts.directory, native(c.directory));
  EXPECT_EQ(parts.fileName, native(c.fileName));
  EXPECT_EQ(parts.baseName, native(c.baseName));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, SplitImageArgument,
    ::testing::Values(SplitCase{"images/photo.jpg", "images/", "photo.jpg", "photo"},
                      SplitCase{"images/a.b.jpg", "images/", "a.b.jpg", "a"},
                      SplitCase{"photo.jpg", "", "photo.jpg", "photo"},
                      SplitCase{"images/photo", "images/", "photo", "photo"},
                      SplitCase{"a/b/c.d.png", "a/", "b/c.d.png", "b/c"},
                      SplitCase{"images/", "images/", "", ""},
                      SplitCase{"my images/it's a photo.jpg", "my images/", "it's a photo.jpg", "it's a photo"}));

}  // namespace
