#include "decode/spare_processor.h"

#if defined(__linux__)
#include <sched.h>
#endif

#include <atomic>

namespace {

std::atomic<int> passes_running{0};
std::atomic<int> contexts_held{0};

int usable_processors() {
#if defined(__linux__)
  cpu_set_t set;
  if (sched_getaffinity(0, sizeof set, &set) == 0) return CPU_COUNT(&set);
#endif
  return 1;
}

}  // namespace

spare_processor::spare_processor() {
  const int passes = passes_running.fetch_add(1) + 1;
  const int usable = usable_processors();
  spare_ = passes < usable && contexts_held.load() < usable;
}
spare_processor::~spare_processor() { passes_running.fetch_sub(1); }

held_context::held_context() { contexts_held.fetch_add(1); }
held_context::~held_context() { contexts_held.fetch_sub(1); }
