#include "segmentation/component_labeling.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/failure.h"

namespace segmentation {

namespace {

struct Seed {
  int row;
  int column;
};

// A relabelled horizontal run: columns left..right of one row.
struct Span {
  int row;
  int left;
  int right;
};

// The span fill of floodRelabel. Each work item is a pixel; its whole
// horizontal run of old-label pixels is relabelled at once, and one item per
// run touching it above and below is queued. The work list stays far smaller
// than the region, and nothing recurses. The lists are kept from fill to
// fill, so labelling thousands of small components allocates nothing.
class SpanFill {
 public:
  // Relabels as floodRelabel does and returns the pixel count. While fewer
  // than `remember` pixels have been relabelled, the spans are remembered,
  // so a fill that ends below that count can be undone by overwrite().
  std::int64_t fill(imaging::IntMap& labels, int row, int column, int oldLabel, int newLabel,
                    std::int64_t remember) {
    spans_.clear();
    const int width = labels.width();
    const int height = labels.height();
    if (row < 0 || row >= height || column < 0 || column >= width) return 0;
    if (oldLabel == newLabel || labels[row][column] != oldLabel) return 0;

    std::int64_t count = 0;
    work_.assign(1, Seed{row, column});
    while (!work_.empty()) {
      const Seed seed = work_.back();
      work_.pop_back();
      int* line = labels[seed.row];
      if (line[seed.column] != oldLabel) continue;
      int left = seed.column;
      while (left > 0 && line[left - 1] == oldLabel) --left;
      int right = seed.column;
      while (right + 1 < width && line[right + 1] == oldLabel) ++right;
      for (int x = left; x <= right; ++x) line[x] = newLabel;
      if (count < remember) spans_.push_back(Span{seed.row, left, right});
      count += right - left + 1;

      for (const int next : {seed.row - 1, seed.row + 1}) {
        if (next < 0 || next >= height) continue;
        const int* nextLine = labels[next];
        for (int x = left; x <= right; ++x) {
          if (nextLine[x] != oldLabel) continue;
          work_.push_back({next, x});
          while (x + 1 <= right && nextLine[x + 1] == oldLabel) ++x;
        }
      }
    }
    return count;
  }

  // Writes `value` over the remembered spans of the last fill.
  void overwrite(imaging::IntMap& labels, int value) const {
    for (const Span& span : spans_) std::fill(labels[span.row] + span.left, labels[span.row] + span.right + 1, value);
  }

 private:
  std::vector<Seed> work_;
  std::vector<Span> spans_;
};

// The temporary label of the (index + 1)-th component: above every label in
// use, so scanned components are never met again.
int temporaryLabel(int regions, int index) {
  const std::int64_t label = static_cast<std::int64_t>(regions) + 1 + index;
  if (label > std::numeric_limits<std::int32_t>::max()) platform::failStderrLine("label map has too many regions to number");
  return static_cast<int>(label);
}

// The numbering every components step shares: each 4-connected component of
// the labels 1..regions gets a temporary label above `regions`; components
// below `minimumSize` pixels get 0 instead. Temporary labels then come down
// by `regions`. Returns the number of components kept.
int numberComponents(imaging::IntMap& labels, int regions, std::int64_t minimumSize) {
  SpanFill spanFill;
  int kept = 0;
  for (int row = 0; row < labels.height(); ++row) {
    const int* line = labels[row];
    for (int column = 0; column < labels.width(); ++column) {
      const int label = line[column];
      if (label < 1 || label > regions) continue;
      const int component = temporaryLabel(regions, kept);
      const std::int64_t size = spanFill.fill(labels, row, column, label, component, minimumSize);
      if (size < minimumSize)
        spanFill.overwrite(labels, 0);
      else
        ++kept;
    }
  }
  std::vector<int> down(static_cast<std::size_t>(regions) + kept + 1);
  for (std::size_t label = 0; label < down.size(); ++label)
    down[label] = static_cast<int>(label) > regions ? static_cast<int>(label) - regions : static_cast<int>(label);
  renumberThrough(labels, down);
  return kept;
}

}  // namespace

std::int64_t floodRelabel(imaging::IntMap& labels, int row, int column, int oldLabel, int newLabel) {
  return SpanFill().fill(labels, row, column, oldLabel, newLabel, 0);
}

int componentsWithMinimumSize(imaging::IntMap& labels, int regions, int minimumSize) {
  const int kept = numberComponents(labels, regions, minimumSize);
  if (kept == 0) {
    labels.fill(1);
    return 1;
  }
  return kept;
}

int componentLabelingFinal(imaging::IntMap& labels, int regions) { return numberComponents(labels, regions, 0); }

void renumberThrough(imaging::IntMap& labels, const std::vector<int>& table) {
  const auto size = static_cast<std::int64_t>(table.size());
  int* pixel = labels.data();
  for (std::size_t k = 0; k < labels.size(); ++k)
    if (pixel[k] >= 1 && pixel[k] < size) pixel[k] = table[static_cast<std::size_t>(pixel[k])];
}

int compactLabels(imaging::IntMap& labels) {
  SpanFill spanFill;
  int highest = 1;
  for (int row = 0; row < labels.height(); ++row) {
    for (int column = 0; column < labels.width(); ++column) {
      const int label = labels[row][column];
      if (label <= highest) continue;
      if (label > highest + 1) spanFill.fill(labels, row, column, label, highest + 1, 0);
      ++highest;
    }
  }
  return highest;
}

}  // namespace segmentation
