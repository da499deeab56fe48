// What the dispatch of one record did: whether the options select it, which cache slot it
// filled, which GPS port it completed a fix on, and whether it was shorter than the layout its
// slot reads. The read loop hands it to the followers and to every pass step with the record,
// so no step works any of it out again from counters or payload bytes.
#pragma once

#include <cstdint>

// The latest-value cache's slots a record can fill.
enum class cache_slot : std::uint8_t { none, eis, ahrs_high_rate, ahrs_low_rate, analog, set_menu };

// Four bytes, handed back in a register.
struct record_effect {
  bool selected = false;               // the options select the record for the report
  cache_slot slot = cache_slot::none;  // the slot it filled
  std::int8_t new_fix_port = -1;       // 0 GPS 1, 1 GPS 2: the port accepted a sentence; -1 none
  bool short_record = false;           // shorter than its slot's layout: the slot holds what it reached
};
static_assert(sizeof(record_effect) == 4);
