#pragma once
// Readers of the four region descriptor files. The files are XML, but they
// are not parsed as XML: each reader walks its file with a fixed sequence of
// "skip to X" and "read to X" steps, X being "<", ">" or a blank, and turns
// the chunks it reads into whole numbers. Block j of a file belongs to region j.

#include <string>
#include <vector>

namespace classification {

enum class DescriptorKind { HomogeneousTexture, EdgeHistogram, RegionShape, ScalableColour };

// Values of one region in a file of this kind: 62, 80, 35 or 256.
int valuesPerBlock(DescriptorKind kind);

// "./descriptors/" + image name + ".HT.xml" / ".EH.xml" / ".RS.xml" / ".SC.xml".
std::string descriptorPath(const std::string& imageName, DescriptorKind kind);

// Every value of every block of the file, unscaled, block after block. Stops
// the run with "failure in reading file <path>\n" when the file is missing,
// ends before its last block is closed, holds a chunk longer than 799
// characters, or a number that does not fit a 32-bit integer.
std::vector<double> readDescriptorFile(const std::string& path, DescriptorKind kind);

// The readers for one image: the file of their kind under ./descriptors/.
std::vector<double> readHT(const std::string& imageName);
std::vector<double> readEH(const std::string& imageName);
std::vector<double> readRS(const std::string& imageName);
std::vector<double> readSC(const std::string& imageName);

}  // namespace classification
