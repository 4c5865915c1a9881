// The report in a real browser: headless Chromium loads report.html from
// disk without console errors, shows at the centre of a large region the
// colour the legend gives its best concept, and the concept filter hides the
// photos without that concept.

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "batch_support.h"
#include "collection/overlay.h"
#include "collection/regions.h"
#include "classification/results_writer.h"
#include "collection/report.h"
#include "imaging/label_reader.h"
#include "imaging/pnm.h"

using namespace batch_support;
using collection::readWholeFile;

namespace {

std::string chromium() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"})
    if (fs::exists(path)) return path;
  return "";
}

collection::RunResult browse(const fs::path& work, const std::vector<std::string>& what, const std::string& url) {
  std::vector<std::string> arguments = {chromium(), "--headless", "--no-sandbox", "--disable-gpu",
                                        "--user-data-dir=" + (work / "profile").string(), "--enable-logging=stderr",
                                        "--v=0", "--force-device-scale-factor=1", "--force-color-profile=srgb",
                                        "--hide-scrollbars", "--window-size=1280,5000"};
  arguments.insert(arguments.end(), what.begin(), what.end());
  arguments.push_back(url);
  arguments.insert(arguments.begin(), {"timeout", "120"});
  return run(work, arguments);
}

// Where `part` lies in `whole`, pixel for pixel; (-1, -1) when nowhere.
std::pair<int, int> find(const imaging::ColourImage& whole, const imaging::ColourImage& part) {
  auto same = [&](int x, int y, int column, int row) {
    for (int c = 0; c < 3; ++c)
      if (whole[c][y + row][x + column] != part[c][row][column]) return false;
    return true;
  };
  for (int y = 0; y + part.height() <= whole.height(); ++y)
    for (int x = 0; x + part.width() <= whole.width(); ++x) {
      bool all = true;
      for (int row = 0; all && row < part.height(); row += part.height() / 16 + 1)
        for (int column = 0; all && column < part.width(); column += part.width() / 16 + 1)
          all = same(x, y, column, row);
      if (all) return {x, y};
    }
  return {-1, -1};
}

// A pixel of `label` with nothing else within `margin` pixels.
std::pair<int, int> deepInside(const imaging::GreyImage& labels, int label, int margin) {
  for (int row = margin; row + margin < labels.height(); row += 2)
    for (int column = margin; column + margin < labels.width(); column += 2) {
      bool inside = true;
      for (int dy = -margin; inside && dy <= margin; ++dy)
        for (int dx = -margin; inside && dx <= margin; ++dx) inside = labels[row + dy][column + dx] == label;
      if (inside) return {column, row};
    }
  return {-1, -1};
}

TEST(Browser, ReportShowsLegendColoursAndFiltersByConcept) {
  if (chromium().empty()) GTEST_SKIP() << "chromium is not installed (Debian package chromium)";
  const fs::path work = freshFolder("browser");
  const fs::path photos = work / "photos";
  fs::create_directories(photos);
  keepCredits(photos);
  for (const fs::path& photo : samplePhotos()) fs::copy_file(photo, photos / photo.filename());
  const fs::path output = work / "out";
  const auto batch = annotate({"-j", "2"}, photos, output);
  ASSERT_EQ(batch.status, 0) << batch.output;

  // A photo, its largest region's best concept, and a photo with no region of it.
  const auto regions = table(output / "regions.csv");
  std::map<std::string, std::pair<long, std::string>> largest;
  std::map<std::string, std::set<std::string>> concepts;
  std::map<std::string, int> largestRegion;
  for (std::size_t i = 1; i < regions.size(); ++i) {
    const auto& row = regions[i];
    concepts[row[0]].insert(row[8]);
    if (std::stol(row[2]) > largest[row[0]].first) {
      largest[row[0]] = {std::stol(row[2]), row[8]};
      largestRegion[row[0]] = std::stoi(row[1]);
    }
  }
  std::string shown, hidden, conceptName;
  for (const auto& [photo, best] : largest)
    for (const auto& [other, its] : concepts)
      if (shown.empty() && !its.count(best.second)) {
        shown = photo;
        hidden = other;
        conceptName = best.second;
      }
  ASSERT_FALSE(shown.empty()) << "every photo has every concept";

  // Every image the page shows is there.
  const std::string page = readWholeFile(output / "report.html");
  const std::regex source("src=\"([^\"]+)\"");
  for (auto it = std::sregex_iterator(page.begin(), page.end(), source); it != std::sregex_iterator(); ++it)
    EXPECT_TRUE(fs::exists(output / (*it)[1].str())) << (*it)[1].str();

  const std::string url = "file://" + collection::urlPath((output / "report.html").string()) + "#concept=" + conceptName;
  const auto shot = browse(work, {"--screenshot=" + (work / "shot.png").string()}, url);
  ASSERT_EQ(shot.status, 0) << shot.output;
  EXPECT_EQ(shot.output.find(":CONSOLE"), std::string::npos) << "console messages:\n" << shot.output;

  const imaging::ColourImage screen = collection::readPng((work / "shot.png").string());
  const imaging::ColourImage overlay = collection::readPng((output / shown / "overlay.png").string());
  const auto [left, top] = find(screen, overlay);
  ASSERT_GE(left, 0) << "the overlay of " << shown << " is not on the screen at full size";

  const imaging::GreyImage labels = imaging::readLabelFile((output / shown / "labels.seg").string());
  const auto [column, row] = deepInside(labels, largestRegion[shown], 10);
  ASSERT_GE(column, 0);
  const std::smatch legend = [&] {
    std::smatch match;
    const std::regex swatch("data-concept=\"" + conceptName + "\" data-colour=\"#([0-9a-f]{6})\"");
    EXPECT_TRUE(std::regex_search(page, match, swatch));
    return match;
  }();
  const unsigned colour = std::stoul(legend[1].str(), nullptr, 16);
  ASSERT_EQ(run(work, {"convert", (photos / shown).string(), "photo.ppm"}).status, 0);
  const imaging::ColourImage photo = imaging::readColourImage((work / "photo.ppm").string());
  for (int c = 0; c < 3; ++c) {
    const int tint = (colour >> (8 * (2 - c))) & 0xff;
    EXPECT_EQ(screen[c][top + row][left + column], (photo[c][row][column] + tint + 1) / 2)
        << "channel " << c << " at " << column << "," << row << " of " << shown << ": not tinted with the legend's "
        << conceptName;
  }

  const auto dom = browse(work, {"--dump-dom"}, url);
  ASSERT_EQ(dom.status, 0);
  auto section = [&](const std::string& name) {
    const std::size_t at = dom.output.find("data-photo=\"" + classification::escapeXml(name, classification::Escaping::Attribute) + "\"");
    EXPECT_NE(at, std::string::npos) << name;
    return at == std::string::npos ? std::string() : dom.output.substr(at, dom.output.find('>', at) - at);
  };
  EXPECT_NE(section(hidden).find("hidden"), std::string::npos) << hidden << " has no " << conceptName;
  EXPECT_EQ(section(shown).find("hidden"), std::string::npos) << shown << " has " << conceptName;
}

}  // namespace
