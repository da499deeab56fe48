// One LOG record in memory and the latest-value cache that every pass fills.
//
// A LOG file is records back to back: a source type byte, a big-endian 32-bit timestamp,
// a big-endian 32-bit payload length, then the payload. At most 255 payload bytes are kept.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decoders/gps_state.h"

constexpr std::size_t payload_area_size = 773;  // widest member: the decoded set-menu entry
constexpr std::size_t raw_payload_size = 255;
constexpr std::size_t source_type_desc_size = 255;

struct efis_record {
  std::uint32_t source_type;
  std::uint32_t timestamp;
  std::uint32_t length;
  std::uint8_t payload[payload_area_size];
  std::int32_t swapped;  // 1 once the payload has been put into host byte order
  char source_type_desc[source_type_desc_size];
  std::int32_t selected;
  std::uint8_t raw[raw_payload_size];
};

enum source_type : std::uint32_t {
  source_ahrs = 1,
  source_eis = 2,
  source_gps_1 = 3,
  source_analog = 4,
  source_sl30_1 = 5,
  source_sl30_2 = 6,
  source_set_menu = 7,
  source_state = 8,
  source_arinc = 9,
  source_weather = 10,
  source_gps_2 = 11,
  source_sl40 = 12,
  source_summary = 255,
};

// Payload byte 2 of an AHRS record says what follows.
constexpr std::size_t ahrs_type_offset = 2;
constexpr std::uint8_t ahrs_type_user_cal = 252;
constexpr std::uint8_t ahrs_type_low_rate = 253;
constexpr std::uint8_t ahrs_type_high_rate = 254;

// The latest record of each source. A cached record whose timestamp is 0 was never received.
struct summary_record {
  efis_record eis;
  efis_record ahrs_hr;
  efis_record ahrs_lr;
  efis_record analog;
  gps_composite_state gps_1;
  gps_composite_state gps_2;
};

// Copies the source type name into dest (255 characters) and returns dest.
char* enum_value_source_type(char* dest, std::uint32_t type);

// Puts the payload into host byte order once; the swapped flag makes repeated calls harmless.
efis_record* swapendian_efis_record(efis_record* record);

// Marks the record selected by the options and feeds the latest-value cache.
void process_efis_record(efis_record* record);

// Bytes of the payload area that the decoders of a source type read or write, whatever the
// record's length: the byte-order conversion of a short payload and the decoded set-menu
// fields lie past the bytes read from the file. (Rendering an AHRS record also writes its
// type name further on; clear_efis_record clears that for a selected record.)
std::size_t decoded_payload_extent(std::uint32_t source_type);

// Sets a record that has been read, dispatched and rendered back to all zero, touching only
// the bytes those steps can have written (a whole clear costs more than the rest of a record).
void clear_efis_record(efis_record* record);
