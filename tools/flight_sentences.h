// What the simulated GPS receivers send: the aviation format (items framed by STX and ETX,
// each item a letter, its fixed-width text and CR LF) and the NMEA $GPRMC sentence.
#pragma once

#include <string>
#include <string_view>

struct gps_report {
  double latitude = 0.0;   // degrees, south negative
  double longitude = 0.0;  // degrees, west negative
  double altitude_ft = 0.0;
  double track_deg = 0.0;  // true
  double ground_speed_kt = 0.0;
  double variation_deg = 0.0;  // east positive
  std::string waypoint;        // active waypoint, up to 5 characters
  double waypoint_distance_nm = 0.0;
  double destination_distance_nm = 0.0;
  double cross_track_nm = 0.0;  // left of the course positive
  double desired_track_deg = 0.0;
  double bearing_deg = 0.0;
  bool fix = true;          // a position is known
  int utc_seconds = 0;      // of the day
  int utc_hundredths = -1;  // written after the seconds of the RMC time ("123519.25"); -1: whole seconds only
  int day = 1;
  int month = 1;
  int year = 2000;
};

// One aviation sentence: STX, the items "z" (altitude, format 1 only) and "A" to "l", each
// followed by CR LF, then ETX. Format 3 sources also send CR LF after the ETX.
std::string aviation_sentence(const gps_report& r, int format);

// One "$GPRMC,...*hh\r\n" sentence; without a fix the status is V and the position fields empty.
std::string gprmc_sentence(const gps_report& r);

// The NMEA checksum: exclusive or of the characters between '$' and '*'.
unsigned nmea_checksum(std::string_view body);

// Degrees and hundredths of minutes of a coordinate as the aviation items write it:
// "N 47 2935", "W 122 1256".
std::string aviation_latitude(double latitude);
std::string aviation_longitude(double longitude);
