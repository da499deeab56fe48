#include "text/decode_time.h"

#include <cstring>
#include <ctime>

decode_time_text current_decode_time() {
  decode_time_text now{};
  const std::time_t t = std::time(nullptr);
  char buffer[64] = {};
  if (ctime_r(&t, buffer) != nullptr) std::memcpy(now.text, buffer, 24);
  return now;
}
