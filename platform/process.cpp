#include "platform/process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <process.h>
#else
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

}  // namespace platform
