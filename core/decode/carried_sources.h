// The AHRS high-rate and EIS records as the classic flight path reads them. Every record read
// whole is copied over one working payload that is never cleared, so the bytes past a short
// record's length keep what earlier records of any source left there (where the cache holds
// zeros): a short AHRS or EIS record carries on the bytes of the records before it, and a
// record of two bytes or less is taken as high-rate by a type byte an earlier record left. A
// set-menu record's text ends inside the working payload.
#pragma once

#include <cstdint>

#include "decode/summary_record.h"
#include "records/efis_record.h"

class carried_sources {
 public:
  // A record read whole, of any type, after its dispatch. Returns true when a slot took it.
  bool take(const efis_record& record);

  ahrs_hr_slot& ahrs_hr() { return ahrs_hr_; }
  eis_slot& eis() { return eis_; }

 private:
  std::uint8_t working_[largest_cached_payload] = {};
  ahrs_hr_slot ahrs_hr_;
  eis_slot eis_;
};
