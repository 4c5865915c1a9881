#include "collection/normalise.h"

#include <Magick++.h>

#include <string_view>

#include "platform/replacing_file.h"

namespace collection {
namespace {

// "<client>: <reason> (<description>)" from the library becomes the line the
// command-line converter prints for the same failure, the photo named as
// `shownName` instead of `source`.
std::string converterMessage(const std::string& libraryText, const std::string& source, const std::string& shownName) {
  const std::string client = std::string(MagickCore::GetClientName()) + ": ";
  std::string reason = libraryText.rfind(client, 0) == 0 ? libraryText.substr(client.size()) : libraryText;
  for (std::size_t at = reason.find(source); at != std::string::npos; at = reason.find(source, at + shownName.size()))
    reason.replace(at, source.size(), shownName);
  return "convert: " + reason + ".";
}

}  // namespace

ImageLibrary::ImageLibrary(const char* programPath) {
  Magick::InitializeMagick(programPath);
  Magick::ResourceLimits::thread(1);
}

ImageLibrary::~ImageLibrary() { Magick::TerminateMagick(); }

PhotoSizes normalisePhoto(const std::string& source, const std::string& shownName, const std::string& ppm,
                          int longerSide) {
  PhotoSizes sizes;
  try {
    Magick::Image image;
    image.read(source + "[0]");
    sizes.originalWidth = static_cast<int>(image.columns());
    sizes.originalHeight = static_cast<int>(image.rows());
    image.autoOrient();
    image.backgroundColor(Magick::Color("white"));
    image.alphaChannel(MagickCore::RemoveAlphaChannel);
    image.alphaChannel(MagickCore::DeactivateAlphaChannel);
    // The converter's -depth rounds the pixels to 8 bits before the scaling;
    // Image::depth would only mark the depth.
    image.modifyImage();
    if (MagickCore::SetImageDepth(image.image(), 8) == MagickCore::MagickFalse)
      throw NormaliseFailure("convert: cannot bring the photo to 8 bits per channel.");
    if (longerSide > 0) {
      const std::string side = std::to_string(longerSide);
      image.resize(Magick::Geometry(side + 'x' + side + '>'));
    }
    image.strip();
    // Written through memory: the library would read "%d" and the like in a
    // file name as placeholders.
    Magick::Blob bytes;
    image.write(&bytes, "PPM");
    platform::replaceFile(ppm, std::string_view(static_cast<const char*>(bytes.data()), bytes.length()),
                          platform::WriteReport::OwnLine);
    sizes.width = static_cast<int>(image.columns());
    sizes.height = static_cast<int>(image.rows());
  } catch (const Magick::Exception& failure) {
    throw NormaliseFailure(converterMessage(failure.what(), source, shownName));
  }
  return sizes;
}

}  // namespace collection
