// The one buffered writer through which every document leaves the library.
//
// Lines are formatted with compile-time {fmt} patterns straight into a large buffer that goes
// to the stream in big blocks. A failed write is remembered: the writer then drops the rest
// and reports -1 from every later call, so the caller can tell at the end of the pass.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>

#include <fmt/compile.h>
#include <fmt/format.h>

class output_writer {
 public:
  static constexpr std::size_t buffer_size = 1 << 16;

  // Starts writing to stream with an empty buffer and a clean error state.
  void attach(FILE* stream);

  // Formats one piece of the document; returns the number of characters, or -1 after a failure.
  template <typename Format, typename... Args>
  int line(const Format& format, const Args&... args) {
    const std::size_t room = buffer_size - used_;
    const auto result = fmt::format_to_n(buffer_ + used_, room, format, args...);
    if (result.size <= room) {
      used_ += result.size;
      return status(result.size);
    }
    // Too long for what is left: flush and write it whole through a temporary buffer.
    fmt::memory_buffer long_line;
    fmt::format_to(fmt::appender(long_line), format, args...);
    return text(std::string_view(long_line.data(), long_line.size()));
  }

  // Writes text as it is.
  int text(std::string_view s);

  // Writes free text escaped for XML content and attribute values.
  int escaped(std::string_view s);

  // Hands the buffer to the stream and flushes it; returns 0, or -1 if any write failed.
  int flush();

  bool failed() const { return failed_; }

 private:
  int status(std::size_t written) const { return failed_ ? -1 : static_cast<int>(written); }
  void put(const char* data, std::size_t size);
  void drain();

  FILE* stream_ = nullptr;
  std::size_t used_ = 0;
  bool failed_ = false;
  char buffer_[buffer_size];
};
