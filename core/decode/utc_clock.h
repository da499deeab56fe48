// The LOG's clock: maps LOG time (the records' 1 ms timestamps) to UTC.
//
// Each NMEA RMC fix carries its date and time. UTC at LOG time t is the UTC of the latest fix
// plus (t - the timestamp of the record whose bytes completed that fix); the clock is set anew
// at every fix, so the EFIS clock's drift never builds up. LOG times before the first fix map
// through the first fix. Around midnight some receivers move the time to the new day a few
// fixes before or after the date: a fix that disagrees with the running clock by a whole day
// (within ten minutes) is taken as that lag and corrected by the day.
//
// A LOG without NMEA time can be anchored by the user: the UTC of its first record.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "decoders/gps/gps_state.h"

enum class utc_source { none, gps, user };

struct utc_anchor {
  std::int64_t utc_ms;
  std::uint32_t log_ms;
};

class utc_clock {
 public:
  // A fix of utc_seconds completed by the record at log_ms.
  void set_from_fix(std::int64_t utc_seconds, std::uint32_t log_ms);
  // The user's UTC for a LOG time; used only while the clock has no GPS time.
  void set_from_user(std::int64_t utc_ms, std::uint32_t log_ms);
  // Starts a later pass over the same LOG from the first anchor an earlier pass found, so that
  // LOG times before the first fix map as they did there.
  void start_from(utc_source source, const utc_anchor& first);
  // Follows the fix a record just completed: a valid NMEA fix with its date and time sets the
  // clock. The followers follow the fixes of both ports through this, for every pass.
  void follow_fix(const gps_fix& fix, std::uint32_t log_ms) {
    if (fix.receiver_valid && fix.has_utc) set_from_fix(fix.utc_seconds, log_ms);
  }

  bool known() const { return source_ != utc_source::none; }
  utc_source source() const { return source_; }
  // UTC in milliseconds at a LOG time; only when known().
  std::int64_t utc_ms_at(std::uint32_t log_ms) const;

  // The first and latest anchors (a later pass can start from the first to map LOG times
  // that come before it).
  const utc_anchor& first() const { return first_; }
  const utc_anchor& latest() const { return latest_; }
  // Fixes whose date was a day off the running clock and corrected.
  std::uint64_t day_corrections() const { return day_corrections_; }

 private:
  static std::int64_t map(const utc_anchor& a, std::uint32_t log_ms) {
    return a.utc_ms + (std::int64_t{log_ms} - std::int64_t{a.log_ms});
  }

  utc_source source_ = utc_source::none;
  utc_anchor first_{};
  utc_anchor latest_{};
  std::uint64_t day_corrections_ = 0;
};

// Reads "YYYY-MM-DDThh:mm:ss[.fff]Z" (also with a space for the T, "+00:00" for Z, or no zone:
// always UTC) into milliseconds since 1970; nothing when the text is not such a time.
std::optional<std::int64_t> parse_utc_iso8601(std::string_view text);
