// The AHRS high-rate and EIS records as the classic flight path reads them. Every record read
// whole is copied over one working payload that is never cleared, so the bytes past a short
// record's length keep what earlier records of any source left there (where the cache holds
// zeros): a short AHRS or EIS record carries on the bytes of the records before it, and a
// record of two bytes or less is taken as high-rate by a type byte an earlier record left. A
// set-menu record's text ends inside the working payload.
//
// The copy comes before the record's dispatch and the slots take it after, as the classic
// decoder did: the copy's small overlapping stores are long done when a slot reads them back.
#pragma once

#include <cstdint>

#include "decode/summary_record.h"
#include "records/efis_record.h"

class carried_sources {
 public:
  // Every record read whole, known or not, before its dispatch: its bytes over the working payload.
  void copy(const efis_record& record);
  // A record of a known type, after its dispatch: an AHRS high-rate or EIS record into its
  // slot. Returns true when a slot took it.
  bool store(const efis_record& record);

  ahrs_hr_slot& ahrs_hr() { return ahrs_hr_; }
  eis_slot& eis() { return eis_; }

 private:
  std::uint8_t working_[largest_cached_payload] = {};
  ahrs_hr_slot ahrs_hr_;
  eis_slot eis_;
};
