#include "platform/failure.h"

#include <cstdio>

namespace platform {

void failStdoutExact(const std::string& exactText) { throw Failure(exactText, Stream::Output); }

void failStderrLine(const std::string& line) { throw Failure(line + "\n", Stream::Error); }

int report(const Failure& failure) {
  std::FILE* stream = failure.stream() == Stream::Output ? stdout : stderr;
  std::fputs(failure.what(), stream);
  std::fflush(stream);
  return 1;
}

}  // namespace platform
