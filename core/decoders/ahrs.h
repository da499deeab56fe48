// AHRS records (source type 1): high-rate, low-rate and user-calibration messages.
//
// Every payload opens with a 3-byte header whose third byte is the AHRS type; the sub-payload
// that the type names follows at payload offset 3. Sixteen-bit fields are big-endian in the LOG
// and sit unaligned; they are put into host order in place once per record.
#pragma once

#include <cstddef>
#include <cstdint>

// The in-memory AHRS entry inside the record's payload area: the file bytes (header and a
// 255-byte sub-payload area), then a text buffer the renderer fills with the AHRS type name.
namespace ahrs_log_entry {
inline constexpr std::size_t header1 = 0;  // u8, verbose only
inline constexpr std::size_t header2 = 1;  // u8, verbose only
inline constexpr std::size_t header3 = 2;  // u8, the AHRS type
inline constexpr std::size_t sub_payload = 3;
inline constexpr std::size_t sub_payload_size = 255;
inline constexpr std::size_t ahrs_type_desc = sub_payload + sub_payload_size;
inline constexpr std::size_t ahrs_type_desc_size = 32;  // longest name has 19 characters
inline constexpr std::size_t size = ahrs_type_desc + ahrs_type_desc_size;
}  // namespace ahrs_log_entry

// High-rate message (AHRS type 254), offsets in the sub-payload. Angles are signed fractions
// of a half turn.
namespace ahrs_hr_log_entry {
inline constexpr std::size_t mode = 0;                      // u8
inline constexpr std::size_t roll_angle = 1;                // s16
inline constexpr std::size_t pitch_angle = 3;               // s16
inline constexpr std::size_t yaw_angle = 5;                 // s16
inline constexpr std::size_t pressure_alt = 7;              // u16, feet + 5000
inline constexpr std::size_t vsi = 9;                       // s16, feet per minute
inline constexpr std::size_t asi = 11;                      // s16, tenths of feet per second
inline constexpr std::size_t asi_roc = 13;                  // s16, 0.02 ft/s^2
inline constexpr std::size_t accelerometer_roll_angle = 15; // s16
inline constexpr std::size_t acceleration = 17;             // s16, hundredths of m/s^2
inline constexpr std::size_t checksum = 19;                 // u8, never verified
inline constexpr std::size_t size = 20;
}  // namespace ahrs_hr_log_entry

// Low-rate message (AHRS type 253), offsets in the sub-payload. Bytes 13-16 are not decoded.
namespace ahrs_lr_log_entry {
inline constexpr std::size_t outsidetemp = 0;                // s8
inline constexpr std::size_t voltage_1 = 1;                  // s16, hundredths of volts
inline constexpr std::size_t voltage_2 = 3;                  // s16
inline constexpr std::size_t voltage_3 = 5;                  // s16
inline constexpr std::size_t status_word1 = 7;               // s8
inline constexpr std::size_t status_word2 = 8;               // s8
inline constexpr std::size_t status_word3 = 9;               // s8
inline constexpr std::size_t internaltemp = 10;              // u8
inline constexpr std::size_t sw_internal_version_major = 11; // s8
inline constexpr std::size_t sw_internal_version_minor = 12; // s8
inline constexpr std::size_t checksum = 17;                  // u8, never verified
inline constexpr std::size_t size = 18;
}  // namespace ahrs_lr_log_entry

// User-calibration message (AHRS type 252), offsets in the sub-payload. The eight words are
// converted but never shown; bytes 2 and 17-20 are not decoded.
namespace ahrs_user_cal_log_entry {
inline constexpr std::size_t cal_word1 = 0;   // 16-bit word
inline constexpr std::size_t cal_word2 = 3;   // 16-bit words cal_word2..cal_word8, back to back
inline constexpr std::size_t checksum = 21;   // u8, never verified
inline constexpr std::size_t size = 22;
constexpr std::size_t cal_word(std::size_t n) { return n == 1 ? cal_word1 : cal_word2 + 2 * (n - 2); }
}  // namespace ahrs_user_cal_log_entry

// The longest sub-payload, the user calibration message.
inline constexpr std::size_t ahrs_largest_sub_payload = ahrs_user_cal_log_entry::size;
static_assert(ahrs_largest_sub_payload >= ahrs_hr_log_entry::size && ahrs_largest_sub_payload >= ahrs_lr_log_entry::size);

// Copies the AHRS type name into dest (room for 20 characters) and returns dest.
char* enum_value_ahrs_type(char* dest, std::uint32_t ahrs_type);

// Converts the sub-payload selected by the AHRS type (payload byte 2) in place; other types
// and the header are left as read.
void swapendian_ahrs_log_entry(std::uint8_t* payload);
void swapendian_ahrs_hr_log_entry(std::uint8_t* sub_payload);
void swapendian_ahrs_lr_log_entry(std::uint8_t* sub_payload);
void swapendian_ahrs_user_cal_log_entry(std::uint8_t* sub_payload);

// Writes the ahrs_log_entry element of a converted payload (fills its ahrs_type_desc).
int print_xml_ahrs_log_entry(std::uint8_t* payload);

// The sub-payload elements, written inside ahrs_log_entry.
int print_xml_ahrs_hr_log_entry(const std::uint8_t* sub_payload);
int print_xml_ahrs_lr_log_entry(const std::uint8_t* sub_payload);
int print_xml_ahrs_user_cal_log_entry(const std::uint8_t* sub_payload);
