#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

namespace platform {
namespace {

void reportNotStarted(const std::string& program, int error) {
  std::fprintf(stderr, "could not start %s: %s\n", program.c_str(), std::strerror(error));
  std::fflush(stderr);
}

#ifdef _WIN32
// A Windows program gets one command line, which its C runtime splits into
// arguments again; quote each argument so that it comes back whole
// (backslashes before a quote are doubled, quotes escaped). No command
// interpreter sees the line, so & ^ % and the like need nothing.
std::string quoted(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos) return argument;
  std::string text = "\"";
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') text.append(2 * backslashes + 1, '\\');
    else text.append(backslashes, '\\');
    backslashes = 0;
    text.push_back(c);
  }
  text.append(2 * backslashes, '\\');
  text.push_back('"');
  return text;
}

// The program a name without a folder stands for: the first folder on PATH
// that holds it (".exe" added to a name without an extension), as on POSIX;
// empty when there is none. Windows' own search looks in the system folders
// first, where convert.exe is another program altogether.
std::string onPath(const std::string& name) {
  namespace fs = std::filesystem;
  const std::string file = fs::path(name).has_extension() ? name : name + ".exe";
  const char* folders = std::getenv("PATH");
  std::string rest = folders ? folders : "";
  while (!rest.empty()) {
    const std::size_t end = rest.find(';');
    const std::string folder = rest.substr(0, end);
    rest = end == std::string::npos ? "" : rest.substr(end + 1);
    std::error_code error;
    if (!folder.empty() && fs::is_regular_file(fs::path(folder) / file, error)) return (fs::path(folder) / file).string();
  }
  return "";
}

// The errno value whose text describes why a program could not be started.
int startError(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_BAD_EXE_FORMAT:
      return ENOEXEC;
    default:
      return EINVAL;
  }
}
#else
// The child's exit status, 128 + the signal that ended it, or -1.
int waitForExit(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}
#endif

}  // namespace

int runProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  std::fflush(nullptr);

#ifdef _WIN32
  // A name with a folder is taken as it stands (CreateProcess adds ".exe"
  // when it has no extension); one without is looked up on PATH only. The
  // standard streams are passed on as they stand, redirected or not.
  std::string program;
  if (arguments[0].find_first_of("\\/:") == std::string::npos) {
    program = onPath(arguments[0]);
    if (program.empty()) {
      reportNotStarted(arguments[0], ENOENT);
      return -1;
    }
  }
  std::string commandLine;
  for (const std::string& argument : arguments) {
    if (!commandLine.empty()) commandLine.push_back(' ');
    commandLine.append(quoted(argument));
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = reinterpret_cast<HANDLE>(_get_osfhandle(0));
  startup.hStdOutput = reinterpret_cast<HANDLE>(_get_osfhandle(1));
  startup.hStdError = reinterpret_cast<HANDLE>(_get_osfhandle(2));
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.empty() ? nullptr : program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    reportNotStarted(arguments[0], startError(GetLastError()));
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  const bool ended = GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? static_cast<int>(status) : -1;
#else
  std::vector<std::string> copies(arguments);
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  pid_t child = 0;
  const int error = posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    reportNotStarted(arguments[0], error);
    return -1;
  }
  return waitForExit(child);
#endif
}

int runProgramLogged(const std::vector<std::string>& arguments, const std::string& directory,
                     const std::string& log) {
  if (arguments.empty()) return -1;
  std::fflush(nullptr);

#ifdef _WIN32
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) return -1;
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string commandLine;
  for (const std::string& argument : arguments) {
    if (!commandLine.empty()) commandLine.push_back(' ');
    commandLine += quoted(argument);
  }
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION started{};
  const BOOL created = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                      directory.c_str(), &startup, &started);
  int status = -1;
  if (created) {
    WaitForSingleObject(started.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(started.hProcess, &code)) status = static_cast<int>(code);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
  } else {
    const DWORD reason = GetLastError();
    const std::string line = "could not start " + arguments[0] + ": error " + std::to_string(reason) + "\n";
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  CloseHandle(output);
  return status;
#else
  const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (output < 0) return -1;
  std::vector<std::string> copies(arguments);
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output, 1);
  posix_spawn_file_actions_adddup2(&actions, output, 2);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  pid_t child = 0;
  const int error = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    const std::string line = "could not start " + arguments[0] + ": " + std::strerror(error) + "\n";
    [[maybe_unused]] const ssize_t written = write(output, line.data(), line.size());
    close(output);
    return -1;
  }
  close(output);
  return waitForExit(child);
#endif
}

}  // namespace platform
