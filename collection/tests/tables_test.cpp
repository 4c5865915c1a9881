// The formats of a collection's output: CSV fields, records, results files,
// regions, overlays, links in the report, and the batch plan.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "collection/csv.h"
#include "collection/overlay.h"
#include "collection/record.h"
#include "collection/regions.h"
#include "collection/report.h"
#include "collection/run.h"

namespace fs = std::filesystem;
using namespace collection;

namespace {

fs::path scratch(const std::string& name) {
  const fs::path folder = fs::path(PROJECT_BINARY_DIR) / "collection/test-area/units" / name;
  fs::remove_all(folder);
  fs::create_directories(folder);
  return folder;
}

struct CsvCase {
  std::string text;
  std::string field;
};

void PrintTo(const CsvCase& csvCase, std::ostream* out) { *out << testing::PrintToString(csvCase.text); }

class CsvFieldTest : public testing::TestWithParam<CsvCase> {};

TEST_P(CsvFieldTest, QuotesOnlyWhatNeedsItAndReadsBack) {
  EXPECT_EQ(csvField(GetParam().text), GetParam().field);
  const auto rows = parseCsv(csvRow({GetParam().text, "next"}));
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], (std::vector<std::string>{GetParam().text, "next"}));
}

INSTANTIATE_TEST_SUITE_P(Fields, CsvFieldTest,
                         testing::Values(CsvCase{"plain.jpg", "plain.jpg"}, CsvCase{"", ""},
                                         CsvCase{"a,b.jpg", "\"a,b.jpg\""},
                                         CsvCase{"say \"hi\".jpg", "\"say \"\"hi\"\".jpg\""},
                                         CsvCase{"two\nlines", "\"two\nlines\""}, CsvCase{" lead", "\" lead\""},
                                         CsvCase{"$(rm -rf x) 'q'.jpg", "$(rm -rf x) 'q'.jpg"}),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Csv, RowsEndWithCarriageReturnLineFeed) {
  EXPECT_EQ(csvRow({"a", "b"}), "a,b\r\n");
  EXPECT_EQ(parseCsv("a,b\r\n\"c\r\nd\",e\r\n"),
            (std::vector<std::vector<std::string>>{{"a", "b"}, {"c\r\nd", "e"}}));
}

TEST(Record, RoundTripsAnyMessageAndFileName) {
  PhotoRecord record;
  record.annotated = true;
  record.originalWidth = 4000;
  record.originalHeight = 3000;
  record.width = 640;
  record.height = 480;
  record.regions = 7;
  record.seconds = 1.25;
  record.message = "tab\there, line\nthere, back\\slash";
  record.files = {{"labels.seg", 307233}, {"odd\tname\n.pgm", 12}};
  EXPECT_EQ(parseRecord(recordText(record)), record);
}

TEST(Record, RelativeNamesLoseTheirLeadingDotFolders) {
  EXPECT_EQ(relativeName("./a/b.jpg"), "a/b.jpg");
  EXPECT_EQ(relativeName("././-x.jpg"), "-x.jpg");
  EXPECT_EQ(relativeName("a/./b.jpg"), "a/./b.jpg");
}

TEST(Record, AFolderIsCompleteOnlyWithEveryListedFileAtItsSize) {
  const fs::path folder = scratch("complete");
  PhotoRecord record;
  record.annotated = true;
  record.files = {{"a.xml", 3}, {"b.png", 2}};
  writeFile(folder / "a.xml", "abc");
  EXPECT_FALSE(isComplete(folder)) << "no record yet";
  writeFile(folder / kRecordName, recordText(record));
  EXPECT_FALSE(isComplete(folder)) << "b.png missing";
  writeFile(folder / "b.png", "x");
  EXPECT_FALSE(isComplete(folder)) << "b.png cut short";
  writeFile(folder / "b.png", "xy");
  EXPECT_TRUE(isComplete(folder));
  record.annotated = false;
  writeFile(folder / kRecordName, recordText(record));
  EXPECT_FALSE(isComplete(folder)) << "a failure record is not a published folder";
}

constexpr const char* kResults =
    "<ImageAnnotation>\n<ClassificationAlgorithm>ORM-SVM-1</ClassificationAlgorithm>\n"
    "<RegionLabeling>\n<RegionNumber>0</RegionNumber>\n"
    "<Label>\n<Concept>sky</Concept>\n<Confidence>0.200000</Confidence>\n</Label>\n"
    "<Label>\n<Concept>sea</Concept>\n<Confidence>0.700000</Confidence>\n</Label>\n</RegionLabeling>\n"
    "<RegionLabeling>\n<RegionNumber>1</RegionNumber>\n"
    "<Label>\n<Concept>sky</Concept>\n<Confidence>0.500000</Confidence>\n</Label>\n"
    "<Label>\n<Concept>sea</Concept>\n<Confidence>0.500000</Confidence>\n</Label>\n</RegionLabeling>\n"
    "</ImageAnnotation>\n";

TEST(Results, ReadsEveryRegionsConfidencesAsWritten) {
  const Confidences table = parseResults(kResults);
  EXPECT_EQ(table.concepts, (std::vector<std::string>{"sky", "sea"}));
  ASSERT_EQ(table.values.size(), 2u);
  EXPECT_EQ(table.values[0], (std::vector<std::string>{"0.200000", "0.700000"}));
  EXPECT_EQ(bestConcept(table.values[0]), 1);
  EXPECT_EQ(bestConcept(table.values[1]), 0) << "equal confidences: the first concept";
  EXPECT_EQ(bestConcept({}), -1);
}

TEST(Results, RefusesWhatIsNotAResultsFile) {
  EXPECT_THROW(parseResults("hello"), std::runtime_error);
  std::string mixed = kResults;
  mixed.replace(mixed.rfind("<Concept>sea"), 12, "<Concept>sun");
  EXPECT_THROW(parseResults(mixed), std::runtime_error);
  EXPECT_NO_THROW(parseResults("<ImageAnnotation>\n</ImageAnnotation>\n"));
}

TEST(Regions, CountsPixelsAndBoxesPerLabel) {
  imaging::GreyImage labels(4, 3, 0);
  labels[1][2] = 2;
  labels[2][3] = 2;
  const auto extents = regionExtents(labels, 3);
  EXPECT_EQ(extents[0].pixels, 10);
  EXPECT_EQ(extents[0].right, 3);
  EXPECT_EQ(extents[0].bottom, 2);
  EXPECT_EQ(extents[1].pixels, 0);
  EXPECT_LT(extents[1].right, extents[1].left);
  EXPECT_EQ(extents[2].pixels, 2);
  EXPECT_EQ(extents[2].left, 2);
  EXPECT_EQ(extents[2].top, 1);
  EXPECT_EQ(extents[2].right, 3);
  EXPECT_EQ(extents[2].bottom, 2);
}

TEST(Overlay, TintsHalfAndHalfAndDrawsBordersBlack) {
  imaging::ColourImage photo(3, 2);
  for (int c = 0; c < 3; ++c) photo[c].fill(100);
  imaging::GreyImage labels(3, 2, 0);
  labels[0][2] = 1;
  labels[1][2] = 1;
  const std::vector<Tint> tints = {{true, {200, 0, 51}}, {false, {}}};
  const imaging::ColourImage overlay = makeOverlay(photo, labels, tints);
  EXPECT_EQ(overlay[0][0][1], 0) << "left of another label: border";
  EXPECT_EQ(overlay[0][1][0], 150);
  EXPECT_EQ(overlay[1][1][0], 50);
  EXPECT_EQ(overlay[2][1][0], 76);
  EXPECT_EQ(overlay[0][1][2], 100) << "untinted region";
  EXPECT_THROW(makeOverlay(photo, imaging::GreyImage(2, 2, 0), tints), std::runtime_error);
}

TEST(Overlay, PngRoundTripsAndConceptsKeepTheirColours) {
  imaging::ColourImage image(5, 4);
  for (int c = 0; c < 3; ++c)
    for (int row = 0; row < 4; ++row)
      for (int column = 0; column < 5; ++column) image[c][row][column] = static_cast<std::uint8_t>(c * 80 + row * 5 + column);
  const fs::path file = scratch("png") / "a.png";
  writePng(file.string(), image);
  EXPECT_EQ(readPng(file.string()), image);
  EXPECT_THROW(readPng((file.parent_path() / "none.png").string()), std::runtime_error);
  EXPECT_EQ(hexColour(conceptColour("sky")), "#1f77ff");
  EXPECT_EQ(conceptColour("lichen"), conceptColour("lichen"));
  EXPECT_NE(conceptColour("sky"), conceptColour("water"));
}

TEST(Report, LinksArePercentEncoded) {
  EXPECT_EQ(urlPath("a b/%#?x.jpg"), "a%20b/%25%23%3Fx.jpg");
  EXPECT_EQ(urlPath("\xc3\xa9.jpg"), "%C3%A9.jpg");
}

// Names and messages sit in double-quoted attributes and in text: no quote,
// angle bracket or ampersand of theirs may reach the page raw.
TEST(Report, NamesAndMessagesAreEscapedForTextAndAttributes) {
  PhotoEntry entry;
  entry.name = "a\"b'<c>&d.jpg";
  entry.found = true;
  entry.record.message = "convert: \"x\" <y>";
  const std::string page = reportPage({entry});
  EXPECT_EQ(page.find("a\"b"), std::string::npos);
  EXPECT_EQ(page.find("<c>"), std::string::npos);
  EXPECT_EQ(page.find("\"x\""), std::string::npos);
  EXPECT_NE(page.find("a&quot;b&#39;&lt;c&gt;&amp;d.jpg"), std::string::npos);
}

TEST(Plan, SplitsDoneFromTodoAndKeepsTheOutputOut) {
  const fs::path root = scratch("plan");
  const fs::path output = root / "photos/out";
  PhotoRecord record;
  record.annotated = true;
  record.files = {{"labels.seg", 1}};
  fs::create_directories(output / "a.jpg");
  writeFile(output / "a.jpg/labels.seg", "x");
  writeFile(output / "a.jpg" / kRecordName, recordText(record));
  fs::create_directories(output / "b.jpg");  // an empty folder is not done
  std::vector<std::string> todo, done;
  planBatch(output, {"./a.jpg", "./b.jpg", "./c.jpg"}, todo, done);
  EXPECT_EQ(done, (std::vector<std::string>{"./a.jpg"}));
  EXPECT_EQ(todo, (std::vector<std::string>{"./b.jpg", "./c.jpg"}));
  EXPECT_EQ(outsideOutput({"./a.jpg", "./out/a.jpg/overlay.png", "./outer.jpg"}, root / "photos", output),
            (std::vector<std::string>{"./a.jpg", "./outer.jpg"}));
  writeJobList(root / "list", {"./x y.jpg", "./-z\n.jpg"});
  EXPECT_EQ(readJobList(root / "list"), (std::vector<std::string>{"./x y.jpg", "./-z\n.jpg"}));
}

TEST(Plan, RemovesWhatKilledJobsLeftAndNothingElse) {
  const fs::path output = scratch("leftovers");
  fs::create_directories(output / "sub/.a.jpg.partial-12");
  fs::create_directories(output / "sub/.a.jpg.old-7");
  fs::create_directories(output / "sub/b.jpg");
  fs::create_directories(output / ".annotate/failed");
  for (const char* file : {".writing-12-0.tmp", "sub/b.jpg/.writing-3-14.tmp", "sub/.c.jpg.partial-5", "keep.partial-1",
                           ".writing-x.tmp", "sub/b.jpg/labels.seg", ".annotate/failed/.d.jpg.txt.partial-9"})
    writeFile(output / file, "x");
  removeLeftovers(output);
  std::vector<std::string> left;
  for (const auto& entry : fs::recursive_directory_iterator(output))
    if (entry.is_regular_file()) left.push_back(fs::relative(entry.path(), output).string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".annotate/failed/.d.jpg.txt.partial-9", ".writing-x.tmp", "keep.partial-1",
                                            "sub/b.jpg/labels.seg"}));
  EXPECT_FALSE(fs::exists(output / "sub/.a.jpg.old-7"));
}

TEST(Adopt, TakesCompleteReturnedFoldersAndFailuresOnly) {
  const fs::path root = scratch("adopt");
  const fs::path output = root / "out";
  const fs::path incoming = output / ".annotate/incoming";
  PhotoRecord record;
  record.annotated = true;
  record.files = {{"labels.seg", 1}};
  const fs::path whole = incoming / "1/ret/sub/a.jpg";
  fs::create_directories(whole);
  writeFile(whole / "labels.seg", "x");
  writeFile(whole / kRecordName, recordText(record));
  const fs::path half = incoming / "2/ret/b.jpg";  // its transfer was cut short
  fs::create_directories(half);
  writeFile(half / kRecordName, recordText(record));
  PhotoRecord failed;
  failed.message = "convert: no image";
  const fs::path failure = incoming / "3/ret" / kFailedFolder / "c.jpg.txt";
  fs::create_directories(failure.parent_path());
  writeFile(failure, recordText(failed));
  // An older failure of a.jpg goes once a.jpg is published.
  fs::create_directories(failureRecord(output, "sub/a.jpg").parent_path());
  writeFile(failureRecord(output, "sub/a.jpg"), recordText(failed));

  EXPECT_EQ(adoptReturned(incoming, output), 2);
  EXPECT_TRUE(isComplete(output / "sub/a.jpg"));
  EXPECT_FALSE(fs::exists(output / "b.jpg"));
  EXPECT_FALSE(fs::exists(failureRecord(output, "sub/a.jpg")));
  bool found = false;
  EXPECT_EQ(loadRecord(output, "./c.jpg", found).message, "convert: no image");
  EXPECT_TRUE(found);
  EXPECT_FALSE(fs::exists(incoming));
}

}  // namespace
