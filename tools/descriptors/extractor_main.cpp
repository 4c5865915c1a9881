// mpeg7DescriptorsExtraction -p <parameter file>
//
// Computes the descriptor that the parameter file selects for every region of
// the image named in "infiles.txt" and writes it to that descriptor's file in
// the current directory.

#include <string>

#include "platform/failure.h"
#include "tools/descriptors/extraction.h"

int main(int argc, char** argv) {
  return platform::runReportingFailures([&] {
    if (argc != 3 || std::string(argv[1]) != "-p")
      platform::failStdoutExact("usage: mpeg7DescriptorsExtraction -p <parameter file>\n");
    descriptors::extractDescriptor(argv[2]);
    return 0;
  });
}
