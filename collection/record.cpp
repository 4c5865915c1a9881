#include "collection/record.h"

#include <sstream>

#include "collection/run.h"

namespace collection {
namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

std::string unescaped(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out += next == 't' ? '\t' : next == 'n' ? '\n' : next;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string recordText(const PhotoRecord& record) {
  std::ostringstream out;
  out << "status\t" << (record.annotated ? "annotated" : "failed") << '\n';
  out << "original\t" << record.originalWidth << ' ' << record.originalHeight << '\n';
  out << "size\t" << record.width << ' ' << record.height << '\n';
  out << "regions\t" << record.regions << '\n';
  out << "seconds\t" << record.seconds << '\n';
  out << "message\t" << escaped(record.message) << '\n';
  for (const PublishedFile& file : record.files) out << "file\t" << file.size << ' ' << escaped(file.name) << '\n';
  return out.str();
}

PhotoRecord parseRecord(const std::string& text) {
  PhotoRecord record;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string key = line.substr(0, tab);
    const std::string value = line.substr(tab + 1);
    std::istringstream fields(value);
    if (key == "status") record.annotated = value == "annotated";
    else if (key == "original") fields >> record.originalWidth >> record.originalHeight;
    else if (key == "size") fields >> record.width >> record.height;
    else if (key == "regions") fields >> record.regions;
    else if (key == "seconds") fields >> record.seconds;
    else if (key == "message") record.message = unescaped(value);
    else if (key == "file") {
      PublishedFile file;
      fields >> file.size;
      const std::size_t blank = value.find(' ');
      if (blank != std::string::npos) file.name = unescaped(value.substr(blank + 1));
      record.files.push_back(file);
    }
  }
  return record;
}

std::string relativeName(const std::string& listed) {
  std::string name = listed;
  while (name.rfind("./", 0) == 0) name.erase(0, 2);
  return name;
}

std::filesystem::path publishedFolder(const std::filesystem::path& output, const std::string& relative) {
  return output / relativeName(relative);
}

std::filesystem::path failureRecord(const std::filesystem::path& output, const std::string& relative) {
  return output / kFailedFolder / (relativeName(relative) + ".txt");
}

bool isComplete(const std::filesystem::path& folder) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(folder / kRecordName, error)) return false;
  const PhotoRecord record = parseRecord(readWholeFile(folder / kRecordName));
  if (!record.annotated || record.files.empty()) return false;
  for (const PublishedFile& file : record.files) {
    const std::uintmax_t size = std::filesystem::file_size(folder / file.name, error);
    if (error || size != file.size) return false;
  }
  return true;
}

PhotoRecord loadRecord(const std::filesystem::path& output, const std::string& relative, bool& found) {
  const std::filesystem::path folder = publishedFolder(output, relative);
  found = true;
  if (isComplete(folder)) return parseRecord(readWholeFile(folder / kRecordName));
  std::error_code error;
  const std::filesystem::path failure = failureRecord(output, relative);
  if (std::filesystem::is_regular_file(failure, error)) return parseRecord(readWholeFile(failure));
  found = false;
  return {};
}

}  // namespace collection
