// GPS sentence assembly for both serial ports.
//
// Aviation formats (1 and 3): the port's bytes are a continuous stream of items framed by
// STX (0x02) and ETX (0x03), cut into records anywhere. Bytes gather in the port's 2048-byte
// sentence buffer; each ETX completes a sentence, which is parsed and then cleared. Once
// 2048 bytes have gathered without an ETX the port stores nothing more for the rest of the
// pass.
//
// NMEA format (2): every record holds one sentence; an RMC sentence is read first with the
// fixed "$GPRMC" pattern and, when that rejects it, with the relaxed reading that real
// receivers need (fractional seconds, long speeds, empty fields, other talkers).
#include "decoders/gps/assembly.h"

#include <algorithm>
#include <cstring>

#include "decoders/gps/fix.h"
#include "decoders/gps/rmc.h"
#include "decoders/gps/sentence_scan.h"
#include "records/short_copy.h"
#include "text/stored_text.h"

namespace {

constexpr char stx = 0x02;
constexpr char etx = 0x03;

// Format 1: the sentence opens the buffer (its first byte is taken whatever it is), and the
// altitude item follows at once. Format 3: read from the first STX, without altitude.
constexpr scan_pattern aviation_with_altitude(
    "%cz%5[0-9]\nA%9[ NnSs0-9-]\nB%10[ EeWw0-9-]\nC%3[0-9-]\nD%3[0-9-]\nE%5[0-9-]\n"
    "G%5[ LlRr0-9-]\nI%4[0-9-]\nK%5[ A-Za-z0-9-+]\nL%4[0-9-]\nQ%4[EeWw0-9-]\nS%5[NnFf-]\n"
    "T%9[-]\nl%6[0-9-]\n");
constexpr scan_pattern aviation_from_stx(
    "%cA%9[ NnSs0-9-]\nB%10[ EeWw0-9-]\nC%3[0-9-]\nD%3[0-9-]\nE%5[0-9-]\nG%5[ LlRr0-9-]\n"
    "I%4[0-9-]\nK%5[ A-Za-z0-9-+]\nL%4[0-9-]\nQ%4[EeWw0-9-]\nS%5[NnFf-]\nT%9[-]\nl%6[0-9-]\n");

// Conversions that must succeed for a sentence to count: the leading byte and four items.
constexpr int aviation_least_count = 5;

// A record's few bytes into the sentence buffer: most records are a couple of dozen bytes,
// copied without a call.
void store_bytes(char* to, const std::uint8_t* from, std::size_t n) {
  if (n <= 128) {
    copy_short(reinterpret_cast<std::uint8_t*>(to), from, n);
  } else {
    std::memcpy(to, from, n);
  }
}

bool accept_aviation(int count, const gps_aviation_fields& f) {
  return count >= aviation_least_count && f.latitude[0] != '\0' && f.longitude[0] != '\0';
}

}  // namespace

bool process_gps_entry(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state) {
  switch (state->format) {
    case gps_format_aviation:
    case gps_format_aviation_stx: return process_gps_entry_aviation(payload, length, state);
    case gps_format_nmea: return process_gps_entry_nmea(payload, length, state);
    default: return false;  // the port is not read
  }
}

namespace {

// The aviation byte stream into the port's buffer. Assemble false follows only where the
// buffer stands (its fill and whether it filled): nothing is stored and no sentence is read.
template <bool Assemble>
bool take_aviation_bytes(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state) {
  const std::uint8_t* bytes = payload;
  std::size_t left = length;
  bool accepted = false;
  while (left > 0) {
    if (state->write_position < 0 || state->write_position >= gps_sentence_size) {
      state->buffer_full = true;
      return accepted;
    }
    const auto position = static_cast<std::size_t>(state->write_position);
    const std::size_t room = gps_sentence_size - position;
    const std::size_t take = std::min(left, room);
    const void* end_mark = std::memchr(bytes, etx, take);
    if (end_mark == nullptr) {
      // No ETX within what fits: store it all; a full buffer drops the rest of the record.
      if constexpr (Assemble) store_bytes(state->sentence + position, bytes, take);
      state->write_position += static_cast<std::int32_t>(take);
      if (state->write_position == gps_sentence_size) state->buffer_full = true;
      bytes += take;
      left -= take;
      continue;
    }
    // The ETX is stored with its sentence and parsed with it.
    const auto through_etx = static_cast<std::size_t>(static_cast<const std::uint8_t*>(end_mark) - bytes) + 1;
    if constexpr (Assemble) {
      store_bytes(state->sentence + position, bytes, through_etx);
      if (process_gps_composite_aviation_entry(state)) accepted = true;
      // Past the stored bytes the buffer is still zero: clearing those bytes clears it all.
      std::memset(state->sentence, 0, position + through_etx);
    }
    state->write_position = 0;
    bytes += through_etx;
    left -= through_etx;
  }
  return accepted;
}

}  // namespace

bool process_gps_entry_aviation(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state) {
  return take_aviation_bytes<true>(payload, length, state);
}

void follow_gps_buffer_fill(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state) {
  if (state->format == gps_format_aviation || state->format == gps_format_aviation_stx) {
    take_aviation_bytes<false>(payload, length, state);
  }
}

bool process_gps_composite_aviation_entry(gps_composite_state* state) {
  gps_aviation_fields parsed{};
  int count = 0;
  if (state->format == gps_format_aviation) {
    const std::string_view text(state->sentence, bounded_strlen(state->sentence, gps_sentence_size));
    // clang-format off
    const scan_field fields[] = {
        skipped_field, field_of(parsed.altitude), field_of(parsed.latitude),
        field_of(parsed.longitude), field_of(parsed.track), field_of(parsed.ground_speed),
        field_of(parsed.dist_to_wpt), field_of(parsed.item_g), field_of(parsed.desired_track),
        field_of(parsed.wpt_ident), field_of(parsed.bearing_to_wpt), field_of(parsed.mag_variation),
        field_of(parsed.nav_flag), field_of(parsed.warning_status), field_of(parsed.wpt_dist)};
    // clang-format on
    count = scan_text<aviation_with_altitude>(text, fields);
  } else if (state->format == gps_format_aviation_stx) {
    // Bytes before the first STX are skipped; without one there is no sentence.
    const void* start = std::memchr(state->sentence, stx, gps_sentence_size);
    if (start == nullptr) {
      ++state->sentences_rejected;
      return false;
    }
    const auto offset = static_cast<std::size_t>(static_cast<const char*>(start) - state->sentence);
    const char* from = state->sentence + offset;
    const std::string_view text(from, bounded_strlen(from, gps_sentence_size - offset));
    // clang-format off
    const scan_field fields[] = {
        skipped_field, field_of(parsed.latitude), field_of(parsed.longitude),
        field_of(parsed.track), field_of(parsed.ground_speed), field_of(parsed.dist_to_wpt),
        field_of(parsed.item_g), field_of(parsed.desired_track), field_of(parsed.wpt_ident),
        field_of(parsed.bearing_to_wpt), field_of(parsed.mag_variation), field_of(parsed.nav_flag),
        field_of(parsed.warning_status), field_of(parsed.wpt_dist)};
    // clang-format on
    count = scan_text<aviation_from_stx>(text, fields);
  } else {
    return false;
  }
  if (!accept_aviation(count, parsed)) {
    ++state->sentences_rejected;
    return false;  // the last accepted fix stays
  }
  state->fields.aviation = parsed;
  state->fix = fix_of(state->format, state->fields);
  ++state->sentences_accepted;
  return true;
}

bool process_gps_entry_nmea(const std::uint8_t* payload, std::uint32_t length, gps_composite_state* state) {
  const auto* chars = reinterpret_cast<const char*>(payload);
  const std::string_view text = stored_text(chars, length);

  gps_nmea_fields parsed{};
  if (!read_rmc_strict(text, &parsed)) {
    parsed = gps_nmea_fields{};
    if (!read_rmc_relaxed(text, &parsed)) {
      ++state->sentences_rejected;
      return false;  // nothing changes
    }
  }
  state->fields.nmea = parsed;
  state->fix = fix_of(state->format, state->fields);
  ++state->sentences_accepted;
  // The buffer then holds exactly the last accepted sentence, for the debug element: zeros
  // past it, so only what the sentence before reached beyond it is cleared.
  const std::size_t kept = std::min<std::size_t>(length, gps_sentence_size);
  const auto before = static_cast<std::size_t>(state->sentence_length);
  if (before > kept) std::memset(state->sentence + kept, 0, before - kept);
  std::memcpy(state->sentence, payload, kept);
  state->sentence_length = static_cast<std::int32_t>(kept);
  return true;
}

void reset_gps_port(gps_composite_state* state, std::int32_t format) {
  std::memset(static_cast<void*>(state), 0, sizeof *state);
  state->format = format;
}
