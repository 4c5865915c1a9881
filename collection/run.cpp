#include "collection/run.h"

#include <unistd.h>


#include "platform/mapped_file.h"
#include "platform/process.h"
#include "platform/replacing_file.h"

namespace collection {

RunResult runIn(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                const std::filesystem::path& log) {
  RunResult result;
  result.status = platform::runProgramLogged(arguments, directory.string(), log.string());
  result.output = readWholeFile(log);
  return result;
}

std::string lastLine(const std::string& output) {
  std::istringstream lines(output);
  std::string line;
  std::string last;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") != std::string::npos) last = line;
  }
  return last;
}

std::string readWholeFile(const std::filesystem::path& path) {
  return platform::readWholeFile(path.string()).value_or("");
}

std::filesystem::path besideHidden(const std::filesystem::path& path, const std::string& tag) {
  std::string name(1, '.');
  name.append(path.filename().string()).append(1, '.').append(tag).append(1, '-').append(std::to_string(getpid()));
  return path.parent_path() / name;
}

void writeFile(const std::filesystem::path& path, const std::string& text) {
  platform::replaceFile(path.string(), text, platform::WriteReport::OwnLine);
}

}  // namespace collection
