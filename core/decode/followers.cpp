#include "decode/followers.h"

#include "decoders/gps/position_rules.h"

void position_source::take_fix(int port, const gps_fix& fix, std::uint32_t t) {
  gave_ = has_position(fix);
  moved_ = false;
  if (!gave_) return;
  latest_[port] = {true, fix.latitude_deg, fix.longitude_deg, t};
  moved_ = port_at(t) == port;
  if (moved_) current_ = latest_[port];
}

void followers::take_fix(int port, const summary_record& cache, std::uint32_t t) {
  const gps_fix& fix = (port == 0 ? cache.gps_1 : cache.gps_2).fix;
  clock.follow_fix(fix, t);
  position.take_fix(port, fix, t);
}

void followers::begin_segment() {
  if (segments.cause() != segment_cause::first) clock.begin_segment(segments.cause() == segment_cause::gap);
  if (!clock.known() && hint_.known()) clock.start_from(hint_);
}
