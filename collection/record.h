#pragma once
// What one photo's job leaves behind besides its files: the record. A
// published folder holds it as annotation.txt, written last; a photo that
// failed has only a record, under <output>/.annotate/failed/.
//
// The record is plain text, one "key<TAB>value" line each, values escaped
// (backslash, tab and line feed as \\, \t, \n) so that any message fits.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace collection {

inline constexpr const char* kRecordName = "annotation.txt";
inline constexpr const char* kFailedFolder = ".annotate/failed";

struct PublishedFile {
  std::string name;
  std::uintmax_t size = 0;
  bool operator==(const PublishedFile&) const = default;
};

struct PhotoRecord {
  bool annotated = false;
  int originalWidth = 0;
  int originalHeight = 0;
  int width = 0;
  int height = 0;
  int regions = 0;
  double seconds = 0;
  std::string message;  // the reason for a failure, or a note on an annotated photo
  std::vector<PublishedFile> files;  // the published files, the record itself not included
  bool operator==(const PhotoRecord&) const = default;
};

std::string recordText(const PhotoRecord& record);
PhotoRecord parseRecord(const std::string& text);

// The photo's path below the photo folder, as the job list gives it
// ("./a/b.jpg" or "a/b.jpg"), in the form the tables use ("a/b.jpg").
std::string relativeName(const std::string& listed);

// Where a photo's published folder and its failure record live.
std::filesystem::path publishedFolder(const std::filesystem::path& output, const std::string& relative);
std::filesystem::path failureRecord(const std::filesystem::path& output, const std::string& relative);

// Whether `folder` is a complete published folder: its record says
// "annotated" and every file it lists is there with the size it lists.
bool isComplete(const std::filesystem::path& folder);

// The record of a photo: its published folder's when that is complete, else
// its failure record; `found` is false (and the record empty) when there is
// neither.
PhotoRecord loadRecord(const std::filesystem::path& output, const std::string& relative, bool& found);

}  // namespace collection
