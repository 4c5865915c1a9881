#include "tools/svm/point_labels.h"

#include <fstream>

#include "platform/failure.h"

namespace svm_tools {
namespace {

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

bool parseCoordinate(const std::string& text, int& value) {
  if (text.empty() || text.size() > 7) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

// A plain file name: the photo is copied into, and its log written in, folders
// of the working directory under this name, so it must not reach elsewhere.
bool plainFileName(const std::string& name) {
  return name != "." && name != ".." && name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
}

bool usableConceptName(const std::string& name) {
  if (name.empty()) return false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7f || c == '/' || c == '\\' || c == ';') return false;
  }
  return true;
}

}  // namespace

std::vector<LabelledPoint> readPointFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) platform::failStderrLine("cannot open the point file " + path);
  std::vector<LabelledPoint> points;
  std::string line;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::string where = path + " line " + std::to_string(lineNumber);
    const std::vector<std::string> fields = splitTabs(line);
    if (fields.size() != 4) platform::failStderrLine("expected image, x, y and concept separated by tabs in " + where);
    LabelledPoint point;
    point.image = fields[0];
    point.conceptName = fields[3];
    point.line = lineNumber;
    if (point.image.empty()) platform::failStderrLine("missing image name in " + where);
    if (!plainFileName(point.image)) {
      platform::failStderrLine("the image name '" + point.image + "' must be a plain file name, without a folder, in " +
                               where);
    }
    if (!parseCoordinate(fields[1], point.x) || !parseCoordinate(fields[2], point.y)) {
      platform::failStderrLine("coordinates must be whole numbers from 0 in " + where);
    }
    if (!usableConceptName(point.conceptName)) platform::failStderrLine("unusable concept name '" + point.conceptName + "' in " + where);
    points.push_back(std::move(point));
  }
  return points;
}

std::vector<PhotoPoints> groupByPhoto(const std::vector<LabelledPoint>& points) {
  std::vector<PhotoPoints> photos;
  std::map<std::string, std::size_t> index;
  for (const LabelledPoint& point : points) {
    auto [found, added] = index.emplace(point.image, photos.size());
    if (added) photos.push_back(PhotoPoints{point.image, {}});
    photos[found->second].points.push_back(point);
  }
  return photos;
}

RegionLabelling labelRegions(const imaging::GreyImage& labels, const std::vector<LabelledPoint>& points) {
  RegionLabelling result;
  std::map<int, std::map<std::string, int>> votes;  // region -> concept -> points
  for (const LabelledPoint& point : points) {
    if (point.x >= labels.width() || point.y >= labels.height()) {
      result.outside.push_back(point);
      continue;
    }
    ++votes[labels[point.y][point.x]][point.conceptName];
  }
  for (const auto& [region, regionVotes] : votes) {
    int total = 0;
    int best = 0;
    std::string winner;
    for (const auto& [name, count] : regionVotes) {
      total += count;
      if (count > best) {
        best = count;
        winner = name;
      }
    }
    // At least two thirds of the points must agree; two concepts can never
    // both reach that share, so the winner is unique.
    if (3 * best >= 2 * total) {
      result.labelled.push_back(LabelledRegion{region, winner, total, best, regionVotes});
    } else {
      result.leftOut.push_back(LeftOutRegion{region, regionVotes});
    }
  }
  return result;
}

}  // namespace svm_tools
