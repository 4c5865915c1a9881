#pragma once
// The segmenter's progress text. It goes to standard output in a run and
// into a string in tests, so a test can compare the whole log.

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>

namespace segmentation {

class Log {
 public:
  // Writes to `stream` (standard output in a run).
  explicit Log(std::FILE* stream) : stream_(stream) {}
  // Collects the text; read it with text().
  Log() = default;

  void print(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char buffer[512];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (length < 0) return;
    write(std::string(buffer, static_cast<std::size_t>(std::min<int>(length, sizeof buffer - 1))));
  }

  void write(const std::string& text) {
    if (stream_ != nullptr)
      std::fputs(text.c_str(), stream_);
    else
      text_ += text;
  }

  const std::string& text() const { return text_; }

 private:
  std::FILE* stream_ = nullptr;
  std::string text_;
};

}  // namespace segmentation
