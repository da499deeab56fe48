#include "decoders/gps/fix.h"

#include <cstdlib>
#include <string_view>

#include "decoders/gps/coordinates.h"
#include "text/char_class.h"

namespace {

// A number kept to the 16 bits of a path point field (modular, as the field's width says).
std::int16_t low_16_bits(int value) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(value)); }

bool holds_number(const char* text) {
  for (const char* p = text; *p != '\0'; ++p) {
    if (is_digit(*p)) return true;
  }
  return false;
}

// n digits of text as a number, or -1 when they are not all digits.
int digits_value(const char* text, int n) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (!is_digit(text[i])) return -1;
    v = v * 10 + (text[i] - '0');
  }
  return v;
}

// The fraction of the second, "25" for .25, in whole milliseconds (a fourth digit is dropped).
int fraction_ms(const char* digits) {
  int ms = 0;
  int scale = 100;
  for (const char* p = digits; *p != '\0' && scale > 0; ++p, scale /= 10) {
    if (!is_digit(*p)) return 0;
    ms += (*p - '0') * scale;
  }
  return ms;
}

// "hhmmss[.fff]" and "ddmmyy" of an RMC sentence.
void read_utc(const gps_nmea_fields& f, gps_fix& fix) {
  const int hour = digits_value(f.utc_time, 2);
  const int minute = hour < 0 ? -1 : digits_value(f.utc_time + 2, 2);
  const int second = minute < 0 ? -1 : digits_value(f.utc_time + 4, 2);
  const int day = digits_value(f.utc_date, 2);
  const int month = day < 0 ? -1 : digits_value(f.utc_date + 2, 2);
  const int yy = month < 0 ? -1 : digits_value(f.utc_date + 4, 2);
  if (second < 0 || yy < 0 || hour > 23 || minute > 59 || second > 60 || month < 1 || month > 12 || day < 1 ||
      day > 31) {
    return;
  }
  fix.has_utc = true;
  fix.utc_ms = utc_seconds_of(yy < 80 ? 2000 + yy : 1900 + yy, month, day, hour, minute, second) * 1000 +
               fraction_ms(f.utc_fraction);
}

}  // namespace

std::int64_t utc_seconds_of(int year, int month, int day, int hour, int minute, int second) {
  // Days from 1970-01-01 of a civil date: the year counted from March, in 400-year eras.
  const int y = month <= 2 ? year - 1 : year;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const std::int64_t days = std::int64_t{era} * 146097 + day_of_era - 719468;
  return days * 86400 + hour * 3600 + minute * 60 + second;
}

gps_fix fix_of(std::int32_t format, const gps_fields& fields) {
  gps_fix fix{};
  if (format == gps_format_aviation || format == gps_format_aviation_stx) {
    const gps_aviation_fields& f = fields.aviation;
    fix.latitude_deg = aviation_latitude_decimal(f.latitude);
    fix.longitude_deg = aviation_longitude_decimal(f.longitude);
    const int altitude = whole_number(f.altitude);
    const int track = whole_number(f.track);
    const int ground_speed = whole_number(f.ground_speed);
    fix.altitude_whole = low_16_bits(altitude);
    fix.track_whole = low_16_bits(track);
    fix.ground_speed_whole = low_16_bits(ground_speed);
    fix.has_altitude = holds_number(f.altitude);
    fix.has_track = holds_number(f.track);
    fix.has_ground_speed = holds_number(f.ground_speed);
    fix.altitude_ft = altitude;
    fix.track_deg = track;
    fix.ground_speed_kt = ground_speed;
    fix.receiver_valid = true;
  } else if (format == gps_format_nmea) {
    const gps_nmea_fields& f = fields.nmea;
    fix.latitude_deg = nmea_latitude_decimal(f.latitude, f.latitude_hemisphere);
    fix.longitude_deg = nmea_longitude_decimal(f.longitude, f.longitude_hemisphere);
    fix.track_whole = low_16_bits(whole_number(f.track));
    fix.ground_speed_whole = low_16_bits(whole_number(f.ground_speed));
    fix.has_track = holds_number(f.track);
    fix.has_ground_speed = holds_number(f.ground_speed);
    fix.track_deg = decimal_number(f.track);
    fix.ground_speed_kt = decimal_number(f.ground_speed);
    fix.receiver_valid = f.status[0] == 'A' || f.status[0] == 'a';
    read_utc(f, fix);
  }
  return fix;
}
