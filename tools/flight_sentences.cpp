#include "flight_sentences.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

// Whole units of a value, rounded and kept within what the item's digits can show.
long whole(double value, long lo, long hi) { return std::clamp(std::lround(value), lo, hi); }

// Degrees in tenths, 0 to 3599.
long tenths_of_degree(double degrees) {
  const long t = std::lround(degrees * 10.0);
  return ((t % 3600) + 3600) % 3600;
}

std::string coordinate(double value, char positive, char negative, const char* layout) {
  const long hundredths = std::lround(std::fabs(value) * 6000.0);  // hundredths of a minute
  char text[64];
  std::snprintf(text, sizeof text, layout, value < 0.0 ? negative : positive, hundredths / 6000,
                hundredths % 6000 / 100, hundredths % 100);
  return text;
}

std::string nmea_coordinate(double value, int degree_digits) {
  const long ten_thousandths = std::lround(std::fabs(value) * 600000.0);  // 1/10000 of a minute
  char text[64];
  std::snprintf(text, sizeof text, "%0*ld%02ld.%04ld", degree_digits, ten_thousandths / 600000,
                ten_thousandths % 600000 / 10000, ten_thousandths % 10000);
  return text;
}

}  // namespace

std::string aviation_latitude(double latitude) { return coordinate(latitude, 'N', 'S', "%c %02ld %02ld%02ld"); }

std::string aviation_longitude(double longitude) { return coordinate(longitude, 'E', 'W', "%c %03ld %02ld%02ld"); }

std::string aviation_sentence(const gps_report& r, int format) {
  char item[64];
  std::string s = "\x02";
  const auto add = [&s](std::string_view text) {
    s += text;
    s += "\r\n";
  };
  if (format != 3) {
    std::snprintf(item, sizeof item, "z%05ld", whole(r.altitude_ft, 0, 99999));
    add(item);
  }
  s += 'A';
  add(aviation_latitude(r.latitude));
  s += 'B';
  add(aviation_longitude(r.longitude));
  std::snprintf(item, sizeof item, "C%03ld", whole(r.track_deg, 0, 360) % 360);
  add(item);
  std::snprintf(item, sizeof item, "D%03ld", whole(r.ground_speed_kt, 0, 999));
  add(item);
  std::snprintf(item, sizeof item, "E%05ld", whole(r.waypoint_distance_nm * 10.0, 0, 99999));
  add(item);
  std::snprintf(item, sizeof item, "G%c%04ld", r.cross_track_nm > 0.0 ? 'L' : 'R',
                whole(std::fabs(r.cross_track_nm) * 100.0, 0, 9999));
  add(item);
  std::snprintf(item, sizeof item, "I%04ld", tenths_of_degree(r.desired_track_deg));
  add(item);
  std::snprintf(item, sizeof item, "K%-5.5s", r.waypoint.c_str());
  add(item);
  std::snprintf(item, sizeof item, "L%04ld", tenths_of_degree(r.bearing_deg));
  add(item);
  std::snprintf(item, sizeof item, "Q%c%03ld", r.variation_deg < 0.0 ? 'W' : 'E',
                whole(std::fabs(r.variation_deg) * 10.0, 0, 999));
  add(item);
  add("S-----");
  add("T---------");
  std::snprintf(item, sizeof item, "l%06ld", whole(r.destination_distance_nm * 10.0, 0, 999999));
  add(item);
  s += '\x03';
  if (format == 3) s += "\r\n";
  return s;
}

unsigned nmea_checksum(std::string_view body) {
  unsigned sum = 0;
  for (const char c : body) sum ^= static_cast<unsigned char>(c);
  return sum;
}

std::string gprmc_sentence(const gps_report& r) {
  char text[160];
  const int t = r.utc_seconds;
  const char status = r.fix ? 'A' : 'V';
  char hhmmss[48];
  if (r.utc_hundredths >= 0) {
    std::snprintf(hhmmss, sizeof hhmmss, "%02d%02d%02d.%02d", t / 3600, t / 60 % 60, t % 60, r.utc_hundredths % 100);
  } else {
    std::snprintf(hhmmss, sizeof hhmmss, "%02d%02d%02d", t / 3600, t / 60 % 60, t % 60);
  }
  if (r.fix) {
    std::snprintf(text, sizeof text, "GPRMC,%s,%c,%s,%c,%s,%c,%05.1f,%05.1f,%02d%02d%02d,%05.1f,%c", hhmmss, status,
                  nmea_coordinate(r.latitude, 2).c_str(), r.latitude < 0.0 ? 'S' : 'N',
                  nmea_coordinate(r.longitude, 3).c_str(), r.longitude < 0.0 ? 'W' : 'E',
                  std::min(999.9, std::max(0.0, r.ground_speed_kt)),
                  static_cast<double>(tenths_of_degree(r.track_deg)) / 10.0, r.day, r.month, r.year % 100,
                  std::min(99.9, std::fabs(r.variation_deg)), r.variation_deg < 0.0 ? 'W' : 'E');
  } else {
    std::snprintf(text, sizeof text, "GPRMC,%s,%c,,,,,,,%02d%02d%02d,,", hhmmss, status, r.day, r.month, r.year % 100);
  }
  char tail[16];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", nmea_checksum(text));
  std::string sentence = "$";
  sentence += text;
  sentence += tail;
  return sentence;
}
