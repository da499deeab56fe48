// Numbers read from the text fields of a GPS fix, shared by the summary renderer and the
// flight-path pass. Every field is a NUL-terminated text inside its buffer.
#pragma once

// Aviation coordinates: hemisphere letter, optional blanks, degrees (2 digits for latitude,
// 3 for longitude), optional blanks, minutes (2 digits), hundredths of a minute (2 digits);
// numbers missing from the text count as 0. The result is computed as
// degrees + (minutes + hundredths / 100.0) / 60.0, rounded to a 32-bit float, and negated
// for 'S'/'s' (latitude) or 'W'/'w' (longitude).
float aviation_latitude_decimal(const char* latitude);
float aviation_longitude_decimal(const char* longitude);

// NMEA coordinates: ddmm.mmmm / dddmm.mmmm read as whole degrees (2 or 3 digits) and
// minutes (a 32-bit float); degrees + minutes / 60.0 rounded to a 32-bit float, negated
// when the first character of the hemisphere text is 'S'/'s' or 'W'/'w'.
float nmea_latitude_decimal(const char* latitude, const char* hemisphere);
float nmea_longitude_decimal(const char* longitude, const char* hemisphere);

// The decimal value of a text as the C library's atof gives it (0 when there is none).
double decimal_number(const char* text);

// The whole-number value of a text as the C library's atoi gives it: leading white space,
// an optional sign and decimal digits; 0 when there are none.
int whole_number(const char* text);
