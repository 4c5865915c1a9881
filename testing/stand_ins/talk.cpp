// A stand-in outside program for the tests of logged starts: writes its
// working directory and "out" on standard output, "err" on standard error,
// copies its standard input to standard output, writes every argument after
// the first as "[argument]", one a line, and ends with the exit status the
// first argument gives. Each line is written out at once, so both streams
// going to one file keep this order.

#include <cstdio>
#include <cstdlib>
#include <filesystem>

int main(int argc, char** argv) {
  std::printf("%s\nout\n", std::filesystem::current_path().string().c_str());
  std::fflush(stdout);
  std::fputs("err\n", stderr);
  std::fflush(stderr);
  for (int c = std::getchar(); c != EOF; c = std::getchar()) std::putchar(c);
  for (int i = 2; i < argc; ++i) std::printf("[%s]\n", argv[i]);
  return argc > 1 ? std::atoi(argv[1]) : 0;
}
