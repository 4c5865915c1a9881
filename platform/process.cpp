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

std::string commandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line.push_back(' ');
    line.append(quoted(argument));
  }
  return line;
}

// ".exe" added to a file name without an extension, as Windows starts it.
std::filesystem::path withExtension(std::filesystem::path file) {
  if (!file.has_extension()) file += ".exe";
  return file;
}

// The program a name without a folder stands for: the first folder on PATH
// that holds it, as on POSIX; empty when there is none. Windows' own search
// looks in the program's and the system folders first, where convert.exe is
// another program altogether.
std::string onPath(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path file = withExtension(name);
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

// The file to start for arguments[0]: a name without a folder is looked up
// on PATH only, one with a folder taken as it stands, relative to
// `directory` (the child's working directory, as on POSIX) when one is
// given. Empty when the name is found nowhere.
std::string programFile(const std::string& name, const std::string& directory) {
  namespace fs = std::filesystem;
  if (name.find_first_of("\\/:") == std::string::npos) return onPath(name);
  fs::path file = withExtension(name);
  if (!directory.empty() && file.is_relative()) file = fs::path(directory) / file;
  return file.string();
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

// Starts the program with the given standard streams (inheritable handles)
// in `directory` (empty: the caller's) and waits for it. Returns its exit
// status, or -1 with `error` set to an errno value when it could not be
// started.
int startAndWait(const std::vector<std::string>& arguments, const std::string& directory, HANDLE input,
                 HANDLE output, HANDLE errors, int& error) {
  const std::string program = programFile(arguments[0], directory);
  if (program.empty()) {
    error = ENOENT;
    return -1;
  }
  std::string line = commandLine(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = output;
  startup.hStdError = errors;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    error = startError(GetLastError());
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  const bool ended = GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? static_cast<int>(status) : -1;
}
#else
// Starts the program (looked up on PATH when its name holds no separator)
// with the file actions given and waits for it. Returns its exit status,
// 128 + the signal that ended it, or -1: with `error` set when it could not
// be started.
int startAndWait(const std::vector<std::string>& arguments, const posix_spawn_file_actions_t* actions, int& error) {
  std::vector<std::string> copies(arguments);
  std::vector<char*> argv;
  for (std::string& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  error = posix_spawnp(&child, argv[0], actions, nullptr, argv.data(), environ);
  if (error != 0) return -1;
  int status = 0;
  while (waitpid(child, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}
#endif

std::string notStartedLine(const std::string& program, int error) {
  return "could not start " + program + ": " + std::strerror(error) + "\n";
}

}  // namespace

int runProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  std::fflush(nullptr);
  int error = 0;
#ifdef _WIN32
  // The standard streams are passed on as they stand, redirected or not.
  const int status = startAndWait(arguments, "", reinterpret_cast<HANDLE>(_get_osfhandle(0)),
                                  reinterpret_cast<HANDLE>(_get_osfhandle(1)),
                                  reinterpret_cast<HANDLE>(_get_osfhandle(2)), error);
#else
  const int status = startAndWait(arguments, nullptr, error);
#endif
  if (error != 0) {
    std::fputs(notStartedLine(arguments[0], error).c_str(), stderr);
    std::fflush(stderr);
  }
  return status;
}

int runProgramLogged(const std::vector<std::string>& arguments, const std::string& directory,
                     const std::string& log) {
  if (arguments.empty()) return -1;
  std::fflush(nullptr);
  int error = 0;
#ifdef _WIN32
  SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE output = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (output == INVALID_HANDLE_VALUE) return -1;
  HANDLE input = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  const int status = startAndWait(arguments, directory, input, output, output, error);
  if (error != 0) {
    const std::string line = notStartedLine(arguments[0], error);
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  }
  if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
  CloseHandle(output);
  return status;
#else
  const int output = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (output < 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, output, 1);
  posix_spawn_file_actions_adddup2(&actions, output, 2);
  posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  // The log (closed in the child once copied onto its streams) stays open
  // here for the line saying why a program could not be started.
  const int status = startAndWait(arguments, &actions, error);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    const std::string line = notStartedLine(arguments[0], error);
    [[maybe_unused]] const ssize_t written = write(output, line.data(), line.size());
  }
  close(output);
  return status;
#endif
}

}  // namespace platform
