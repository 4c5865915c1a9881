#pragma once
// Readers of the four region descriptor files. The files are XML, but they
// are not parsed as XML: each reader walks its file with a fixed sequence of
// "skip to X" and "read to X" steps, X being "<", ">" or a blank, and turns
// the chunks it reads into whole numbers. Block j of a file belongs to region j.

#include <string>
#include <vector>

#include "formats/exchanged_formats.h"

namespace classification {

using formats::DescriptorKind;

// "./descriptors/" + image name + the kind's suffix (".HT.xml", ...).
std::string descriptorPath(const std::string& imageName, DescriptorKind kind);

// Every value of every block of the file, unscaled, block after block. Stops
// the run with "failure in reading file <path>\n" when the file is missing,
// ends before its last block is closed, holds a chunk longer than 799
// characters, or a number that does not fit a 32-bit integer.
std::vector<double> readDescriptorFile(const std::string& path, DescriptorKind kind);

// The file of the kind for one image: readDescriptorFile(descriptorPath(...)).
std::vector<double> readDescriptors(const std::string& imageName, DescriptorKind kind);

}  // namespace classification
