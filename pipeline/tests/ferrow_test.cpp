// Ferrow run against stand-in programs: a converter on PATH, a segmenter and
// an extractor in lib/, all of which record how they were called.

#include <gtest/gtest.h>

#include <filesystem>

#include "pipeline/tests/program_runs.h"
#include "testing/test_files.h"

namespace {

namespace fs = std::filesystem;
using pipeline_testing::maskBytes;
using pipeline_testing::ProgramRun;
using pipeline_testing::writeScript;
using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

// A 4 x 3 label raster holding only the values 0 and 3.
const std::string kLabels = std::string("\0\3\3\0\0\0\3\3\0\3\0\0", 12);
const std::string kLabelFile = "P5\n# Created by qlix\n4 3\n255\n" + kLabels;

const char* const kRecordArguments = "for a in \"$@\"; do printf ' [%s]' \"$a\"; done";

class FerrowWithStandIns : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"bin", "record", "scratch", "work/lib/Parfiles", "work/descriptors",
                               "work/images/segmentationMasks"})
      fs::create_directories(root.path() / folder);
    for (const char* par : {"RegionShape.par", "ScalColor.par", "HomogeneousTexture.par", "EdgeHistogram.par"})
      writeFile(work / "lib/Parfiles" / par, "");
    writeFile(record / "label.seg", kLabelFile);

    const std::string calls = (record / "calls.log").string();
    writeScript(root.path() / "bin/convert",
                "{ printf convert; " + std::string(kRecordArguments) + "; echo; } >> '" + calls +
                    "'\n"
                    "echo converting\n"
                    "[ \"$4\" = \"${4#ppm:}\" ] || printf 'P6\\n4 3\\n255\\n%036d' 0 > \"${4#ppm:}\"\n");
    writeScript(work / "lib/Zorvik", "{ printf '%s' \"$0\"; " + std::string(kRecordArguments) + "; echo; } >> '" +
                                         calls + "'\n" + "if [ -f '" + (record / "label.seg").string() +
                                         "' ]; then cp '" + (record / "label.seg").string() +
                                         "' \"$2/$3.seg\"; fi\n");
    writeScript(work / "lib/mpeg7DescriptorsExtraction",
                "{ printf '%s' \"$0\"; " + std::string(kRecordArguments) + "; echo; } >> '" + calls +
                    "'\n"
                    "[ -f \"$2\" ] || echo \"no parameter file $2\" >> '" + calls +
                    "'\n"
                    "{ cat infiles.txt; printf '|'; } >> '" + (record / "lists.log").string() +
                    "'\n"
                    "case \"$2\" in\n"
                    "  *RegionShape.par) out=RegionShape.xml ;;\n"
                    "  *ScalColor.par) out=ScalableColorReg.xml ;;\n"
                    "  *HomogeneousTexture.par) out=HomoTexture.xml ;;\n"
                    "  *EdgeHistogram.par) out=EdgeHistogram.xml ;;\n"
                    "esac\n"
                    "printf '%s of %s' \"$out\" \"$(cat infiles.txt)\" > \"$out\"\n");
  }

  ProgramRun ferrow(const std::vector<std::string>& arguments) {
    return pipeline_testing::runProgramIn(pipeline_testing::ferrowPath(), arguments, work,
                                          (root.path() / "bin").string(), root.path() / "scratch");
  }

  std::string calls() const { return readFile(record / "calls.log"); }
  std::vector<std::string> filesIn(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  static std::string converterCall(const std::string& fileName, const std::string& baseName) {
    return "convert [-define] [filename:literal=true] [./images//" + fileName + "] [ppm:./images//" + baseName +
           ".ppm]\n";
  }

  static std::string extractorCalls() {
    std::string text;
    for (const char* par : {"RegionShape.par", "ScalColor.par", "HomogeneousTexture.par", "EdgeHistogram.par"})
      text += std::string("lib/mpeg7DescriptorsExtraction [-p] [./lib/Parfiles/") + par + "]\n";
    return text;
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

  const ProgramRun run = ferrow({"images/" + c.fileName});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.output, "converting\n");
  EXPECT_EQ(run.errors, "");

  EXPECT_EQ(calls(), converterCall(c.fileName, c.baseName) +
                         "lib/Zorvik [images/] [images/] [" + c.baseName + "] [8] [2] [1] [1] [0] [10]\n" +
                         extractorCalls());
  const std::string listed = "./images/" + c.fileName;
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

  ASSERT_EQ(ferrow({"images/photo.jpg"}).status, 0);
  EXPECT_EQ(readFile(work / "someone.xml"), "not ours");
  EXPECT_EQ(readFile(work / "images/other.seg"), "another image's labels");
  EXPECT_EQ(filesIn(work / "descriptors").size(), 4u);
  EXPECT_EQ(readFile(work / "descriptors/photo.jpg.HT.xml"), "HomoTexture.xml of ./images/photo.jpg");
  EXPECT_EQ(readFile(work / "images/segmentationMasks/photo.seg"), kLabelFile);
}

TEST_F(FerrowWithStandIns, PassesNamesWithBlanksAndShellCharactersAsSingleArguments) {
  const std::string name = "it's a \"photo\" $(touch pwned);*.jpg";
  const std::string base = "it's a \"photo\" $(touch pwned);*";
  writeFile(work / "images" / name, "the image");

  const ProgramRun run = ferrow({"images/" + name});
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(calls(), converterCall(name, base) + "lib/Zorvik [images/] [images/] [" +
                         base + "] [8] [2] [1] [1] [0] [10]\n" + extractorCalls());
  EXPECT_TRUE(fs::exists(work / "descriptors" / (name + ".EH.xml")));
  EXPECT_TRUE(fs::exists(work / "images/segmentationMasks" / (base + ".seg")));
  EXPECT_TRUE(fs::exists(work / "images/segmentationMasks" / ("RegionMask." + name + ".3.pgm")));
  EXPECT_FALSE(fs::exists(work / "pwned"));
}

TEST_F(FerrowWithStandIns, RefusesAnUnusableImageArgumentBeforeDoingAnything) {
  writeFile(work / "images/photo.jpg", "the image");
  const std::vector<std::vector<std::string>> refused = {
      {}, {"photo.jpg"}, {"images/photo"}, {"images/"}, {"images/more/photo.jpg"}};
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
  fs::remove(work / "lib/Zorvik");

  const ProgramRun run = ferrow({"images/photo.jpg"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "converting\n");
  EXPECT_NE(run.errors.find("could not start lib/Zorvik"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("Ferrow: segmenting: lib/Zorvik made no complete label file (failure in opening file "
                            "images//photo.seg)\n"),
            std::string::npos)
      << run.errors;
  EXPECT_EQ(calls(), converterCall("photo.jpg", "photo"));
  EXPECT_TRUE(fs::is_empty(work / "descriptors"));
  EXPECT_FALSE(fs::exists(work / "infiles.txt"));
  EXPECT_TRUE(fs::is_empty(work / "images/segmentationMasks"));
}

TEST_F(FerrowWithStandIns, StopsAtTheFirstMaskWhenTheMaskFolderIsMissing) {
  writeFile(work / "images/photo.jpg", "the image");
  fs::remove(work / "images/segmentationMasks");

  const ProgramRun run = ferrow({"images/photo.jpg"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "converting\nfailure in opening file images//segmentationMasks/RegionMask.photo.jpg.0.pgm\n");
  EXPECT_EQ(readFile(work / "images/photo.seg"), kLabelFile);
  EXPECT_EQ(filesIn(work / "descriptors").size(), 4u);
}

TEST_F(FerrowWithStandIns, StopsBeforeTheExtractorWhenTheListFileCannotBeWritten) {
  writeFile(work / "images/photo.jpg", "the image");
  fs::create_directory(work / "infiles.txt");

  const ProgramRun run = ferrow({"images/photo.jpg"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.output, "converting\ncannot write!!!!!!!!!!!!!!");
  EXPECT_EQ(calls(), converterCall("photo.jpg", "photo") +
                     "lib/Zorvik [images/] [images/] [photo] [8] [2] [1] [1] [0] [10]\n");
  EXPECT_EQ(readFile(work / "images/photo.seg"), kLabelFile);
  EXPECT_TRUE(fs::is_empty(work / "descriptors"));
  EXPECT_TRUE(fs::is_empty(work / "images/segmentationMasks"));
}

}  // namespace
