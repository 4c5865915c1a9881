// A stand-in for the outside programs Ferrow starts, acting as the one whose
// name it is installed under (convert, Zorvik, mpeg7DescriptorsExtraction).
// Where the folder STAND_IN_RECORDS names is set, each run appends what it
// was called with to calls.log there: one line, the program as called and
// then every argument in brackets.
//   convert ... ppm:<output>          prints "converting", writes a 4 x 3 black PPM to <output>
//   Zorvik <in> <out> <name> ...      writes a 4 x 3 label file <out>/<name>.seg of regions 0 and 3
//   mpeg7DescriptorsExtraction -p <parameter file>
//                                     writes the kind's output file, "<output> of <infiles.txt>",
//                                     and appends "<infiles.txt>|" to lists.log in STAND_IN_RECORDS
//                                     (a missing parameter file is noted in calls.log)
// STAND_IN_FAULT "<program> <fault>" makes that program misbehave instead:
//   convert fails                     a message on standard error, exit status 1
//   Zorvik cut-short                  a label file whose raster ends after 3 bytes
//   Zorvik other-size                 a complete label file of 2 x 1 pixels
//   mpeg7DescriptorsExtraction writes-nothing
//                                     no output file, exit status 0

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

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Appends to a file in the records folder, when there is one.
void record(const std::string& file, const std::string& text) {
  const std::string folder = variable("STAND_IN_RECORDS");
  if (!folder.empty()) std::ofstream(std::filesystem::path(folder) / file, std::ios::binary | std::ios::app) << text;
}

int zorvik(const std::vector<std::string>& arguments, const std::string& fault) {
  if (arguments.size() != 10) return 1;
  const std::string labelFile = arguments[2] + "/" + arguments[3] + ".seg";
  if (fault == "cut-short") return writeBytes(labelFile, "P5\n4 3\n255\nabc") ? 0 : 1;
  if (fault == "other-size") return writeBytes(labelFile, "P5\n2 1\n255\nab") ? 0 : 1;
  const std::string labels("\0\3\3\0\0\0\3\3\0\3\0\0", 12);
  return writeBytes(labelFile, "P5\n# Created by qlix\n4 3\n255\n" + labels) ? 0 : 1;
}

int extractor(const std::vector<std::string>& arguments, const std::string& fault) {
  if (arguments.size() != 3 || arguments[1] != "-p") return 1;
  std::error_code error;
  if (!std::filesystem::is_regular_file(arguments[2], error))
    record("calls.log", "no parameter file " + arguments[2] + "\n");
  const std::string list = readBytes("infiles.txt");
  record("lists.log", list + "|");
  if (fault == "writes-nothing") return 0;
  for (const formats::DescriptorFormat& format : formats::kDescriptorFormats) {
    if (arguments[2] != format.parameterFile) continue;
    const std::string output(format.extractorOutput);
    return writeBytes(output, output + " of " + list) ? 0 : 1;
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv, argv + argc);
  std::string line = arguments[0];
  for (std::size_t i = 1; i < arguments.size(); ++i) line += " [" + arguments[i] + "]";
  record("calls.log", line + "\n");

  const std::string name = std::filesystem::path(arguments[0]).stem().string();
  const std::string fault = variable("STAND_IN_FAULT");
  const std::string ownFault = fault.rfind(name + " ", 0) == 0 ? fault.substr(name.size() + 1) : "";
  int status = 1;
  if (name == "convert") {
    if (ownFault == "fails") {
      std::fputs("convert: no decode delegate\n", stderr);
      return 1;
    }
    std::puts("converting");
    if (arguments.size() == 5 && arguments[4].rfind("ppm:", 0) == 0)
      status = writeBytes(arguments[4].substr(4), "P6\n4 3\n255\n" + std::string(36, '\0')) ? 0 : 1;
  } else if (name == "Zorvik") {
    status = zorvik(arguments, ownFault);
  } else if (name == "mpeg7DescriptorsExtraction") {
    status = extractor(arguments, ownFault);
  }
  if (status != 0) std::fprintf(stderr, "stand-in %s: unexpected call\n", name.c_str());
  return status;
}
