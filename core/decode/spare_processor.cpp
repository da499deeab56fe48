#include "decode/spare_processor.h"

#if defined(__linux__)
#include <sched.h>
#endif

#include <atomic>

namespace {

std::atomic<int> passes_running{0};

int usable_processors() {
#if defined(__linux__)
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
#endif
  return 1;
}

}  // namespace

spare_processor::spare_processor() : spare_(passes_running.fetch_add(1) + 1 < usable_processors()) {}
spare_processor::~spare_processor() { passes_running.fetch_sub(1); }
