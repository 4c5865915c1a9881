// The mpeg7DescriptorsExtraction program: what it writes for an image and its
// label file, agreement with the slow reference model when it is at hand, and
// how it stops on bad input without leaving a file behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>

#include "imaging/pnm.h"
#include "testing/small_disk.h"
#include "testing/test_files.h"
#include "tools/descriptors/extraction.h"
#include "testing/program_run.h"
#include "tools/descriptors/tests/scenes.h"
#include "tools/descriptors/xml_writer.h"

namespace {

namespace fs = std::filesystem;
using descriptors::DescriptorKind;
using descriptors::kindInfo;
using testing_support::ProgramRun;
using testing_support::readFile;
using testing_support::runProgramIn;
using testing_support::TempDir;
using testing_support::writeFile;
using namespace descriptors_testing;

ProgramRun extract(const fs::path& directory, const std::string& parameterFile, const fs::path& scratch) {
  return runProgramIn(directory, {EXTRACTOR_PATH, "-p", parameterFile}, scratch);
}

const std::map<DescriptorKind, std::string> kParameterFiles{
    {DescriptorKind::RegionShape, "RegionShape.par"},
    {DescriptorKind::ScalableColour, "ScalColor.par"},
    {DescriptorKind::HomogeneousTexture, "HomogeneousTexture.par"},
    {DescriptorKind::EdgeHistogram, "EdgeHistogram.par"},
};

std::string parameterFile(DescriptorKind kind) { return PARFILES_DIR "/" + kParameterFiles.at(kind); }

void writePpm(const fs::path& path, const imaging::ColourImage& image) {
  std::string bytes = "P6\n" + std::to_string(image.width()) + " " + std::to_string(image.height()) + "\n255\n";
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      for (int c = 0; c < 3; ++c) bytes.push_back(static_cast<char>(image[c][y][x]));
  writeFile(path, bytes);
}

// A textured photo-like image of 120 x 90 pixels: a sky band (0), a field
// with a noisy texture (1) and a striped object in two pieces (3); label 2
// is absent.
Scene testScene() {
  return makeScene(
      120, 90,
      [](int x, int y) -> Rgb {
        if (y < 30) return {90 + y, 140 + y, 230};
        if ((x > 20 && x < 50 && y > 40) || (x > 80 && y > 60)) return grey(x % 3 == 0 ? 40 : 200);
        return {60 + (x * 37 + y * 11) % 50, 120 + (x * y) % 60, 30 + (x * 13) % 25};
      },
      [](int x, int y) { return y < 30                                               ? 0
                                : (x > 20 && x < 50 && y > 40) || (x > 80 && y > 60) ? 3
                                                                                     : 1; });
}

// A working directory with images/photo.ppm, images/photo.seg and infiles.txt naming images/photo.jpg.
struct WorkingDirectory {
  TempDir root;
  fs::path work = root.path() / "work";
  Scene scene = testScene();

  WorkingDirectory() {
    fs::create_directories(work / "images");
    writePpm(work / "images/photo.ppm", scene.image);
    imaging::writeGreyImage((work / "images/photo.seg").string(), scene.labels);
    writeFile(work / "infiles.txt", "./images/photo.jpg");
  }
  ProgramRun extract(DescriptorKind kind) const { return ::extract(work, parameterFile(kind), root.path()); }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work))
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST(ExtractorProgram, WritesEachDescriptorOfEveryRegion) {
  WorkingDirectory dir;
  for (const auto& [kind, name] : kParameterFiles) {
    const ProgramRun run = dir.extract(kind);
    ASSERT_EQ(run.status, 0) << name << ": " << run.output << run.errors;
    EXPECT_EQ(run.output, "");
    const std::vector<descriptors::Block> blocks =
        descriptors::computeDescriptor(kind, dir.scene.image, dir.scene.labels, dir.scene.regions);
    EXPECT_TRUE(readFile(dir.work / std::string(kindInfo(kind).outputFile)) ==
                descriptors::descriptorDocument(kindInfo(kind), dir.scene.regions, blocks, 120, 90))
        << name;
  }
  EXPECT_EQ(dir.files(), (std::vector<std::string>{"EdgeHistogram.xml", "HomoTexture.xml", "RegionShape.xml",
                                                   "ScalableColorReg.xml", "infiles.txt"}));
}

// The slow reference model of the four descriptors, run on the same files.
const char* const kReferenceScript = R"(import sys
sys.path.insert(0, sys.argv[1])
import make_examples as M

def read_pnm(path):
    data = open(path, 'rb').read()
    tokens, i = [], 0
    while len(tokens) < 4:
        while data[i:i + 1].isspace(): i += 1
        if data[i:i + 1] == b'#':
            while data[i:i + 1] != b'\n': i += 1
            continue
        j = i
        while not data[j:j + 1].isspace(): j += 1
        tokens.append(data[i:j]); i = j
    return int(tokens[1]), int(tokens[2]), data[i + 1:]

w, h, px = read_pnm(sys.argv[2])
_, _, lb = read_pnm(sys.argv[3])
rgb = [[tuple(px[3 * (y * w + x):3 * (y * w + x) + 3]) for x in range(w)] for y in range(h)]
labels = [list(lb[y * w:(y + 1) * w]) for y in range(h)]
Y = [[M.luminance(*rgb[y][x]) for x in range(w)] for y in range(h)]
for r in M.regions_of(labels, w, h):
    print('RegionShape', r.label, *M.region_shape(r)[0])
    print('ScalableColor', r.label, *M.scalable_colour(r, rgb)[0])
    print('EdgeHistogram', r.label, *M.edge_histogram(r, Y)[0])
    print('HomogeneousTexture', r.label, *M.homogeneous_texture(r, Y)[0])
)";

TEST(ExtractorProgram, AgreesWithTheReferenceModel) {
  const fs::path tools = testing_support::sharedData() / "tools";
  if (!fs::exists(tools / "make_examples.py")) GTEST_SKIP() << "no reference model";
  WorkingDirectory dir;
  writeFile(dir.root.path() / "reference.py", kReferenceScript);
  const ProgramRun reference =
      runProgramIn(dir.root.path(),
            {"python3", "reference.py", tools.string(), (dir.work / "images/photo.ppm").string(),
             (dir.work / "images/photo.seg").string()},
            dir.root.path());
  if (reference.status != 0) GTEST_SKIP() << "the reference model did not run: " << reference.errors;

  std::map<std::pair<std::string, int>, descriptors::Block> expected;
  std::istringstream lines(reference.output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string name;
    int label = 0;
    words >> name >> label;
    descriptors::Block block;
    for (int v; words >> v;) block.push_back(v);
    expected[{name, label}] = block;
  }
  ASSERT_EQ(expected.size(), 16u);
  for (const auto& [kind, name] : kParameterFiles) {
    ASSERT_EQ(dir.extract(kind).status, 0);
    const std::vector<descriptors::Block> blocks =
        descriptors::computeDescriptor(kind, dir.scene.image, dir.scene.labels, dir.scene.regions);
    for (int j = 0; j < 4; ++j)
      EXPECT_EQ(blocks[static_cast<std::size_t>(j)], (expected[{std::string(kindInfo(kind).collectionName), j}]))
          << name << " region " << j;
  }
  const ProgramRun check =
      runProgramIn(dir.work, {"python3", (tools / "read_descriptors.py").string(), "--check", "."}, dir.root.path());
  EXPECT_EQ(check.status, 0) << check.output;
}

TEST(ExtractorProgram, FallsBackToTheListedImageWhenItIsAPpm) {
  WorkingDirectory dir;
  fs::rename(dir.work / "images/photo.ppm", dir.work / "images/photo.pnm");
  writeFile(dir.work / "infiles.txt", "./images/photo.pnm");
  EXPECT_EQ(dir.extract(DescriptorKind::ScalableColour).status, 0);
  EXPECT_TRUE(fs::exists(dir.work / "ScalableColorReg.xml"));
}

TEST(ExtractorProgram, StopsOnBadInputWithoutWritingAFile) {
  struct Case {
    const char* name;
    void (*spoil)(const fs::path& work);
    std::vector<std::string> arguments;  // after the program name; empty: -p and the shape parameter file
    std::string output;                  // exact standard output; empty: a line on standard error instead
  };
  const std::string shape = parameterFile(DescriptorKind::RegionShape);
  const std::vector<Case> cases{
      {"no arguments", [](const fs::path&) {}, {"-q"}, "usage: mpeg7DescriptorsExtraction -p <parameter file>\n"},
      {"missing parameter file",
       [](const fs::path&) {},
       {"-p", "nothing.par"},
       "failure in opening file nothing.par\n"},
      {"parameter file naming nothing",
       [](const fs::path& w) { writeFile(w / "odd.par", "Descriptor = Shape\n"); },
       {"-p", "odd.par"},
       "no descriptor named in odd.par\n"},
      {"missing list file",
       [](const fs::path& w) { fs::remove(w / "infiles.txt"); },
       {},
       "failure in opening file infiles.txt\n"},
      {"empty list file", [](const fs::path& w) { writeFile(w / "infiles.txt", ""); }, {}, ""},
      {"missing image",
       [](const fs::path& w) { fs::remove(w / "images/photo.ppm"); },
       {},
       "failure in opening file ./images/photo.ppm\n"},
      {"missing label file",
       [](const fs::path& w) { fs::remove(w / "images/photo.seg"); },
       {},
       "failure in opening file ./images/photo.seg\n"},
      {"label file of another size",
       [](const fs::path& w) {
         imaging::writeGreyImage((w / "images/photo.seg").string(), imaging::GreyImage(120, 91));
       },
       {},
       "image and label file differ in size: ./images/photo.seg\n"},
  };
  for (const Case& c : cases) {
    WorkingDirectory dir;
    c.spoil(dir.work);
    writeFile(dir.work / "RegionShape.xml", "an older file");
    std::vector<std::string> words{EXTRACTOR_PATH};
    const std::vector<std::string> arguments =
        c.arguments.empty() ? std::vector<std::string>{"-p", shape} : c.arguments;
    words.insert(words.end(), arguments.begin(), arguments.end());
    const ProgramRun run = runProgramIn(dir.work, words, dir.root.path());
    EXPECT_EQ(run.status, 1) << c.name << ": " << run.errors;
    if (c.output.empty()) {
      EXPECT_EQ(run.output, "") << c.name;
      EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << c.name << ": " << run.errors;
    } else {
      EXPECT_EQ(run.output, c.output) << c.name;
    }
    EXPECT_EQ(readFile(dir.work / "RegionShape.xml"), "an older file") << c.name;
    for (const std::string& name : dir.files()) EXPECT_EQ(name.find(".part"), std::string::npos) << c.name;
  }
}

// The descriptor file on a full or read-only disk: exit status 1, the fixed
// message, and neither a cut-short descriptor file nor a temporary one.
TEST(ExtractorProgram, StopsOnADiskItCannotWriteWithoutLeavingAFile) {
  for (const bool readOnly : {false, true}) {
    WorkingDirectory dir;
    const auto disk = testing_support::smallDiskInPlaceOf(dir.work, dir.root.path() / "saved");
    if (!disk->available()) GTEST_SKIP() << disk->skipReason();
    if (readOnly) {
      ASSERT_TRUE(disk->makeReadOnly());
    } else {
      disk->fill();
    }
    const ProgramRun run = dir.extract(DescriptorKind::ScalableColour);
    EXPECT_EQ(run.status, 1) << readOnly;
    EXPECT_EQ(run.output, readOnly ? "failure in opening file ScalableColorReg.xml\n"
                                   : "failure in closing file ScalableColorReg.xml")
        << readOnly;
    EXPECT_EQ(testing_support::namesIn(dir.work), (std::vector<std::string>{"images", "infiles.txt"})) << readOnly;
  }
}

}  // namespace
