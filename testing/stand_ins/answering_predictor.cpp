// A stand-in for the SVM predictor, called as the classifier calls it:
// <test data> <model> <output>. In the folder STAND_IN_RECORDS names it
//   appends "run <argument> <argument> ..." to predictor.log, followed by
//     " (<output> already there)" when the output file exists before it answers,
//   keeps a copy of the test data as testDataFile.seen, and
//   answers with the file answers/<the model's file name> copied to the
//     output, or answers/any when there is none for the model; with neither
//     it writes no output.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  const char* records = std::getenv("STAND_IN_RECORDS");
  if (records == nullptr || *records == '\0' || argc != 4) return 1;
  const fs::path folder = records;
  std::error_code error;

  std::string line = "run";
  for (int i = 1; i < argc; ++i) line += std::string(" <") + argv[i] + ">";
  if (fs::exists(argv[3], error)) line += std::string(" (") + argv[3] + " already there)";
  std::ofstream(folder / "predictor.log", std::ios::binary | std::ios::app) << line << "\n";

  fs::copy_file(argv[1], folder / "testDataFile.seen", fs::copy_options::overwrite_existing, error);
  fs::path answer = folder / "answers" / fs::path(argv[2]).filename();
  if (!fs::is_regular_file(answer, error)) answer = folder / "answers" / "any";
  if (fs::is_regular_file(answer, error)) fs::copy_file(answer, argv[3], fs::copy_options::overwrite_existing, error);
  return 0;
}
