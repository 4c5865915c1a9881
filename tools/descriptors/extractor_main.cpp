// mpeg7DescriptorsExtraction -p <parameter file>
//
// Computes the descriptor that the parameter file selects for every region of
// the image named in "infiles.txt" and writes it to that descriptor's file in
// the current directory.

#include <string>

#include "imaging/failure.h"
#include "tools/descriptors/descriptor_kind.h"
#include "tools/descriptors/extraction.h"
#include "tools/descriptors/xml_writer.h"

int main(int argc, char** argv) {
  return imaging::runReportingFailures([&] {
    using namespace descriptors;
    if (argc != 3 || std::string(argv[1]) != "-p")
      imaging::fail("usage: mpeg7DescriptorsExtraction -p <parameter file>\n");
    const KindInfo& kind = kindInfo(readParameterFile(argv[2]));
    const ListedImage image = readListFile("infiles.txt");
    const imaging::ColourImage pixels = readPixels(image);
    const imaging::GreyImage labels = readLabels(image, pixels.width(), pixels.height());
    const std::vector<Region> regions = findRegions(labels);
    const std::vector<Block> blocks = computeDescriptor(kind.kind, pixels, labels, regions);
    writeFileReplacing(std::string(kind.outputFile),
                       descriptorDocument(kind, regions, blocks, pixels.width(), pixels.height()));
    return 0;
  });
}
