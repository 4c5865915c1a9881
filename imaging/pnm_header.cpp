#include "imaging/pnm_header.h"

#include <filesystem>
#include <system_error>

#include "imaging/pnm.h"
#include "platform/text.h"

namespace imaging {

PnmHeaderFields readPnmHeaderFields(std::FILE* file, LineFeedBeforeField lineFeed) {
  PnmHeaderFields result;
  std::size_t current = 0;
  while (current < result.fields.size()) {
    int c = std::getc(file);
    if (c == EOF) {
      result.problem = "the file ends inside its header";
      return result;
    }
    if (c == '#') {
      while (c != EOF && c != '\n') c = std::getc(file);
      if (c == EOF) {
        result.problem = "the file ends inside its header";
        return result;
      }
      continue;
    }
    std::string& field = result.fields[current];
    if (c == '\n' && field.empty() && lineFeed == LineFeedBeforeField::Skipped) continue;
    if (c == ' ' || c == '\n') {
      ++current;
      continue;
    }
    if (field.size() == kMaxHeaderFieldLength) {
      result.problem = "a header field is longer than 19 characters";
      return result;
    }
    field.push_back(static_cast<char>(c));
  }
  return result;
}

std::string checkPnmHeader(const PnmHeaderFields& fields, const PnmHeaderRules& rules, std::FILE* file,
                           const std::string& path, PnmHeader& header) {
  const auto& f = fields.fields;
  // A carriage return stays inside a field; it ends no magic.
  const std::string magic = f[0].substr(0, f[0].find_last_not_of('\r') + 1);
  if (magic != rules.magic)
    return path + ": not a binary " + (rules.channels == 3 ? "colour" : "grey") + " image (its header starts \"" + f[0] +
           "\", not \"" + rules.magic + "\")";
  header.width = platform::leadingInteger(f[1]);
  header.height = platform::leadingInteger(f[2]);
  header.maxValue = platform::leadingInteger(f[3]);
  const int smallest = rules.emptyImageAllowed ? 0 : 1;
  if (header.width < smallest || header.height < smallest)
    return path + ": the header's width and height must be " + (rules.emptyImageAllowed ? "0 or more" : "positive") +
           " numbers (read \"" + f[1] + "\" and \"" + f[2] + "\")";
  if (header.maxValue < 1 || header.maxValue > rules.largestMaxValue)
    return path + ": the header's maximum value must be 1 to " + std::to_string(rules.largestMaxValue) + " (read \"" +
           f[3] + "\")";
  if (static_cast<std::int64_t>(header.width) * header.height > kMaxPixels)
    return path + ": the image has " + f[1] + " x " + f[2] + " pixels, more than the limit of " +
           std::to_string(kMaxPixels);

  // Compare what the header promises with what the file holds before any
  // buffer is allocated for it.
  const std::uintmax_t needed = static_cast<std::uintmax_t>(header.width) * static_cast<std::uintmax_t>(header.height) *
                                static_cast<std::uintmax_t>(rules.channels * header.bytesPerSample());
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  const long position = std::ftell(file);
  if (!error && position >= 0) {
    const std::uintmax_t held = size > static_cast<std::uintmax_t>(position) ? size - position : 0;
    if (held < needed)
      return path + ": the raster holds " + std::to_string(held) + " bytes, fewer than the " + std::to_string(needed) +
             " of a " + std::to_string(header.width) + " x " + std::to_string(header.height) + " image";
  }
  return "";
}

}  // namespace imaging
