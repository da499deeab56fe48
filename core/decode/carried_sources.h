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

#include <algorithm>
#include <cstdint>

#include "decode/summary_record.h"
#include "records/efis_record.h"
#include "records/short_copy.h"
#include "records/source_type.h"

class carried_sources {
 public:
  // Every record read whole, known or not, before its dispatch: its bytes over the working payload.
  void copy(const efis_record& record) {
    copy_short(working_, record.payload, std::min<std::size_t>(record.length, sizeof working_));
  }

  // A record of a known type, after its dispatch: an AHRS high-rate or EIS record into its
  // slot. Returns true when a slot took it.
  bool store(const efis_record& record) {
    const payload_image_source image{working_, sizeof working_};
    if (record.source_type == source_ahrs && ahrs_type_of(working_) == ahrs_type_high_rate) {
      ahrs_hr_.store(record.timestamp, record.length, image);
      return true;
    }
    if (record.source_type == source_eis) {
      eis_.store(record.timestamp, record.length, image);
      return true;
    }
    if (record.source_type == source_set_menu && record.length < sizeof working_) working_[record.length] = 0;
    return false;
  }

  ahrs_hr_slot& ahrs_hr() { return ahrs_hr_; }
  eis_slot& eis() { return eis_; }

 private:
  std::uint8_t working_[largest_cached_payload] = {};
  ahrs_hr_slot ahrs_hr_;
  eis_slot eis_;
};
