#pragma once
// Photos as users have them, made ready for the chain in this process with
// ImageMagick's library: the first frame, turned upright by its orientation
// tag, transparency flattened onto white, brought to 8 bits per channel,
// scaled down (never up) to a longest side, stripped of its profiles and
// written as a binary PPM. The steps and their order are those of
//   convert -regard-warnings 'photo[0]' -auto-orient -background white
//     -alpha remove -alpha off -depth 8 -resize 'NxN>' -strip photo.ppm
// and the PPM holds the same bytes as that command's.

#include <stdexcept>
#include <string>

namespace collection {

// The image library, started for the life of the object (one per process,
// before the first photo). Each process runs one job of a batch that keeps
// every core busy already, so the library works on one thread.
class ImageLibrary {
 public:
  explicit ImageLibrary(const char* programPath);
  ~ImageLibrary();
  ImageLibrary(const ImageLibrary&) = delete;
  ImageLibrary& operator=(const ImageLibrary&) = delete;
};

// A photo the library cannot read or convert, or one it warns about; the
// text is the library's message as the command-line converter prints it:
// "convert: <reason>."
class NormaliseFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct PhotoSizes {
  int originalWidth = 0;  // as stored, before turning it upright
  int originalHeight = 0;
  int width = 0;  // of the PPM written
  int height = 0;
};

// Normalises `source` into `ppm` (replaced when present). `longerSide` 0
// keeps the photo's size. In a failure message `source` is named as
// `shownName`. Throws NormaliseFailure, or platform::Failure when the PPM
// cannot be written.
PhotoSizes normalisePhoto(const std::string& source, const std::string& shownName, const std::string& ppm,
                          int longerSide);

}  // namespace collection
