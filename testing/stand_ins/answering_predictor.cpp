// A stand-in for the SVM predictor: called as the classifier calls it
// (<test data> <model> <output>), it appends each argument as "[argument]"
// on a line of its own to the file STAND_IN_LOG names, and answers 0.5 for
// every line of the test data.

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (const char* logName = std::getenv("STAND_IN_LOG")) {
    if (std::FILE* log = std::fopen(logName, "ab")) {
      for (int i = 1; i < argc; ++i) std::fprintf(log, "[%s]\n", argv[i]);
      std::fclose(log);
    }
  }
  if (argc != 4) return 1;
  std::FILE* testData = std::fopen(argv[1], "rb");
  std::FILE* output = std::fopen(argv[3], "wb");
  if (testData == nullptr || output == nullptr) return 1;
  for (int c = std::fgetc(testData); c != EOF; c = std::fgetc(testData))
    if (c == '\n') std::fputs("0.5\n", output);
  std::fclose(testData);
  return std::fclose(output) == 0 ? 0 : 1;
}
