// The LOG of a fuzz input as a read-only, seekable stream. chunked: each read hands over only 1
// to 7 bytes, in a cycle that starts where the first byte says, so the decoder meets every way
// a record can be split.
#pragma once

#include <sys/types.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

struct log_source {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t pos = 0;
  bool chunked = false;
  unsigned next_chunk = size > 0 ? data[0] % 7u + 1 : 1u;
};

inline ssize_t read_log(void* cookie, char* buf, std::size_t size) {
  auto* s = static_cast<log_source*>(cookie);
  std::size_t n = std::min(size, s->size - s->pos);
  if (s->chunked && n > 0) {
    n = std::min<std::size_t>(n, s->next_chunk);
    s->next_chunk = s->next_chunk % 7 + 1;
  }
  std::memcpy(buf, s->data + s->pos, n);
  s->pos += n;
  return static_cast<ssize_t>(n);
}

inline int seek_log(void* cookie, off64_t* offset, int whence) {
  auto* s = static_cast<log_source*>(cookie);
  const off64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<off64_t>(s->pos) : static_cast<off64_t>(s->size);
  const off64_t to = base + *offset;
  if (to < 0 || to > static_cast<off64_t>(s->size)) return -1;
  s->pos = static_cast<std::size_t>(to);
  *offset = to;
  return 0;
}

inline FILE* open_log(log_source& source) {
  return fopencookie(&source, "rb", cookie_io_functions_t{read_log, nullptr, seek_log, nullptr});
}
