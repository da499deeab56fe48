#include "decode/carried_sources.h"

#include <algorithm>

#include "records/short_copy.h"
#include "records/source_type.h"

void carried_sources::copy(const efis_record& record) {
  copy_short(working_, record.payload, std::min<std::size_t>(record.length, sizeof working_));
}

bool carried_sources::store(const efis_record& record) {
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
