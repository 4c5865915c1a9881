// Ferrow run against stand-in programs of the test build, the same way on
// every platform (Windows under wine included): a converter on PATH, a
// segmenter and an extractor in lib/, all of which record how they were
// called (testing/stand_ins/pipeline_stand_in.cpp). The paths are the
// platform's own: lib\Zorvik.exe and backslashes on Windows.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "formats/exchanged_formats.h"
#include "pipeline/tests/masks.h"
#include "platform/environment.h"
#include "platform/paths.h"
#include "testing/program_run.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using pipeline_testing::maskBytes;
using testing_support::ProgramRun;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// A 4 x 3 label raster holding only the values 0 and 3, as the stand-in
// segmenter writes it.
const std::string kLabels = std::string("\0\3\3\0\0\0\3\3\0\3\0\0", 12);
const std::string kLabelFile = "P5\n# Created by qlix\n4 3\n255\n" + kLabels;

// A path as Ferrow writes it on this platform: every '/' its separator.
std::string native(std::string path) {
  std::replace(path.begin(), path.end(), '/', platform::kSeparator);
  return path;
}

// The segmenter and the extractor as Ferrow names them when it starts them.
const std::string kSegmenter = native("lib/") + platform::executableName("Zorvik");
const std::string kExtractor = native("lib/mpeg7DescriptorsExtraction");

std::string converterCall(const std::string& fileName) {
  const std::string dot = fileName.substr(fileName.rfind('.'));
  return "convert [-define] [filename:literal=true] [./" + native("images//.ferrow-input") + dot + "] [ppm:./" +
         native("images//.ferrow-output.ppm") + "]\n";
}

std::string segmenterCall(const std::string& baseName) {
  return kSegmenter + " [" + native("images/") + "] [" + native("images/") + "] [" + baseName +
         "] [8] [2] [1] [1] [0] [10]\n";
}

std::string extractorCalls() {
  std::string text;
  for (formats::DescriptorKind kind : formats::kExtractionOrder)
    text += kExtractor + " [-p] [" + std::string(formats::descriptorFormat(kind).parameterFile) + "]\n";
  return text;
}

class FerrowWithStandIns : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"bin", "record", "scratch", "work/lib/Parfiles", "work/descriptors",
                               "work/images/segmentationMasks"})
      fs::create_directories(root.path() / folder);
    for (const formats::DescriptorFormat& format : formats::kDescriptorFormats)
      writeFile(work / format.parameterFile, "");
    fs::copy_file(PIPELINE_STAND_IN_PATH, root.path() / "bin" / platform::executableName("convert"));
    for (const char* program : {"Zorvik", "mpeg7DescriptorsExtraction"})
      fs::copy_file(PIPELINE_STAND_IN_PATH, work / "lib" / platform::executableName(program));
    platform::setEnvironmentVariable("STAND_IN_RECORDS", record.string());
  }
  void TearDown() override {
    platform::setEnvironmentVariable("STAND_IN_RECORDS", "");
    platform::setEnvironmentVariable("STAND_IN_FAULT", "");
  }

  // Has one stand-in misbehave: "<program> <fault>" (see the stand-in).
  static void fault(const std::string& what) { platform::setEnvironmentVariable("STAND_IN_FAULT", what); }

  ProgramRun ferrow(const std::vector<std::string>& arguments) {
    std::vector<std::string> words{FERROW_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return testing_support::runProgramIn(work, words, root.path() / "scratch", (root.path() / "bin").string());
  }
  ProgramRun ferrowOn(const std::string& fileName) { return ferrow({native("images/") + fileName}); }

  std::string calls() const { return readFile(record / "calls.log"); }
  std::vector<std::string> filesIn(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir root;
  fs::path work = root.path() / "work";
  fs::path record = root.path() / "record";
};

struct ImageCase {
  const char* name;
  std::string fileName;
  std::string baseName;
  friend void PrintTo(const ImageCase& c, std::ostream* out) { *out << c.fileName; }
};

class FerrowRun : public FerrowWithStandIns, public ::testing::WithParamInterface<ImageCase> {};

TEST_P(FerrowRun, RunsEveryStepAndFilesEveryProduct) {
  const ImageCase& c = GetParam();
  writeFile(work / "images" / c.fileName, "the image");

  const ProgramRun run = ferrowOn(c.fileName);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.output, "converting\n");
  EXPECT_EQ(run.errors, "");

  EXPECT_EQ(calls(), converterCall(c.fileName) + segmenterCall(c.baseName) + extractorCalls());
  const std::string listed = "./" + native("images/") + c.fileName;
  EXPECT_EQ(readFile(record / "lists.log"), listed + "|" + listed + "|" + listed + "|" + listed + "|");

  // The descriptor files carry the whole file name and are all filed away.
  EXPECT_EQ(filesIn(work), (std::vector<std::string>{"descriptors", "images", "lib"}));
  const std::pair<const char*, const char*> descriptors[] = {{".HT.xml", "HomoTexture.xml"},
                                                             {".SC.xml", "ScalableColorReg.xml"},
                                                             {".EH.xml", "EdgeHistogram.xml"},
                                                             {".RS.xml", "RegionShape.xml"}};
  for (const auto& [suffix, made] : descriptors)
    EXPECT_EQ(readFile(work / "descriptors" / (c.fileName + suffix)), std::string(made) + " of " + listed);
  EXPECT_EQ(filesIn(work / "descriptors").size(), 4u);

  // The label file is filed with the masks; the converter's PPM stays.
  const fs::path masks = work / "images/segmentationMasks";
  EXPECT_EQ(readFile(masks / (c.baseName + ".seg")), kLabelFile);
  EXPECT_EQ(filesIn(work / "images"), (std::vector<std::string>{c.fileName, c.baseName + ".ppm", "segmentationMasks"}));
  for (int region = 0; region < 4; ++region)
    EXPECT_EQ(readFile(masks / ("RegionMask." + c.fileName + "." + std::to_string(region) + ".pgm")),
              maskBytes(4, 3, kLabels, region))
        << "mask " << region;
  EXPECT_EQ(filesIn(masks).size(), 5u);
}

INSTANTIATE_TEST_SUITE_P(Images, FerrowRun,
                         ::testing::Values(ImageCase{"plain", "photo.jpg", "photo"},
                                           ImageCase{"severalDots", "a.b.jpg", "a"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FerrowWithStandIns, FilesOnlyThisRunsFilesAndReplacesEarlierOnes) {
  writeFile(work / "images/photo.jpg", "the image");
  writeFile(work / "someone.xml", "not ours");
  writeFile(work / "images/other.seg", "another image's labels");
  writeFile(work / "descriptors/photo.jpg.HT.xml", "earlier");
  writeFile(work / "images/segmentationMasks/photo.seg", "earlier");

  ASSERT_EQ(ferrowOn("photo.jpg").status, 0);
  EXPECT_EQ(readFile(work / "someone.xml"), "not ours");
  EXPECT_EQ(readFile(work / "images/other.seg"), "another image's labels");
  EXPECT_EQ(filesIn(work / "descriptors").size(), 4u);
  EXPECT_EQ(readFile(work / "descriptors/photo.jpg.HT.xml"), "HomoTexture.xml of ./" + native("images/photo.jpg"));
  EXPECT_EQ(readFile(work / "images/segmentationMasks/photo.seg"), kLabelFile);
}

// An image name holding blanks and the characters a shell or the Windows
// command interpreter acts on reaches every program inside one argument, and
// every product carries it whole. (A Windows file name cannot hold quotes or
// stars; the tests of starting programs and of Tamsel pass quotes there.)
TEST_F(FerrowWithStandIns, PassesNamesWithBlanksAndShellCharactersAsSingleArguments) {
#ifdef _WIN32
  const std::string base = "R&D ^1 %x% it's a photo $(touch pwned);[1]";
#else
  const std::string base = "R&D ^1 %x% it's a \"photo\" $(touch pwned);*";
#endif
  const std::string name = base + ".jpg";
  writeFile(work / "images" / name, "the image");

  const ProgramRun run = ferrowOn(name);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.output, "converting\n");
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(calls(), converterCall(name) + segmenterCall(base) + extractorCalls());
  const std::string listed = "./" + native("images/") + name;
  for (const formats::DescriptorFormat& format : formats::kDescriptorFormats)
    EXPECT_EQ(readFile(work / "descriptors" / (name + std::string(format.suffix))),
              std::string(format.extractorOutput) + " of " + listed);
  const fs::path masks = work / "images/segmentationMasks";
  EXPECT_EQ(readFile(masks / (base + ".seg")), kLabelFile);
  for (int region = 0; region < 4; ++region)
    EXPECT_TRUE(fs::exists(masks / ("RegionMask." + name + "." + std::to_string(region) + ".pgm"))) << region;
  EXPECT_TRUE(fs::exists(work / "images" / (base + ".ppm")));
  EXPECT_FALSE(fs::exists(work / "pwned"));
}

TEST_F(FerrowWithStandIns, RefusesAnUnusableImageArgumentBeforeDoingAnything) {
  writeFile(work / "images/photo.jpg", "the image");
  const std::vector<std::vector<std::string>> refused = {
      {}, {"photo.jpg"}, {native("images/photo")}, {native("images/")}, {native("images/more/photo.jpg")},
      {native("/photo.jpg")}};
  for (const auto& arguments : refused) {
    const ProgramRun run = ferrow(arguments);
    const std::string shown = arguments.empty() ? "(none)" : arguments[0];
    EXPECT_EQ(run.status, 1) << shown;
    EXPECT_EQ(run.output, "") << shown;
    EXPECT_NE(run.errors.find("usage: Ferrow"), std::string::npos) << shown << ": " << run.errors;
    EXPECT_EQ(run.errors.find('\n'), run.errors.size() - 1) << shown << ": one line";
  }
  EXPECT_FALSE(fs::exists(record / "calls.log"));
  EXPECT_EQ(filesIn(work), (std::vector<std::string>{"descriptors", "images", "lib"}));
}

// Without a segmenter there is no label file: the run stops right after the
// segmenting step, before the extractor sees anything.
TEST_F(FerrowWithStandIns, StopsAfterTheSegmenterWhenTheLabelFileIsMissing) {
  writeFile(work / "images/photo.jpg", "the image");
  fs::remove(work / "lib" / platform::executableName("Zorvik"));

  const ProgramRun run = ferrowOn("photo.jpg");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "converting\n");
  EXPECT_NE(run.errors.find("could not start " + kSegmenter), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("Ferrow: segmenting: " + kSegmenter + " made no complete label file (failure in opening "
                            "file " + native("images//photo.seg") + ")\n"),
            std::string::npos)
      << run.errors;
  EXPECT_EQ(calls(), converterCall("photo.jpg"));
  EXPECT_TRUE(fs::is_empty(work / "descriptors"));
  EXPECT_FALSE(fs::exists(work / "infiles.txt"));
  EXPECT_TRUE(fs::is_empty(work / "images/segmentationMasks"));
}

TEST_F(FerrowWithStandIns, StopsAtTheFirstMaskWhenTheMaskFolderIsMissing) {
  writeFile(work / "images/photo.jpg", "the image");
  fs::remove(work / "images/segmentationMasks");

  const ProgramRun run = ferrowOn("photo.jpg");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output,
            "converting\nfailure in opening file " + native("images//segmentationMasks/RegionMask.photo.jpg.0.pgm\n"));
  EXPECT_EQ(readFile(work / "images/photo.seg"), kLabelFile);
  EXPECT_EQ(filesIn(work / "descriptors").size(), 4u);
}

TEST_F(FerrowWithStandIns, StopsBeforeTheExtractorWhenTheListFileCannotBeWritten) {
  writeFile(work / "images/photo.jpg", "the image");
  fs::create_directory(work / "infiles.txt");

  const ProgramRun run = ferrowOn("photo.jpg");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "converting\ncannot write!!!!!!!!!!!!!!");
  EXPECT_EQ(calls(), converterCall("photo.jpg") + segmenterCall("photo"));
  EXPECT_EQ(readFile(work / "images/photo.seg"), kLabelFile);
  EXPECT_TRUE(fs::is_empty(work / "descriptors"));
  EXPECT_TRUE(fs::is_empty(work / "images/segmentationMasks"));
}

TEST_F(FerrowWithStandIns, ClearsWhatAnEarlierRunLeftForThisPhotoBeforeTheFirstStep) {
  writeFile(work / "images/photo.jpg", "the image");
  const fs::path masks = work / "images/segmentationMasks";
  const std::vector<fs::path> earlier = {work / "images/photo.ppm", work / "images/photo.seg", masks / "photo.seg",
                                         masks / "RegionMask.photo.jpg.0.pgm", masks / "RegionMask.photo.jpg.12.pgm",
                                         work / "descriptors/photo.jpg.HT.xml", work / "descriptors/photo.jpg.RS.xml",
                                         work / "HomoTexture.xml", work / "photo.jpg.SC.xml", work / "infiles.txt"};
  for (const fs::path& file : earlier) writeFile(file, "earlier");
  const std::vector<fs::path> others = {masks / "RegionMask.photo.jpg.x.pgm", masks / "RegionMask.other.jpg.1.pgm",
                                        masks / "other.seg", work / "descriptors/photo.png.HT.xml"};
  for (const fs::path& file : others) writeFile(file, "someone else's");
  fault("convert fails");

  const ProgramRun run = ferrowOn("photo.jpg");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "convert: no decode delegate\nFerrow: converting: the converter made no readable image of " +
                            native("images//photo.jpg") + " (failure in opening file " +
                            native("images//.ferrow-output.ppm") + ")\n");
  for (const fs::path& file : earlier) EXPECT_FALSE(fs::exists(file)) << file;
  for (const fs::path& file : others) EXPECT_EQ(readFile(file), "someone else's") << file;
}

// A PPM photo named after its base name is the file the converter's output
// replaces; the clearing before the first step must leave it to be read.
TEST_F(FerrowWithStandIns, APpmPhotoBearingThePpmsNameIsConvertedNotCleared) {
  writeFile(work / "images/photo.ppm", "the image");

  const ProgramRun run = ferrowOn("photo.ppm");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(calls(), converterCall("photo.ppm") + segmenterCall("photo") + extractorCalls());
  EXPECT_EQ(readFile(work / "images/photo.ppm").substr(0, 9), "P6\n4 3\n25");
}

TEST_F(FerrowWithStandIns, MasksOfHigherRegionNumbersFromAnEarlierRunDoNotStay) {
  writeFile(work / "images/photo.jpg", "the image");
  writeFile(work / "images/segmentationMasks/RegionMask.photo.jpg.9.pgm", "earlier");
  ASSERT_EQ(ferrowOn("photo.jpg").status, 0);
  EXPECT_EQ(filesIn(work / "images/segmentationMasks"),
            (std::vector<std::string>{"RegionMask.photo.jpg.0.pgm", "RegionMask.photo.jpg.1.pgm",
                                      "RegionMask.photo.jpg.2.pgm", "RegionMask.photo.jpg.3.pgm", "photo.seg"}));
}

struct ChainFault {
  const char* name;
  std::string fileName;
  std::string fault;  // "<program> <fault>" for the stand-ins, or "" for none
  std::string line;   // how Ferrow's last line on standard error starts (all of it, with its line end, mostly)
};

class FerrowChainFault : public FerrowWithStandIns, public ::testing::WithParamInterface<ChainFault> {};

TEST_P(FerrowChainFault, StopsNamingTheStepAndLeavesNoWorkingFiles) {
  const ChainFault& c = GetParam();
  writeFile(work / "images" / c.fileName, "the image");
  fault(c.fault);

  const ProgramRun run = ferrowOn(c.fileName);
  EXPECT_EQ(run.status, 1);
  const std::string last = run.errors.substr(run.errors.rfind("Ferrow: "));
  EXPECT_EQ(last.substr(0, c.line.size()), c.line) << last;
  EXPECT_EQ(last.find('\n'), last.size() - 1) << last;
  EXPECT_EQ(filesIn(work), (std::vector<std::string>{"descriptors", "images", "lib"}));
  EXPECT_TRUE(fs::is_empty(work / "descriptors"));
  EXPECT_TRUE(fs::is_empty(work / "images/segmentationMasks"));
}

const std::string kLongName = std::string(247, 'n') + ".jpg";
#ifdef _WIN32
const std::string kNameTooLong = "";  // the reason's wording is the system's (wine: "Input/output error")
#else
const std::string kNameTooLong = "File name too long\n";
#endif

INSTANTIATE_TEST_SUITE_P(
    Faults, FerrowChainFault,
    ::testing::Values(
        ChainFault{"labelFileCutShort", "photo.jpg", "Zorvik cut-short",
                   "Ferrow: segmenting: " + kSegmenter + " made no complete label file (" +
                       native("images//photo.seg") +
                       ": the raster holds 3 bytes, fewer than the 12 of a 4 x 3 image)\n"},
        ChainFault{"labelFileOfAnotherSize", "photo.jpg", "Zorvik other-size",
                   "Ferrow: segmenting: the label file " + native("images//photo.seg") +
                       " is 2 x 1 pixels, the image 4 x 3\n"},
        ChainFault{"extractorWritesNothing", "photo.jpg", "mpeg7DescriptorsExtraction writes-nothing",
                   "Ferrow: extracting descriptors: " + kExtractor +
                       " -p ./lib/Parfiles/RegionShape.par made no RegionShape.xml\n"},
        ChainFault{"nameTooLongForTheDescriptorFiles", kLongName, "",
                   "Ferrow: filing the descriptor files: cannot move HomoTexture.xml to " + kLongName +
                       ".HT.xml: " + kNameTooLong}),
    [](const auto& info) { return std::string(info.param.name); });

// A folder named like a format prefix ("jpg:") is no prefix to the converter.
TEST_F(FerrowWithStandIns, HandsTheConverterLiteralPathsBelowTheWorkingDirectory) {
#ifdef _WIN32
  GTEST_SKIP() << "a Windows file name cannot hold a colon, so no folder there reads as a format prefix";
#endif
  fs::create_directories(work / "jpg:");
  writeFile(work / "jpg:/x.jpg", "the image");
  const ProgramRun run = ferrow({"jpg:/x.jpg"});
  EXPECT_EQ(calls().substr(0, calls().find('\n') + 1),
            "convert [-define] [filename:literal=true] [./jpg://.ferrow-input.jpg] [ppm:./jpg://.ferrow-output.ppm]\n");
}

}  // namespace
