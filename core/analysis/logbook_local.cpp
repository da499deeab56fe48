#include "analysis/logbook_local.h"

#include <algorithm>

#include "text/local_time_text.h"
#include "text/utc_text.h"

namespace {

std::optional<local_offset> reading(const std::optional<log_event>& e, const time_zone* zone) {
  if (!e || !e->when.has_utc || zone == nullptr) return std::nullopt;
  return zone->offset_at(whole_seconds_of(e->when.utc_ms));
}

}  // namespace

void give_local_times(logbook_row& row, const time_zone* departure, const time_zone* arrival, zone_source source) {
  logbook_local& local = row.local;
  local = logbook_local{};
  if (departure == nullptr && arrival == nullptr) return;  // no local time
  local.source = source;
  if (departure != nullptr) local.departure_zone = departure->name();
  if (arrival != nullptr) local.arrival_zone = arrival->name();
  local.out = reading(row.out, departure);
  local.off = reading(row.off, departure);
  local.on = reading(row.on, arrival);
  local.in = reading(row.in, arrival);
}

void give_local_times(log_summary& summary, const time_zone& zone) {
  for (flight_record& f : summary.flights) give_local_times(f.logbook, &zone, &zone, zone_source::option);
}

void give_local_times(log_summary& summary, std::span<const flight_end_zones> zones, time_zone_cache& cache) {
  for (std::size_t i = 0; i < summary.flights.size() && i < zones.size(); ++i) {
    give_local_times(summary.flights[i].logbook, cache.find(zones[i].departure), cache.find(zones[i].arrival),
                     zone_source::airport);
  }
}

std::string logbook_date(const logbook_row& row) {
  const std::optional<log_event>& first = row.out ? row.out : row.off;
  const std::optional<local_offset>& offset = row.out ? row.local.out : row.local.off;
  if (!first || !first->when.has_utc) return "";
  return local_date_text(first->when.utc_ms, offset ? offset->utc_offset_s : 0);
}

bool logbook_date_is_local(const logbook_row& row) {
  return row.out ? row.local.out.has_value() : row.local.off.has_value();
}

const time_zone* time_zone_cache::find(std::string_view name) {
  if (name.empty() || std::find(missing_.begin(), missing_.end(), name) != missing_.end()) return nullptr;
  for (const std::unique_ptr<time_zone>& z : zones_) {
    if (z->name() == name) return z.get();
  }
  time_zone_load load = load_time_zone(name);
  if (!load.zone) {
    missing_.emplace_back(name);
    return nullptr;
  }
  zones_.push_back(std::make_unique<time_zone>(std::move(*load.zone)));
  return zones_.back().get();
}
