#pragma once
// How every program of the toolkit stops on an error: a Failure carries the
// one line to print and the stream it belongs on; each main catches it,
// prints it and exits with status 1.

#include <stdexcept>
#include <string>

namespace platform {

enum class Stream { Output, Error };

class Failure : public std::runtime_error {
 public:
  Failure(std::string text, Stream stream) : std::runtime_error(text), stream_(stream) {}
  Stream stream() const { return stream_; }

 private:
  Stream stream_;
};

// A fixed message of the system, printed exactly as given on standard output.
[[noreturn]] void failStdoutExact(const std::string& exactText);
// A message of our own for the user: one line on standard error (the line end
// is added).
[[noreturn]] void failStderrLine(const std::string& line);

// Prints the failure on its stream and returns the exit status 1.
int report(const Failure& failure);

// Runs body and turns a Failure or an allocation failure into the printed
// message and exit status 1. Every main goes through it.
template <typename Body>
int runReportingFailures(Body&& body) {
  try {
    return body();
  } catch (const Failure& failure) {
    return report(failure);
  } catch (const std::bad_alloc&) {
    return report(Failure("allocation failure\n", Stream::Output));
  }
}

}  // namespace platform
