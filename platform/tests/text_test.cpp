#include "platform/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct IntegerCase {
  std::string text;
  int value;
};

class LeadingInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(LeadingInteger, ReadsLikeAtoiAndHoldsOverflowAtTheRangeEnds) {
  EXPECT_EQ(platform::leadingInteger(GetParam().text), GetParam().value) << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LeadingInteger,
    ::testing::Values(IntegerCase{"42", 42}, IntegerCase{"  \t\n-17xyz", -17}, IntegerCase{"+8 9", 8},
                      IntegerCase{"", 0}, IntegerCase{"abc", 0}, IntegerCase{"- 5", 0}, IntegerCase{"3.9", 3},
                      IntegerCase{"12\r", 12}, IntegerCase{"2147483647", INT_MAX},
                      IntegerCase{"-2147483648", INT_MIN}, IntegerCase{"2147483648", INT_MAX},
                      IntegerCase{"-2147483649", INT_MIN},
                      IntegerCase{"99999999999999999999999999999", INT_MAX},
                      IntegerCase{"-99999999999999999999999999999", INT_MIN}, IntegerCase{"0007", 7}));

TEST(WithoutCarriageReturnsBeforeLineFeeds, DropsOnlyTheReturnOfALineEnd) {
  EXPECT_EQ(platform::withoutCarriageReturnsBeforeLineFeeds("a\r\nb\r\n"), "a\nb\n");
  EXPECT_EQ(platform::withoutCarriageReturnsBeforeLineFeeds("a\rb\r\r\n\r"), "a\rb\r\n\r");
  EXPECT_EQ(platform::withoutCarriageReturnsBeforeLineFeeds("\n\n"), "\n\n");
}

}  // namespace
