// Per-port GPS state: the sentence being assembled and the fields of the last accepted fix.
// Every text field is NUL-terminated and sized for its longest text plus the terminator.
#pragma once

#include <cstdint>

#include "orvexdecode.h"

constexpr int gps_sentence_size = 2048;

// Sentence formats of a port; any other value leaves the port's records unassembled.
constexpr std::int32_t gps_format_aviation = ORVEX_GPS_FORMAT_AVIATION;  // sentence at the buffer start, altitude item
constexpr std::int32_t gps_format_nmea = ORVEX_GPS_FORMAT_NMEA;          // one RMC sentence per record
constexpr std::int32_t gps_format_aviation_stx =
    ORVEX_GPS_FORMAT_AVIATION_STX;  // sentence found by its STX, no altitude

constexpr bool is_gps_format(std::int32_t format) {
  return format == gps_format_aviation || format == gps_format_nmea || format == gps_format_aviation_stx;
}

// One aviation-format sentence (formats 1 and 3); the item letter introduces each field.
struct gps_aviation_fields {
  char altitude[7];         // z
  char latitude[11];        // A
  char longitude[12];       // B
  char track[5];            // C
  char ground_speed[5];     // D
  char dist_to_wpt[7];      // E
  char item_g[7];           // G
  char desired_track[6];    // I
  char wpt_ident[7];        // K
  char bearing_to_wpt[6];   // L
  char mag_variation[6];    // Q
  char nav_flag[7];         // S
  char warning_status[11];  // T
  char wpt_dist[8];         // l
};

// One RMC sentence (format 2). The buffers are wide enough for what real receivers send:
// latitude and longitude up to 12 characters, speed, track and variation up to 10.
struct gps_nmea_fields {
  char utc_time[10];     // hhmmss
  char utc_fraction[5];  // the digits after hhmmss. (relaxed reading only; no report shows them)
  char status[2];
  char latitude[13];
  char latitude_hemisphere[2];
  char longitude[13];
  char longitude_hemisphere[2];
  char ground_speed[11];
  char track[11];
  char utc_date[7];
  char mag_variation[11];
  char mag_variation_direction[2];
  char checksum[6];
};

union gps_fields {
  gps_aviation_fields aviation;
  gps_nmea_fields nmea;
};

// The numbers of one accepted sentence, worked out once when it is accepted.
struct gps_fix {
  // Position as the report and the flight path use it: 32-bit float degrees, south and west
  // negative (0 when the text holds no number).
  float latitude_deg;
  float longitude_deg;
  // The whole-number texts kept to 16 bits, as the flight path holds them: the aviation altitude
  // item (0 with NMEA), the track and the ground speed.
  std::int16_t altitude_whole;
  std::int16_t track_whole;
  std::int16_t ground_speed_whole;
  // Decimal values for figures and exports, where the sentence carries them.
  bool has_altitude;  // the aviation altitude item, feet
  bool has_track;
  bool has_ground_speed;
  double altitude_ft;
  double track_deg;
  double ground_speed_kt;
  // NMEA: the receiver's status letter says the fix is valid ('A'); aviation sentences say
  // nothing and count as valid.
  bool receiver_valid;
  // NMEA date and time of the fix, as milliseconds since 1970-01-01 UTC, with the fraction of the
  // second where the sentence gives one (two-digit years are 2000-2079 or 1980-1999).
  bool has_utc;
  std::int64_t utc_ms;
};

struct gps_composite_state {
  char sentence[gps_sentence_size];
  std::int32_t write_position;
  // NMEA: the length of the sentence the buffer holds; zeros follow it.
  std::int32_t sentence_length;
  gps_fields fields;
  std::int32_t format;  // 1 aviation, 2 NMEA, 3 aviation framed by STX; other: ignored
  gps_fix fix;          // the numbers of the last accepted sentence
  std::uint64_t sentences_accepted;
  std::uint64_t sentences_rejected;
  bool buffer_full;  // the aviation buffer filled without an ETX: the port stores no more
};
