#include "platform/paths.h"

namespace platform {

std::string executableName(const std::string& name) {
#ifdef _WIN32
  return name + ".exe";
#else
  return name;
#endif
}

ImageArgument splitImageArgument(const std::string& argument) {
  ImageArgument parts;
  const std::size_t separator = argument.find(kSeparator);
  if (separator == std::string::npos) {
    parts.fileName = argument;
  } else {
    parts.directory = argument.substr(0, separator + 1);
    parts.fileName = argument.substr(separator + 1);
  }
  parts.baseName = parts.fileName.substr(0, parts.fileName.find('.'));
  return parts;
}

}  // namespace platform
