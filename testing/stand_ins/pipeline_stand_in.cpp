// A stand-in for the outside programs Ferrow starts, acting as the one whose
// name it is installed under (convert, Zorvik, mpeg7DescriptorsExtraction).
// Each run appends what it was called with to the file STAND_IN_LOG names:
// one line, the program as called and then every argument in brackets.
//   convert ... ppm:<output>          writes a 4 x 3 black PPM to <output>
//   Zorvik <in> <out> <name> ...      writes a 4 x 3 label file <out>/<name>.seg of regions 0 and 3
//   mpeg7DescriptorsExtraction -p <parameter file>
//                                     writes the kind's output file, "<output> of <infiles.txt>"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "formats/exchanged_formats.h"

namespace {

bool writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

std::string readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  if (const char* logName = std::getenv("STAND_IN_LOG")) {
    std::string line = arguments[0];
    for (std::size_t i = 1; i < arguments.size(); ++i) line += " [" + arguments[i] + "]";
    std::ofstream(logName, std::ios::binary | std::ios::app) << line << "\n";
  }
  const std::string name = std::filesystem::path(arguments[0]).stem().string();
  if (name == "convert" && arguments.size() == 5 && arguments[4].rfind("ppm:", 0) == 0) {
    std::puts("converting");
    return writeBytes(arguments[4].substr(4), "P6\n4 3\n255\n" + std::string(36, '\0')) ? 0 : 1;
  }
  if (name == "Zorvik" && arguments.size() == 10) {
    const std::string labels("\0\3\3\0\0\0\3\3\0\3\0\0", 12);
    return writeBytes(arguments[2] + "/" + arguments[3] + ".seg", "P5\n# Created by qlix\n4 3\n255\n" + labels) ? 0 : 1;
  }
  if (name == "mpeg7DescriptorsExtraction" && arguments.size() == 3) {
    for (const formats::DescriptorFormat& format : formats::kDescriptorFormats) {
      if (arguments[2] != format.parameterFile) continue;
      const std::string output(format.extractorOutput);
      return writeBytes(output, output + " of " + readBytes("infiles.txt")) ? 0 : 1;
    }
  }
  std::fprintf(stderr, "stand-in %s: unexpected call\n", name.c_str());
  return 1;
}
