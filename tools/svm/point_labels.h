#pragma once
// Labelled points and how they label regions. A point file is tab-separated,
// one point per row: image file name, x (column), y (row), concept; "#"
// starts a comment. A region takes the concept of its points when at least two
// thirds of them agree; otherwise it is left out.

#include <map>
#include <string>
#include <vector>

#include "imaging/buffers.h"

namespace svm_tools {

struct LabelledPoint {
  std::string image;
  int x = 0;
  int y = 0;
  std::string conceptName;
  int line = 0;  // line number in the point file, for messages
};

// Reads the point file. Fails with one line for the user (file and line) on
// a row that does not have four fields, an image name that is a plain file
// name (no separator, not "." or ".."), whole non-negative coordinates and
// a usable concept name (not empty, no "/", ";", "\\" or control characters,
// since it becomes part of a file name and of the concept list).
std::vector<LabelledPoint> readPointFile(const std::string& path);

// The images of the points in order of first appearance, each with its points.
struct PhotoPoints {
  std::string image;
  std::vector<LabelledPoint> points;
};
std::vector<PhotoPoints> groupByPhoto(const std::vector<LabelledPoint>& points);

struct LabelledRegion {
  int region = 0;
  std::string conceptName;
  int points = 0;     // points that fall in the region
  int agreeing = 0;   // of them, points of the winning concept
  std::map<std::string, int> votes;  // concept -> points, the winner's included
};

struct LeftOutRegion {
  int region = 0;
  std::map<std::string, int> votes;  // concept -> points
};

struct RegionLabelling {
  std::vector<LabelledRegion> labelled;  // increasing region number
  std::vector<LeftOutRegion> leftOut;    // regions whose points disagree
  std::vector<LabelledPoint> outside;    // points that lie outside the label image
};

// Finds the region under every point of one photo and labels the regions.
RegionLabelling labelRegions(const imaging::GreyImage& labels, const std::vector<LabelledPoint>& points);

}  // namespace svm_tools
