#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <process.h>
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
// The C runtime joins the arguments with blanks into one command line, which
// the started program splits again; quote each argument so that it comes back
// whole (backslashes before a quote are doubled, quotes escaped).
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
#endif

}  // namespace

int runProgram(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return -1;
  std::fflush(nullptr);

#ifdef _WIN32
  std::vector<std::string> quotedArguments;
  for (const std::string& argument : arguments) quotedArguments.push_back(quoted(argument));
  std::vector<const char*> argv;
  for (const std::string& argument : quotedArguments) argv.push_back(argument.c_str());
  argv.push_back(nullptr);
  errno = 0;
  const intptr_t status = _spawnvp(_P_WAIT, arguments[0].c_str(), argv.data());
  if (status == -1) {
    reportNotStarted(arguments[0], errno);
    return -1;
  }
  return static_cast<int>(status);
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
  int status = 0;
  while (waitpid(child, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
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
  int status = 0;
  while (waitpid(child, &status, 0) == -1) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
#endif
}

}  // namespace platform
