#include "tools/svm/concept_list_file.h"

#include <fstream>

#include "platform/failure.h"

namespace svm_tools {

void writeConceptList(const std::string& path, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    // The list's items end at ";", so a name cannot hold one.
    if (name.find(';') != std::string::npos) platform::failStderrLine("a concept name cannot hold ';': " + name);
  }
  std::ofstream out(path, std::ios::binary);
  out << "concepts=" << names.size() << ";\n";
  for (const std::string& name : names) out << "concept=" << name << ";\n";
  out.close();
  if (!out) platform::failStderrLine("cannot write the concept list " + path);
}

}  // namespace svm_tools
