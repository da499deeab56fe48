// The relaxed reading of an RMC sentence, for receivers that the fixed "$GPRMC" pattern turns
// away: fractional seconds, speeds and tracks of any length, empty speed or track, and the
// talkers of multi-constellation receivers.
#pragma once

#include <string_view>

#include "decoders/gps_state.h"

// Reads text (one record's payload, up to its first zero byte) as
//   $ttRMC,time,status,lat,N/S,lon,E/W,speed,track,date[,variation[,E/W[,...]]]
// with tt one of GP GN GL GA GB BD GQ. The fields end at '*', CR, LF or the end of the
// text; the checksum is not verified. Accepted when:
//   time     exactly 6 digits, optionally '.' and 1-4 digits (the 6 digits are kept)
//   status   one of v V a A
//   lat/lon  1-12 characters of digits and '.', each followed by its hemisphere letter
//   speed, track, variation  0-10 characters of digits and '.'
//   date     exactly 6 digits
//   variation direction  empty or one of e w E W
// Fields missing after the date count as empty; fields after the direction are ignored.
// `checksum` keeps the text after the direction (its separators, '*' and the hexadecimal
// sum) up to CR or LF, as far as its buffer holds.
// On acceptance fills *fields (expected all empty) and returns true.
bool read_rmc_relaxed(std::string_view text, gps_nmea_fields* fields);
