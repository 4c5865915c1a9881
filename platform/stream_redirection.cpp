#include "platform/stream_redirection.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace platform {
namespace {

#ifdef _WIN32
int duplicate(int descriptor) { return _dup(descriptor); }
void duplicateOnto(int from, int to) { _dup2(from, to); }
void closeDescriptor(int descriptor) { _close(descriptor); }
#else
int duplicate(int descriptor) { return dup(descriptor); }
void duplicateOnto(int from, int to) { dup2(from, to); }
void closeDescriptor(int descriptor) { close(descriptor); }
#endif

constexpr int kOutput = 1;
constexpr int kError = 2;

// Sends `target` to the file at `path`; the descriptor to restore it from,
// or -1 when the file cannot be opened.
int redirect(int target, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return -1;
  const int saved = duplicate(target);
  duplicateOnto(fileno(file), target);
  std::fclose(file);
  return saved;
}

void restore(int saved, int target) {
  if (saved < 0) return;
  duplicateOnto(saved, target);
  closeDescriptor(saved);
}

}  // namespace

const char* StreamRedirection::nullDevice() {
#ifdef _WIN32
  return "NUL";
#else
  return "/dev/null";
#endif
}

StreamRedirection::StreamRedirection(const std::string& path, Streams streams) {
  std::fflush(stdout);
  std::fflush(stderr);
  std::FILE* file = std::fopen(path.c_str(), "w");
  if (file == nullptr) return;
  const int target = fileno(file);
  if (streams == OutputAndError) {
    savedOutput_ = duplicate(kOutput);
    duplicateOnto(target, kOutput);
  }
  savedError_ = duplicate(kError);
  duplicateOnto(target, kError);
  std::fclose(file);
}

StreamRedirection::StreamRedirection(const std::string& outputPath, const std::string& errorPath) {
  std::fflush(stdout);
  std::fflush(stderr);
  savedOutput_ = redirect(kOutput, outputPath);
  savedError_ = redirect(kError, errorPath);
}

StreamRedirection::~StreamRedirection() {
  std::fflush(stdout);
  std::fflush(stderr);
  restore(savedOutput_, kOutput);
  restore(savedError_, kError);
}

}  // namespace platform
