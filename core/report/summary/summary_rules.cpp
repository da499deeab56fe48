#include "report/summary/summary_rules.h"

#include <cmath>

#include "orvexdecode.h"
#include "text/output_writer.h"
#include "text/readable_text.h"

moment_reader::moment_reader(const log_summary& summary) : summary_(summary) {
  if (summary.time.has_records && summary.time.first.has_utc) first_day_ = utc_date_text(summary.time.first.utc_ms);
}

std::string moment_reader::text(const log_instant& at) const {
  if (!at.has_utc) return "LOG " + duration_text(log_seconds(at.log_ms));
  const std::string day = utc_date_text(at.utc_ms);
  return day == first_day_ ? utc_time_text(at.utc_ms) : day + " " + utc_time_text(at.utc_ms);
}

log_instant moment_reader::at(std::uint32_t log_ms, std::uint32_t segment) const {
  log_instant at{log_ms, false, 0, segment};
  if (segment < summary_.segments.size()) {
    const log_segment& e = summary_.segments[segment];
    const clock_mapping& m = e.early.known() ? e.early : e.start;
    if (m.known()) {
      at.has_utc = true;
      at.utc_ms = m.utc_ms_at(log_ms);
    }
  }
  return at;
}

std::string place_text(const geo_point& p) {
  char text[2 * fixed_format_max + 8];
  char* end = format_fixed(text, std::fabs(p.latitude_deg), 5);
  *end++ = ' ';
  *end++ = p.latitude_deg < 0 ? 'S' : 'N';
  *end++ = ' ';
  end = format_fixed(end, std::fabs(p.longitude_deg), 5);
  *end++ = ' ';
  *end++ = p.longitude_deg < 0 ? 'W' : 'E';
  return std::string(text, end);
}

std::uint64_t dropped_records(const reader_stats& r) { return r.truncated + r.zero_length + r.oversized; }

std::uint64_t records_read_in_part(const log_health& h) { return h.short_eis_records + h.short_ahrs_records; }

std::uint64_t gaps_over_limit(const log_health& h) {
  std::uint64_t gaps = 0;
  for (const source_gaps& g : h.gaps) gaps += g.count;
  return gaps;
}

std::string time_backwards_text(std::uint64_t times) {
  if (times == 0) return ", time never went back";
  if (times == 1) return ", time went back once";
  return ", time went back " + with_commas(times) + " times";
}

std::string_view gps_format_text(const gps_port_health& port) {
  return port.format == ORVEX_GPS_FORMAT_NMEA ? "NMEA" : "aviation";
}

bool gps_maybe_other_format(const gps_port_health& port) {
  return port.sentences_accepted == 0 && port.sentences_rejected > 0;
}
