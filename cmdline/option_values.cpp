#include "option_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <type_traits>

#include "decode/utc_clock.h"

namespace {

[[noreturn]] void refuse(usage_failure fail, const std::string& message) {
  fail(message);
  std::exit(1);  // fail does not return; this only says so to the compiler
}

// The whole text as a number, or nothing.
template <typename Number>
std::optional<Number> whole_text_as(const char* text) {
  Number value{};
  const char* end = text + std::strlen(text);
  std::from_chars_result read;
  if constexpr (std::is_floating_point_v<Number>) {
    read = std::from_chars(text, end, value, std::chars_format::fixed);
  } else {
    read = std::from_chars(text, end, value);
  }
  if (read.ec != std::errc() || read.ptr != end) return std::nullopt;
  return value;
}

// The years a user may give: a LOG's clock and the documents' dates stay within them.
constexpr std::int64_t first_utc_ms = 0;                // 1970-01-01T00:00:00Z
constexpr std::int64_t end_utc_ms = 4'102'444'800'000;  // 2100-01-01T00:00:00Z
bool is_within_years(std::int64_t utc_ms) { return utc_ms >= first_utc_ms && utc_ms < end_utc_ms; }

std::string seconds_text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

}  // namespace

int flight_number_option(const char* text, usage_failure fail) {
  const std::optional<int> n = whole_text_as<int>(text);
  if (!n || *n < 1) refuse(fail, std::string("--flight: not a flight number (1 for the first): ") + text);
  return *n;
}

time_point time_option(const char* text, const char* option, usage_failure fail) {
  const std::optional<time_point> t = parse_time_point(text);
  if (!t) {
    refuse(fail, std::string(option) + ": not a UTC time (2026-03-11T22:22:46Z) or seconds of LOG time: " + text);
  }
  if (t->is_utc && !is_within_years(t->utc_ms)) {
    refuse(fail, std::string(option) + ": not a UTC time from 1970 to 2099: " + text);
  }
  return *t;
}

std::int64_t utc_start_option(const char* text, usage_failure fail) {
  const std::optional<std::int64_t> utc = parse_utc_iso8601(text);
  if (!utc) refuse(fail, std::string("--utc-start: not an ISO 8601 UTC time: ") + text);
  if (!is_within_years(*utc)) refuse(fail, std::string("--utc-start: not a UTC time from 1970 to 2099: ") + text);
  return *utc;
}

std::uint32_t period_option(const char* text, double least_s, double most_s, usage_failure fail) {
  const std::optional<double> seconds = whole_text_as<double>(text);
  if (!seconds || !(*seconds >= least_s) || !(*seconds <= most_s)) {
    refuse(fail, "--every: not a number of seconds from " + seconds_text(least_s) + " to " + seconds_text(most_s) +
                     ": " + text);
  }
  return static_cast<std::uint32_t>(std::llround(*seconds * 1000.0));
}

time_zone time_zone_option(const char* text, usage_failure fail) {
  time_zone_load load = load_time_zone(text);
  if (!load.zone) refuse(fail, "--time-zone: " + load.error);
  return std::move(*load.zone);
}

double distance_option(const char* text, const char* option, usage_failure fail) {
  const std::optional<double> value = whole_text_as<double>(text);
  if (!value || !(*value >= 0.0) || *value > 100000.0) {
    refuse(fail, std::string(option) + ": not a distance of 0 to 100000 nm: " + text);
  }
  return *value;
}
