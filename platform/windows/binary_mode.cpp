// Compiled into every program of the Windows build: files open in binary
// mode unless they ask for text, and so do standard input, output and error,
// so that a program writes the same bytes as on Linux, "\n" line ends
// included (libsvm's model files and our messages alike). Every reader takes
// either line end.

#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

namespace {

struct BinaryMode {
  BinaryMode() {
    _fmode = _O_BINARY;
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
  }
};

const BinaryMode kBinaryMode;

}  // namespace
