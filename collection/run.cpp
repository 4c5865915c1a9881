#include "collection/run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace collection {

RunResult runIn(const std::filesystem::path& directory, const std::vector<std::string>& arguments,
                const std::filesystem::path& log) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  const std::string logPath = std::filesystem::absolute(log).string();
  posix_spawn_file_actions_addopen(&actions, 1, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addclose(&actions, 0);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());

  RunResult result;
  pid_t pid = 0;
  const bool searched = arguments[0].find('/') == std::string::npos;
  const int error = searched ? posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ)
                             : posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    result.output = "could not start " + arguments[0] + ": " + std::strerror(error);
    return result;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      result.output = "lost " + arguments[0] + ": " + std::strerror(errno);
      return result;
    }
  }
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
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
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::filesystem::path besideHidden(const std::filesystem::path& path, const std::string& tag) {
  std::string name(1, '.');
  name.append(path.filename().string()).append(1, '.').append(tag).append(1, '-').append(std::to_string(getpid()));
  return path.parent_path() / name;
}

void writeFileAtomically(const std::filesystem::path& path, const std::string& text) {
  const std::filesystem::path temporary = besideHidden(path, "partial");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
}

}  // namespace collection
