// libFuzzer target: arbitrary bytes as a LOG through every entry point (see log_checks.h).
// A failed check aborts, so libFuzzer keeps the input as a crash.
#include <cstdio>
#include <cstdlib>

#include "fuzz/log_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string failure = check_every_entry_point(data, size);
  if (!failure.empty()) {
    std::fprintf(stderr, "LOG check failed: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}
