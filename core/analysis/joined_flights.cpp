#include "analysis/joined_flights.h"

#include <algorithm>

#include "analysis/airport_rules.h"
#include "analysis/flight_timeline.h"

namespace {

constexpr double metres_per_nm = 1852.0;

std::optional<double> utc_seconds_between(const std::optional<log_event>& a, const std::optional<log_event>& b) {
  if (!a || !b || !a->when.has_utc || !b->when.has_utc) return std::nullopt;
  return static_cast<double>(b->when.utc_ms - a->when.utc_ms) / 1000.0;
}

std::optional<double> sum_of_both(const std::optional<double>& a, const std::optional<double>& b) {
  if (!a || !b) return std::nullopt;
  return *a + *b;
}

void add_count(landing_count& to, const landing_count& from) {
  to.day += from.day;
  to.night += from.night;
  to.unknown += from.unknown;
}

// One row: the times up to the break are a's, those after it b's; b's landings measured from
// a's lift-off.
void join_logbook(logbook_row& a, const logbook_row& b, const logbook_options& options) {
  a.on = b.on;
  a.in = b.in;
  a.total_time_s = utc_seconds_between(a.out, a.in);
  a.night_time_s = sum_of_both(a.night_time_s, b.night_time_s);
  add_count(a.full_stop, b.full_stop);
  add_count(a.touch_and_go, b.touch_and_go);
  for (logbook_landing landing : b.landings) {
    landing.from_departure_nm.reset();
    if (a.off && a.off->has_position && landing.touchdown.has_position) {
      const double nm = distance_m(a.off->position, landing.touchdown.position) / metres_per_nm;
      landing.from_departure_nm = nm;
      if (!a.farthest_landing_nm || nm > *a.farthest_landing_nm) a.farthest_landing_nm = nm;
    }
    if (a.landings.size() < max_listed_landings) {
      a.landings.push_back(landing);
    } else {
      ++a.landings_not_listed;
    }
  }
  a.landings_not_listed += b.landings_not_listed;
  a.cross_country = a.farthest_landing_nm && *a.farthest_landing_nm >= options.cross_country_nm;

  logbook_local& local = a.local;
  local.arrival_zone = b.local.arrival_zone;
  local.on = b.local.on;
  local.in = b.local.in;
  if (local.source != zone_source::option && b.local.source != zone_source::none) local.source = b.local.source;
}

}  // namespace

std::optional<double> break_before_continued_flight(const log_summary& a_log, const flight_record& a,
                                                    const log_summary& b_log, const flight_record& b) {
  if (!a.airborne_at_end || !b.takeoff || !a_log.time.has_records || !b_log.time.has_records) return std::nullopt;
  const log_instant& first = b_log.time.first;
  if (b.takeoff->when.segment != first.segment || seconds_from(first, b.takeoff->when) * 1000.0 >= restart_decision_ms) {
    return std::nullopt;
  }
  const log_instant& last = a_log.time.last;
  if (!last.has_utc || !first.has_utc) return std::nullopt;
  const std::int64_t break_ms = first.utc_ms - last.utc_ms;
  if (break_ms < 0 || break_ms >= restart_in_flight_ms) return std::nullopt;
  return static_cast<double>(break_ms) / 1000.0;
}

void join_flight(flight_record& a, const flight_record& b, double break_s, const logbook_options& options) {
  if (!a.engine_start) a.engine_start = b.engine_start;
  a.engine_stop = b.engine_stop;
  a.landing = b.landing;
  a.end_ms = b.end_ms;
  a.end_segment = b.end_segment;
  // b's engine run and airborne period go on from a's.
  a.engine_runs += b.engine_runs - std::min(b.engine_runs, a.engine_running_at_end ? 1u : 0u);
  a.airborne_periods += b.airborne_periods - std::min(b.airborne_periods, 1u);
  a.engine_running_at_end = b.engine_running_at_end;
  a.airborne_at_end = b.airborne_at_end;
  a.engine_time_s += b.engine_time_s;
  a.flight_time_s += b.flight_time_s;
  a.restarts_in_flight += b.restarts_in_flight + 1;
  a.restart_gap_s += b.restart_gap_s + break_s;
  a.block_time_s = utc_seconds_between(a.engine_start, a.engine_stop);
  a.distance_nm = sum_of_both(a.distance_nm, b.distance_nm);
  a.fuel_used_from_flow = sum_of_both(a.fuel_used_from_flow, b.fuel_used_from_flow);
  a.figures.merge(b.figures);
  a.fuel_used_from_quantity = a.figures.fuel_used_from_quantity();
  a.airborne.oil_pressure_psi.merge(b.airborne.oil_pressure_psi);
  a.exceedances.insert(a.exceedances.end(), b.exceedances.begin(), b.exceedances.end());
  a.phases.insert(a.phases.end(), b.phases.begin(), b.phases.end());
  auto contacts = b.contacts.begin();
  if (contacts != b.contacts.end() && contacts->kind == contact_kind::takeoff) ++contacts;
  for (; contacts != b.contacts.end(); ++contacts) {
    runway_contact c = *contacts;
    add_contact(a.contacts, a.contacts_not_listed, std::move(c));
  }
  a.contacts_not_listed += b.contacts_not_listed;
  join_logbook(a.logbook, b.logbook, options);
}
