// The two readings of an RMC sentence (NMEA format). Both take one record's payload up to its
// first zero byte and, on acceptance, fill *fields (expected all empty) and return true.
#pragma once

#include <string_view>

#include "decoders/gps/gps_state.h"

// The fixed pattern
//   $GPRMC,%6[0-9],%1[vVaA],%9[0-9.],%1[nsNS],%10[0-9.],%1[ewEW],%5[0-9.],%5[0-9.],%6[0-9],
//   %5[0-9.],%1[ewEW]%5[,*0-9A-Fa-f]
// read in the C library's scanning conventions: accepted when at least utc_time through
// utc_date were read and latitude and longitude are not empty. The status, hemisphere and
// direction letters are one character each; reading goes on at the next character.
bool read_rmc_strict(std::string_view text, gps_nmea_fields* fields);

// The relaxed reading, for receivers that the fixed pattern turns away: fractional seconds,
// speeds and tracks of any length, empty speed or track, and the talkers of
// multi-constellation receivers.

// Reads text (one record's payload, up to its first zero byte) as
//   $ttRMC,time,status,lat,N/S,lon,E/W,speed,track,date[,variation[,E/W[,...]]]
// with tt one of GP GN GL GA GB BD GQ. The fields end at '*', CR, LF or the end of the
// text; the checksum is not verified. Accepted when:
//   time     exactly 6 digits, optionally '.' and 1-4 digits (kept apart: utc_time, utc_fraction)
//   status   one of v V a A
//   lat/lon  1-12 characters of digits and '.', each followed by its hemisphere letter
//   speed, track, variation  0-10 characters of digits and '.'
//   date     exactly 6 digits
//   variation direction  empty or one of e w E W
// Fields missing after the date count as empty; fields after the direction are ignored.
// `checksum` keeps the text after the direction (its separators, '*' and the hexadecimal
// sum) up to CR or LF, as far as its buffer holds.
bool read_rmc_relaxed(std::string_view text, gps_nmea_fields* fields);
