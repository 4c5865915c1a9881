// A stand-in outside program for the tests of starting programs: appends
// every argument after the first, each as "[argument]" on a line of its own,
// to the file the first argument names, so a test sees exactly what arrived.

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::FILE* log = std::fopen(argv[1], "ab");
  if (log == nullptr) return 2;
  for (int i = 2; i < argc; ++i) std::fprintf(log, "[%s]\n", argv[i]);
  return std::fclose(log) == 0 ? 0 : 2;
}
