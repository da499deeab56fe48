// EIS engine snapshot (source type 2).
//
// The payload is 73 bytes with every field at its file offset and no alignment. The 29
// sixteen-bit fields are big-endian in the LOG and are put into host order in place once per
// record (swapendian_eis_log_entry); the single bytes have no byte order and are never touched.
#pragma once

#include <cstddef>
#include <cstdint>

// Payload offsets of the eis_log_entry fields. Bytes 0-2 and 71 are not decoded.
namespace eis_log_entry {
inline constexpr std::size_t size = 73;

inline constexpr std::size_t tachometer = 3;        // u16, rpm
inline constexpr std::size_t chttemp1 = 5;          // u16 x 6, cylinder-head temperatures
inline constexpr std::size_t egttemp1 = 17;         // u16 x 6, exhaust-gas temperatures
inline constexpr std::size_t aux5 = 29;             // s16, raw
inline constexpr std::size_t aux6 = 31;             // s16, raw
inline constexpr std::size_t airspeed = 33;         // u16
inline constexpr std::size_t altitude = 35;         // u16, tens of feet
inline constexpr std::size_t primaryvoltage = 37;   // u16, tenths of volts
inline constexpr std::size_t fuelflow = 39;         // u16, tenths
inline constexpr std::size_t unittemp = 41;         // u8
inline constexpr std::size_t carbtemp = 42;         // s8
inline constexpr std::size_t rateofclimb = 43;      // s8, hundreds of feet per minute
inline constexpr std::size_t outsidetemp = 44;      // u8, degrees + 50
inline constexpr std::size_t oiltemp = 45;          // u16
inline constexpr std::size_t oilpressure = 47;      // u8, psi
inline constexpr std::size_t aux1 = 48;             // s16 x 4 (aux1..aux4), raw
inline constexpr std::size_t coolanttemp = 56;      // u16
inline constexpr std::size_t elapsed_time = 58;     // u16, tenths of hours
inline constexpr std::size_t fuelqty = 60;          // u16, tenths
inline constexpr std::size_t flighttimer_hours = 62;    // u8
inline constexpr std::size_t flighttimer_mins = 63;     // u8
inline constexpr std::size_t flighttimer_secs = 64;     // u8
inline constexpr std::size_t fuelendurance_hours = 65;  // u8
inline constexpr std::size_t fuelendurance_mins = 66;   // u8
inline constexpr std::size_t baroset = 67;          // u16, hundredths of inches of mercury
inline constexpr std::size_t tachometer_2 = 69;     // u16, rpm
inline constexpr std::size_t checksum = 72;         // u8, never verified

// The n-th (1-based) of the six cylinder-head / exhaust-gas temperatures or aux1..aux4.
constexpr std::size_t chttemp(std::size_t n) { return chttemp1 + 2 * (n - 1); }
constexpr std::size_t egttemp(std::size_t n) { return egttemp1 + 2 * (n - 1); }
constexpr std::size_t aux1_to_4(std::size_t n) { return aux1 + 2 * (n - 1); }
}  // namespace eis_log_entry

// Exchanges the bytes of the 29 sixteen-bit fields in place.
void swapendian_eis_log_entry(std::uint8_t* payload);

// Writes the eis_log_entry element of a converted payload.
int print_xml_eis_log_entry(const std::uint8_t* payload);
