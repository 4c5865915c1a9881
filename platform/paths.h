#pragma once
// The path separator of the platform and the split of an image argument
// ("images/photo.jpg") into its directory part, file name and base name.

#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr char kPathListSeparator = ';';  // between the folders of PATH
#else
inline constexpr char kSeparator = '/';
inline constexpr char kPathListSeparator = ':';
#endif

// A program's file name as the platform starts it: ".exe" added on Windows.
std::string executableName(const std::string& name);

struct ImageArgument {
  std::string directory;  // up to and including the first separator; empty when there is none
  std::string fileName;   // everything after the first separator
  std::string baseName;   // the file name up to its first dot
};

// Splits at the first separator. Without a separator the whole argument is the
// file name; without a dot the whole file name is the base name. Callers decide
// which forms they accept.
ImageArgument splitImageArgument(const std::string& argument);

}  // namespace platform
