#include "loss_warnings.h"

#include <cinttypes>
#include <cstdio>

namespace {

constexpr std::uint64_t skip_worth_telling = 1'000'000;

}  // namespace

void print_loss_warnings(const orvex_log_health& health, const char* path_document) {
  if (health.largest_skip > skip_worth_telling) {
    std::fprintf(stderr,
                 "warning: a damaged record length at byte %" PRIu64 " made the reader skip %" PRIu64
                 " bytes of the LOG\n",
                 health.largest_skip_offset, health.largest_skip);
  }
  for (int port = 0; port < 2; ++port) {
    if (health.gps_sentence_buffer_full[port] != 0) {
      std::fprintf(stderr,
                   "warning: GPS %d filled its 2048-byte sentence buffer without an end of sentence; "
                   "nothing more of that port was read\n",
                   port + 1);
    }
  }
  if (path_document != nullptr && health.path_point_limit_reached != 0) {
    std::fprintf(stderr, "warning: the flight path reached its limit of 8192 points; the %s ends there\n",
                 path_document);
  }
}

const char* not_a_log_reason(const orvex_log_health& health) {
  if (health.input_error != 0) return nullptr;
  if (health.bytes_read == 0) return "empty";
  return health.records_read == health.unknown_source_records ? "no record could be read" : nullptr;
}
