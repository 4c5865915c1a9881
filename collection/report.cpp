#include "collection/report.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <regex>
#include <sstream>

#include "classification/results_writer.h"
#include "collection/csv.h"
#include "collection/overlay.h"
#include "collection/run.h"
#include "imaging/label_reader.h"
#include "platform/failure.h"

namespace fs = std::filesystem;

namespace collection {
namespace {

// Text in the page: the XML entities serve HTML too.
// Text and attribute values of the page: quotes too, since concept lists sit
// in double-quoted attributes.
std::string escapeHtml(const std::string& text) {
  return classification::escapeXml(text, classification::Escaping::Attribute);
}

std::string fixed(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

std::string statusOf(const PhotoEntry& entry) {
  if (!entry.found) return "not run";
  return entry.record.annotated ? "annotated" : "failed";
}

// Every concept of the tables, in the order the results files list them.
std::vector<std::string> allConcepts(const std::vector<PhotoEntry>& entries) {
  std::vector<std::string> concepts;
  for (const PhotoEntry& entry : entries)
    for (const std::string& conceptName : entry.confidences.concepts)
      if (std::find(concepts.begin(), concepts.end(), conceptName) == concepts.end()) concepts.push_back(conceptName);
  return concepts;
}

// Region numbers of an entry, largest first (lower number first among equals).
std::vector<int> bySize(const PhotoEntry& entry) {
  std::vector<int> order(entry.confidences.values.size());
  std::iota(order.begin(), order.end(), 0);
  auto pixels = [&](int region) {
    return static_cast<std::size_t>(region) < entry.extents.size() ? entry.extents[region].pixels : 0L;
  };
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return pixels(a) > pixels(b); });
  return order;
}

// Best concept name of a region, empty when it has none.
std::string bestName(const PhotoEntry& entry, int region, std::string* confidence = nullptr) {
  const auto& values = entry.confidences.values[region];
  const int best = bestConcept(values);
  if (best < 0) return "";
  if (confidence != nullptr) *confidence = values[best];
  return entry.confidences.concepts[best];
}

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04x", c);
      out += code;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// The concepts that are some region's best, as a JSON list for the filter.
std::string bestConceptsJson(const PhotoEntry& entry) {
  std::vector<std::string> names;
  for (std::size_t region = 0; region < entry.confidences.values.size(); ++region) {
    const std::string name = bestName(entry, static_cast<int>(region));
    if (!name.empty() && entry.extents.size() > region && entry.extents[region].pixels > 0 &&
        std::find(names.begin(), names.end(), name) == names.end())
      names.push_back(name);
  }
  std::string json = "[";
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) json += ',';
    json += jsonString(names[i]);
  }
  return json + ']';
}

std::string swatch(const std::string& conceptName) {
  const std::string colour = hexColour(conceptColour(conceptName));
  return "<span class=\"swatch\" data-concept=\"" + escapeHtml(conceptName) + "\" data-colour=\"" + colour +
         "\"><i style=\"background:" + colour + "\"></i>" + escapeHtml(conceptName) + "</span>";
}

constexpr const char* kStyle = R"(body{font-family:sans-serif;margin:1em;color:#222}
[hidden]{display:none!important}
.thumbs{display:flex;flex-wrap:wrap;gap:6px}
.thumbs a{display:block;text-decoration:none;color:inherit;font-size:11px;width:160px;overflow:hidden}
.thumbs img{width:160px;display:block}
.swatch{display:inline-block;margin-right:1em;white-space:nowrap}
.swatch i{display:inline-block;width:1em;height:1em;border:1px solid #555;vertical-align:middle;margin-right:.3em}
section.photo{margin-top:2em;border-top:1px solid #ccc}
section.photo img{display:block;max-width:none}
table{border-collapse:collapse;font-size:13px;margin-top:.5em}
td,th{border:1px solid #ccc;padding:2px 6px;text-align:right}
td.name,th.name{text-align:left}
.failed td{text-align:left}
)";

constexpr const char* kScript = R"((function () {
  var select = document.getElementById('filter');
  function wanted() {
    var match = /^#concept=(.*)$/.exec(location.hash);
    return match ? decodeURIComponent(match[1]) : null;
  }
  function apply(name) {
    var shown = 0, all = 0;
    document.querySelectorAll('[data-concepts]').forEach(function (element) {
      var list = JSON.parse(element.getAttribute('data-concepts'));
      element.hidden = name !== '' && list.indexOf(name) < 0;
      if (element.tagName === 'SECTION') { all++; if (!element.hidden) shown++; }
    });
    document.getElementById('shown').textContent = name === '' ? '' : shown + ' of ' + all + ' photos';
  }
  function fromHash() {
    var name = wanted();
    if (name === null) return;
    select.value = name;
    apply(name);
  }
  select.addEventListener('change', function () {
    history.replaceState(null, '', select.value === '' ? '#' : '#concept=' + encodeURIComponent(select.value));
    apply(select.value);
  });
  window.addEventListener('hashchange', fromHash);
  fromHash();
})();
)";

}  // namespace

std::vector<std::string> readJobList(const fs::path& path) {
  const std::string text = readWholeFile(path);
  std::vector<std::string> photos;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\0', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) photos.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return photos;
}

void writeJobList(const fs::path& path, const std::vector<std::string>& photos) {
  std::string text;
  for (const std::string& photo : photos) text += photo + '\0';
  writeFile(path, text);
}

std::vector<std::string> outsideOutput(const std::vector<std::string>& photos, const fs::path& photoFolder,
                                       const fs::path& output) {
  const std::string inside = fs::weakly_canonical(output).string() + "/";
  const std::string folder = fs::weakly_canonical(photoFolder).string() + "/";
  std::vector<std::string> kept;
  for (const std::string& photo : photos)
    if ((folder + relativeName(photo)).rfind(inside, 0) != 0) kept.push_back(photo);
  return kept;
}

void removeLeftovers(const fs::path& output) {
  // Folders of killed jobs, and files platform::replaceFile was writing.
  static const std::regex leftover(R"(\..+\.(partial|old)-[0-9]+|\.writing-[0-9]+-[0-9]+\.tmp)");
  std::vector<fs::path> found;
  for (auto walk = fs::recursive_directory_iterator(output); walk != fs::recursive_directory_iterator(); ++walk) {
    const std::string name = walk->path().filename().string();
    if (walk.depth() == 0 && name == ".annotate") {
      walk.disable_recursion_pending();
    } else if (std::regex_match(name, leftover)) {
      found.push_back(walk->path());
      walk.disable_recursion_pending();
    }
  }
  for (const fs::path& path : found) fs::remove_all(path);
}

void planBatch(const fs::path& output, const std::vector<std::string>& photos, std::vector<std::string>& todo,
               std::vector<std::string>& done) {
  for (const std::string& photo : photos) (isComplete(publishedFolder(output, photo)) ? done : todo).push_back(photo);
}

int adoptReturned(const fs::path& incoming, const fs::path& output) {
  std::error_code error;
  if (!fs::is_directory(incoming, error)) return 0;
  int adopted = 0;
  for (const fs::directory_entry& job : fs::directory_iterator(incoming)) {
    const fs::path returned = job.path() / "ret";
    if (!fs::is_directory(returned, error)) continue;
    std::vector<fs::path> folders;
    std::vector<fs::path> failures;
    for (auto walk = fs::recursive_directory_iterator(returned); walk != fs::recursive_directory_iterator(); ++walk) {
      const fs::path relative = fs::relative(walk->path(), returned);
      if (walk->is_directory() && isComplete(walk->path())) {
        folders.push_back(relative);
        walk.disable_recursion_pending();
      } else if (walk->is_regular_file() && relative.string().rfind(std::string(kFailedFolder) + "/", 0) == 0 &&
                 walk->path().extension() == ".txt") {
        failures.push_back(relative);
      }
    }
    for (const fs::path& folder : folders) {
      const fs::path destination = output / folder;
      fs::create_directories(destination.parent_path());
      fs::remove_all(destination);
      fs::rename(returned / folder, destination);
      const std::string name = folder.string();
      fs::remove(failureRecord(output, name), error);
      ++adopted;
    }
    for (const fs::path& failure : failures) {
      std::string name = fs::relative(failure, kFailedFolder).string();
      name.resize(name.size() - 4);
      if (isComplete(publishedFolder(output, name))) continue;
      fs::create_directories((output / failure).parent_path());
      fs::rename(returned / failure, output / failure);
      ++adopted;
    }
  }
  fs::remove_all(incoming);
  return adopted;
}

std::vector<PhotoEntry> loadEntries(const fs::path& output, const std::vector<std::string>& photos) {
  std::vector<PhotoEntry> entries;
  for (const std::string& photo : photos) {
    PhotoEntry entry;
    entry.name = relativeName(photo);
    entry.record = loadRecord(output, photo, entry.found);
    if (entry.found && entry.record.annotated) {
      const fs::path folder = publishedFolder(output, photo);
      try {
        entry.confidences = parseResults(readWholeFile(folder / "results.xml"));
        const imaging::GreyImage labels = imaging::readLabelFile((folder / "labels.seg").string());
        entry.extents = regionExtents(labels, static_cast<int>(entry.confidences.values.size()));
      } catch (const std::exception& failure) {
        entry.record.annotated = false;
        entry.record.message = std::string("published folder unreadable: ") + failure.what();
      }
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string imagesTable(const std::vector<PhotoEntry>& entries) {
  std::string table = csvRow({"photo", "status", "regions", "seconds", "original_width", "original_height", "width",
                              "height", "message"});
  for (const PhotoEntry& entry : entries) {
    const PhotoRecord& r = entry.record;
    const bool sized = r.originalWidth > 0;
    table += csvRow({entry.name, statusOf(entry), r.annotated ? std::to_string(r.regions) : "",
                     entry.found ? fixed(r.seconds, 3) : "", sized ? std::to_string(r.originalWidth) : "",
                     sized ? std::to_string(r.originalHeight) : "", r.width > 0 ? std::to_string(r.width) : "",
                     r.height > 0 ? std::to_string(r.height) : "",
                     entry.found ? r.message : "no record: the photo's job did not finish"});
  }
  return table;
}

std::string regionsTable(const std::vector<PhotoEntry>& entries) {
  const std::vector<std::string> concepts = allConcepts(entries);
  std::vector<std::string> header = {"photo", "region", "pixels", "share", "left", "top", "right", "bottom",
                                     "best_concept", "confidence"};
  header.insert(header.end(), concepts.begin(), concepts.end());
  std::string table = csvRow(header);
  for (const PhotoEntry& entry : entries) {
    if (!entry.record.annotated) continue;
    const double area = static_cast<double>(entry.record.width) * entry.record.height;
    for (std::size_t region = 0; region < entry.confidences.values.size(); ++region) {
      const RegionExtent extent = region < entry.extents.size() ? entry.extents[region] : RegionExtent{};
      const bool present = extent.pixels > 0;
      std::string confidence;
      const std::string best = bestName(entry, static_cast<int>(region), &confidence);
      std::vector<std::string> row = {entry.name, std::to_string(region), std::to_string(extent.pixels),
                                      fixed(area > 0 ? extent.pixels / area : 0, 6),
                                      present ? std::to_string(extent.left) : "", present ? std::to_string(extent.top) : "",
                                      present ? std::to_string(extent.right) : "",
                                      present ? std::to_string(extent.bottom) : "", best, confidence};
      for (const std::string& conceptName : concepts) {
        const auto& names = entry.confidences.concepts;
        const auto at = std::find(names.begin(), names.end(), conceptName);
        row.push_back(at == names.end() ? "" : entry.confidences.values[region][at - names.begin()]);
      }
      table += csvRow(row);
    }
  }
  return table;
}

std::string urlPath(const std::string& relative) {
  std::string url;
  for (unsigned char c : relative) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      url += static_cast<char>(c);
    } else {
      char code[4];
      std::snprintf(code, sizeof code, "%%%02X", c);
      url += code;
    }
  }
  return url;
}

std::string reportPage(const std::vector<PhotoEntry>& entries) {
  const std::vector<std::string> concepts = allConcepts(entries);
  int annotated = 0;
  for (const PhotoEntry& entry : entries) annotated += entry.record.annotated ? 1 : 0;

  std::ostringstream page;
  page << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<link rel=\"icon\" href=\"data:,\">\n<title>Annotated photos</title>\n<style>\n" << kStyle
       << "</style>\n</head>\n<body>\n<h1>Annotated photos</h1>\n<p>" << annotated << " of " << entries.size()
       << " photos annotated. <a href=\"images.csv\">images.csv</a> <a href=\"regions.csv\">regions.csv</a></p>\n";
  page << "<p class=\"legend\" id=\"legend\">";
  for (const std::string& conceptName : concepts) page << swatch(conceptName);
  page << "</p>\n<p><label>Photos with a region of best concept <select id=\"filter\"><option value=\"\">any</option>";
  for (const std::string& conceptName : concepts)
    page << "<option value=\"" << escapeHtml(conceptName) << "\">" << escapeHtml(conceptName) << "</option>";
  page << "</select></label> <span id=\"shown\"></span></p>\n<div class=\"thumbs\">\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PhotoEntry& entry = entries[i];
    if (!entry.record.annotated) continue;
    page << "<a href=\"#photo-" << i << "\" data-concepts=\"" << escapeHtml(bestConceptsJson(entry))
         << "\"><img src=\"" << escapeHtml(urlPath(entry.name)) << "/overlay.png\" alt=\"\" loading=\"lazy\">"
         << escapeHtml(entry.name) << "</a>\n";
  }
  page << "</div>\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const PhotoEntry& entry = entries[i];
    if (!entry.record.annotated) continue;
    const PhotoRecord& r = entry.record;
    page << "<section class=\"photo\" id=\"photo-" << i << "\" data-photo=\"" << escapeHtml(entry.name)
         << "\" data-concepts=\"" << escapeHtml(bestConceptsJson(entry)) << "\">\n<h2>" << escapeHtml(entry.name)
         << "</h2>\n<p>" << r.width << " x " << r.height << " pixels (photo " << r.originalWidth << " x "
         << r.originalHeight << "), " << r.regions << " regions";
    if (!r.message.empty()) page << "; " << escapeHtml(r.message);
    page << "</p>\n<img src=\"" << escapeHtml(urlPath(entry.name)) << "/overlay.png\" width=\"" << r.width
         << "\" height=\"" << r.height << "\" alt=\"overlay of " << escapeHtml(entry.name) << "\">\n<p>";
    std::vector<std::string> present;
    for (int region : bySize(entry)) {
      const std::string best = bestName(entry, region);
      if (!best.empty() && std::find(present.begin(), present.end(), best) == present.end()) present.push_back(best);
    }
    for (const std::string& conceptName : present) page << swatch(conceptName);
    page << "</p>\n<table>\n<tr><th>region</th><th>pixels</th><th>share</th><th>box</th>"
         << "<th class=\"name\">best concept</th><th>confidence</th></tr>\n";
    const double area = static_cast<double>(r.width) * r.height;
    for (int region : bySize(entry)) {
      const RegionExtent extent =
          static_cast<std::size_t>(region) < entry.extents.size() ? entry.extents[region] : RegionExtent{};
      std::string confidence;
      const std::string best = bestName(entry, region, &confidence);
      page << "<tr><td>" << region << "</td><td>" << extent.pixels << "</td><td>"
           << fixed(area > 0 ? 100.0 * extent.pixels / area : 0, 1) << " %</td><td>";
      if (extent.pixels > 0)
        page << extent.left << "," << extent.top << " – " << extent.right << "," << extent.bottom;
      page << "</td><td class=\"name\">" << escapeHtml(best) << "</td><td>" << confidence << "</td></tr>\n";
    }
    page << "</table>\n</section>\n";
  }
  bool anyFailed = false;
  for (const PhotoEntry& entry : entries) anyFailed = anyFailed || !entry.record.annotated;
  if (anyFailed) {
    page << "<h2>Not annotated</h2>\n<table class=\"failed\">\n<tr><th>photo</th><th>reason</th></tr>\n";
    for (const PhotoEntry& entry : entries)
      if (!entry.record.annotated)
        page << "<tr><td>" << escapeHtml(entry.name) << "</td><td>"
             << escapeHtml(entry.found ? entry.record.message : "the photo's job did not finish") << "</td></tr>\n";
    page << "</table>\n";
  }
  page << "<script>\n" << kScript << "</script>\n</body>\n</html>\n";
  return page.str();
}

}  // namespace collection
