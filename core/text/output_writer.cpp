#include "text/output_writer.h"

#include <algorithm>
#include <cstring>

#include "text/xml_escape.h"

void output_writer::attach(FILE* stream) {
  stream_ = stream;
  text_ = nullptr;
  used_ = 0;
  failed_ = false;
}

void output_writer::attach(std::string& text) {
  attach(nullptr);
  text_ = &text;
}

void output_writer::drain() {
  if (used_ != 0 && !failed_) {
    if (text_ != nullptr) {
      text_->append(buffer_, used_);
    } else if (stream_ == nullptr || std::fwrite(buffer_, 1, used_, stream_) != used_) {
      failed_ = true;
    }
  }
  used_ = 0;
}

void output_writer::put(const char* data, std::size_t size) {
  while (size > 0) {
    if (used_ == buffer_size) drain();
    const std::size_t n = std::min(size, buffer_size - used_);
    std::memcpy(buffer_ + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
  }
}

int output_writer::escaped(std::string_view s) {
  // Escape in slices small enough to expand in place at the end of the buffer.
  constexpr std::size_t slice = 1024;
  std::size_t written = 0;
  while (!s.empty()) {
    const std::string_view part = s.substr(0, slice);
    if (buffer_size - used_ < part.size() * xml_escape_max_expansion) drain();
    const std::size_t n = xml_escape(part, buffer_ + used_);
    used_ += n;
    written += n;
    s.remove_prefix(part.size());
  }
  return status(written);
}

int output_writer::flush() {
  drain();
  if (stream_ != nullptr && !failed_ && std::fflush(stream_) != 0) failed_ = true;
  if (stream_ != nullptr && std::ferror(stream_)) failed_ = true;
  return failed_ ? -1 : 0;
}
