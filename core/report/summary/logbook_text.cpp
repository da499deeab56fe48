#include "report/summary/logbook_text.h"

#include "analysis/logbook_local.h"
#include "text/local_time_text.h"
#include "text/readable_text.h"

namespace {

std::string zones_text(const logbook_local& local) {
  if (local.departure_zone == local.arrival_zone || local.arrival_zone.empty()) return local.departure_zone;
  if (local.departure_zone.empty()) return "arrival in " + local.arrival_zone;
  return local.departure_zone + " to " + local.arrival_zone;
}

std::string landings_text(const logbook_row& row) {
  const auto kind = [](std::uint32_t n, const char* name, const landing_count& c) {
    std::string text = std::to_string(n) + " " + name + " (" + std::to_string(c.day) + " day, " +
                       std::to_string(c.night) + " night";
    if (c.unknown > 0) text += ", " + std::to_string(c.unknown) + " without UTC or position";
    return text + ")";
  };
  const std::uint32_t total = row.landing_total();
  if (total == 0) return "none";
  std::string text = std::to_string(total) + ": " + kind(row.full_stop.total(), "full stop", row.full_stop);
  if (row.touch_and_go.total() > 0) text += ", " + kind(row.touch_and_go.total(), "touch-and-go", row.touch_and_go);
  return text;
}

}  // namespace

std::vector<labelled_line> logbook_text_lines(const logbook_row& row, double airborne_s,
                                              const std::function<std::string(const log_instant&)>& utc_text) {
  std::vector<labelled_line> lines;
  const logbook_local& local = row.local;
  const std::string date = logbook_date(row);
  if (!date.empty()) {
    std::string text = date;
    if (local.source == zone_source::none) {
      text += " UTC (no local time: no airport known; --time-zone sets one)";
    } else if (!logbook_date_is_local(row)) {
      text += " UTC (no local time at the departure); " + zones_text(local);
    } else {
      text += " local, " + zones_text(local);
    }
    lines.emplace_back("  Date", text);
  }
  const struct {
    const char* label;
    const std::optional<log_event>& event;
    const std::optional<local_offset>& offset;
  } times[] = {{"  Out", row.out, local.out}, {"  Off", row.off, local.off}, {"  On", row.on, local.on},
               {"  In", row.in, local.in}};
  for (const auto& t : times) {
    if (!t.event) continue;
    std::string text;
    if (t.offset) {
      text = local_time_text(t.event->when.utc_ms, t.offset->utc_offset_s, t.offset->abbreviation()) + "   ";
    }
    lines.emplace_back(t.label, text + utc_text(t.event->when));
  }
  std::string totals = row.total_time_s ? duration_text(*row.total_time_s) + " out to in, " : std::string();
  totals += "airborne " + duration_text(airborne_s) + ", night ";
  totals += row.night_time_s ? duration_text(*row.night_time_s) : std::string("unknown (no GPS time or position)");
  lines.emplace_back("  Total", totals);
  std::string landings = landings_text(row);
  if (row.cross_country) {
    landings += "; cross-country, " + number_text(*row.farthest_landing_nm, 1) + " nm";
  } else if (row.farthest_landing_nm && row.landing_total() > 0) {
    landings += "; not cross-country, farthest " + number_text(*row.farthest_landing_nm, 1) + " nm";
  }
  lines.emplace_back("  Landings", landings);
  return lines;
}
