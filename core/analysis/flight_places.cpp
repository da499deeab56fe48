#include "analysis/flight_places.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

bool same_place(const runway_contact& a, const runway_contact& b) {
  if (a.airport.has_value() != b.airport.has_value()) return false;
  return !a.airport || a.airport->ident == b.airport->ident;
}

// Whether a touch-and-go's altitude fits its airport, judged against the last contact before
// it at a known airport; true where the altitudes or elevations do not tell.
bool low_enough(const runway_contact& touch, const runway_contact* reference) {
  if (reference == nullptr || std::isnan(touch.event.altitude_ft) || std::isnan(reference->event.altitude_ft) ||
      !touch.airport->has_elevation || !reference->airport->has_elevation) {
    return true;
  }
  const double expected =
      reference->event.altitude_ft + (touch.airport->elevation_ft - reference->airport->elevation_ft);
  return std::abs(touch.event.altitude_ft - expected) <= touch_altitude_ft;
}

// A touch-and-go found to be slow flight leaves the logbook's landings too: its count, its
// place in the list, and the farthest landing it may have been. Its landing is the last one
// that touched down before the contact (the slowest sample of its roll).
void drop_logbook_landing(logbook_row& row, const log_event& contact) {
  const auto after = std::find_if(row.landings.begin(), row.landings.end(), [&](const logbook_landing& l) {
    return log_order(l.touchdown.when) > log_order(contact.when);
  });
  if (after == row.landings.begin() || std::prev(after)->full_stop) return;  // not listed: it stays counted
  const auto it = std::prev(after);
  std::uint32_t& count = it->light == landing_light::day     ? row.touch_and_go.day
                         : it->light == landing_light::night ? row.touch_and_go.night
                                                             : row.touch_and_go.unknown;
  if (count > 0) --count;
  row.landings.erase(it);
  if (row.landings_not_listed > 0) return;  // the farthest may be one not listed
  row.farthest_landing_nm.reset();
  for (const logbook_landing& l : row.landings) {
    if (l.from_departure_nm && (!row.farthest_landing_nm || *l.from_departure_nm > *row.farthest_landing_nm)) {
      row.farthest_landing_nm = l.from_departure_nm;
    }
  }
  row.cross_country = row.farthest_landing_nm && *row.farthest_landing_nm >= row.cross_country_nm;
}

// Drops the dips that are not touch-and-goes; with confirmed: from the logbook's landings too
// (without lookups nothing tells a touch-and-go from slow flight, and the logbook keeps it).
void keep_touch_and_goes(flight_record& flight, bool confirmed) {
  std::vector<runway_contact> kept;
  kept.reserve(flight.contacts.size());
  const runway_contact* reference = nullptr;
  for (runway_contact& c : flight.contacts) {
    if (c.kind == contact_kind::touch_and_go && (!c.airport || !low_enough(c, reference))) {
      if (confirmed) drop_logbook_landing(flight.logbook, c.event);
      continue;
    }
    kept.push_back(std::move(c));
    if (kept.back().airport && !std::isnan(kept.back().event.altitude_ft)) reference = &kept.back();
  }
  flight.contacts = std::move(kept);
}

}  // namespace

std::string locate_flights(log_summary& summary, const airport_lookup& lookup, const airport_options& options) {
  std::vector<airport_query> queries;
  std::vector<runway_contact*> asked;
  for (std::vector<flight_record>* list : {&summary.flights, &summary.ground_runs}) {
    for (flight_record& w : *list) {
      for (runway_contact& c : w.contacts) {
        if (!c.event.has_position) continue;
        queries.push_back({c.event.position, c.event.track_true_deg});
        asked.push_back(&c);
      }
    }
  }
  std::string error;
  bool confirmed = false;
  if (lookup.enabled()) {
    std::vector<std::optional<airport_match>> matches;
    error = lookup.find_all(queries, options, matches);
    for (std::size_t i = 0; i < asked.size() && i < matches.size(); ++i) asked[i]->airport = std::move(matches[i]);
    if (error.empty()) summary.airports = airport_search{lookup.source(), options};
    confirmed = error.empty();
  }
  for (std::vector<flight_record>* list : {&summary.flights, &summary.ground_runs}) {
    for (flight_record& w : *list) keep_touch_and_goes(w, confirmed);
  }
  return error;
}

const runway_contact* departure_contact(const flight_record& flight) {
  for (const runway_contact& c : flight.contacts) {
    if (c.kind == contact_kind::takeoff) return &c;
  }
  return nullptr;
}

const runway_contact* arrival_contact(const flight_record& flight) {
  if (flight.airborne_at_end || flight.contacts.empty()) return nullptr;
  const runway_contact& last = flight.contacts.back();
  return last.kind == contact_kind::landing ? &last : nullptr;
}

std::vector<const runway_contact*> route_stops(const flight_record& flight) {
  std::vector<const runway_contact*> stops;
  for (const runway_contact& c : flight.contacts) {
    if (stops.empty() || !same_place(*stops.back(), c)) stops.push_back(&c);
  }
  return stops;
}

std::string route_text(const flight_record& flight) {
  std::string text;
  for (const runway_contact* c : route_stops(flight)) {
    if (!text.empty()) text += " - ";
    text += c->airport ? c->airport->ident : std::string("off airport");
  }
  return text;
}
