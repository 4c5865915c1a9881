#include "imaging/pnm_header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "testing/test_files.h"

namespace {

using imaging::LineFeedBeforeField;

// The four fields each reader takes from the same header: the readers differ
// only in what a line feed does before a field has started.
struct FieldsCase {
  const char* name;
  std::string header;
  std::array<std::string, 4> colourFields;  // LineFeedBeforeField::Skipped
  std::array<std::string, 4> labelFields;   // LineFeedBeforeField::EndsField
  std::string nextByte;                     // what follows the header
};

std::pair<imaging::PnmHeaderFields, std::string> read(const std::string& bytes, LineFeedBeforeField rule) {
  const testing_support::TempDir dir;
  testing_support::writeFile(dir / "header", bytes);
  std::FILE* file = std::fopen((dir / "header").c_str(), "rb");
  imaging::PnmHeaderFields fields = imaging::readPnmHeaderFields(file, rule);
  const int next = std::getc(file);
  std::fclose(file);
  return {fields, next == EOF ? "" : std::string(1, static_cast<char>(next))};
}

class PnmHeaderFields : public ::testing::TestWithParam<FieldsCase> {};

TEST_P(PnmHeaderFields, EachReaderTakesItsFields) {
  const FieldsCase& c = GetParam();
  const auto [colour, colourNext] = read(c.header + "R", LineFeedBeforeField::Skipped);
  const auto [label, labelNext] = read(c.header + "R", LineFeedBeforeField::EndsField);
  EXPECT_EQ(colour.problem, "");
  EXPECT_EQ(label.problem, "");
  EXPECT_EQ(colour.fields, c.colourFields);
  EXPECT_EQ(label.fields, c.labelFields);
  EXPECT_EQ(colourNext, c.nextByte);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, PnmHeaderFields,
    ::testing::Values(
        FieldsCase{"written", "P5\n# Created by qlix\n4 3\n255\n", {"P5", "4", "3", "255"}, {"P5", "4", "3", "255"},
                   "R"},
        FieldsCase{"blankLineBeforeAField", "P6\n\n4 3\n255\n", {"P6", "4", "3", "255"}, {"P6", "", "4", "3"}, "R"},
        FieldsCase{"twoBlanks", "P6 4  3 255\n", {"P6", "4", "", "3"}, {"P6", "4", "", "3"}, "2"},
        FieldsCase{"carriageReturnsStay", "P5\r\n4 3\r\n255\r\n", {"P5\r", "4", "3\r", "255\r"},
                   {"P5\r", "4", "3\r", "255\r"}, "R"},
        FieldsCase{"commentInsideAField", "P6\n4#x\n0 3 255\n", {"P6", "40", "3", "255"}, {"P6", "40", "3", "255"},
                   "R"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PnmHeaderFields, AHeaderThatEndsOrAFieldTooLongIsAProblem) {
  for (const LineFeedBeforeField rule : {LineFeedBeforeField::Skipped, LineFeedBeforeField::EndsField}) {
    EXPECT_EQ(read("P6\n4 3", rule).first.problem, "the file ends inside its header");
    EXPECT_EQ(read("P6\n4 3 # comment", rule).first.problem, "the file ends inside its header");
    EXPECT_EQ(read("P6 " + std::string(20, '1') + " 3 255\n", rule).first.problem,
              "a header field is longer than 19 characters");
    EXPECT_EQ(read("P6 " + std::string(19, '1') + " 3 255\n", rule).first.problem, "");
  }
}

}  // namespace
