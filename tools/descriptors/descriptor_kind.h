#pragma once
// The four descriptors the extractor computes: what the exchanged-file
// description gives (parameter-file names, output files, sizes) and the names
// the extractor writes into those files.

#include <optional>
#include <string>
#include <string_view>

#include "formats/exchanged_formats.h"

namespace descriptors {

using DescriptorKind = formats::DescriptorKind;

struct KindInfo {
  DescriptorKind kind;
  std::string_view parameterName;   // value of the Descriptor line of a parameter file
  std::string_view outputFile;      // written in the current directory
  std::string_view collectionName;  // the descriptor attribute of the file
  std::string_view typeName;        // the xsi:type of every region's element
  std::string_view valueElement;    // element holding a row of values (HT: its energies)
  int values;                       // per region
  int largest;                      // largest value
};

const KindInfo& kindInfo(DescriptorKind kind);

// The kind whose parameter name is `name`, if any.
std::optional<DescriptorKind> kindNamed(std::string_view name);

// The kind that the parameter file selects. A parameter file is lines of
// "key = value" (blanks around '=' optional); blank lines, lines starting with
// '#' and unknown keys are ignored; the first Descriptor line with a known
// value decides. Stops with "failure in opening file <path>" when the file
// cannot be opened and "no descriptor named in <path>" when no such line exists.
DescriptorKind readParameterFile(const std::string& path);

}  // namespace descriptors
