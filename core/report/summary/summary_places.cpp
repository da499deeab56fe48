#include "report/summary/summary_places.h"

#include <cmath>
#include <cstdio>

#include "analysis/flight_places.h"
#include "report/summary/summary_rules.h"
#include "text/utc_text.h"

namespace {

std::string distance_text(double m) {
  char text[32];
  if (m < 1000.0) {
    std::snprintf(text, sizeof text, "%.0f m", m);
  } else {
    std::snprintf(text, sizeof text, "%.1f km", m / 1000.0);
  }
  return text;
}

// "KRNT Renton Municipal Airport, runway 34, 12 m from its centre line", or where the contact
// was at no airport.
std::string place_text(const runway_contact& c, const airport_search& search) {
  if (!c.event.has_position) return "position unknown";
  if (!c.airport) {
    return "off airport, at " + place_text(c.event.position) + " (no airport within " +
           distance_text(search.options.capture_radius_m) + ")";
  }
  const airport_match& a = *c.airport;
  std::string text = a.ident + " " + a.name;
  if (!a.runway.empty()) {
    text += ", runway " + a.runway;
    if (!std::isnan(a.runway_distance_m)) text += ", " + distance_text(a.runway_distance_m) + " from its centre line";
  } else {
    text += std::isnan(c.event.track_true_deg) ? ", no track to find the runway by" : ", no runway along the track";
    text += ", " + distance_text(a.distance_m) + " away";
  }
  return text;
}

std::string_view kind_name(contact_kind k) {
  switch (k) {
    case contact_kind::takeoff: return "takeoff";
    case contact_kind::touch_and_go: return "touch_and_go";
    case contact_kind::landing: return "landing";
  }
  return "";
}

// A contact as JSON (a number that is not known, NaN, is written as null).
void write_place(json_writer& json, const runway_contact* c) {
  if (c == nullptr) {
    json.null();
    return;
  }
  const log_event& e = c->event;
  const auto known = [&](double v) { return e.has_position ? std::optional<double>(v) : std::nullopt; };
  json.begin_object();
  json.key("kind").string(kind_name(c->kind));
  json.key("utc");
  if (e.when.has_utc) {
    json.string(iso8601_utc(whole_seconds_of(e.when.utc_ms)).view());
  } else {
    json.null();
  }
  json.key("log_time_s").number(log_seconds(e.when.log_ms), 3);
  json.key("latitude_deg").number(known(e.position.latitude_deg), 6);
  json.key("longitude_deg").number(known(e.position.longitude_deg), 6);
  json.key("track_true_deg").number(e.track_true_deg, 1);
  json.key("off_airport").boolean(e.has_position && !c->airport);
  json.key("airport");
  if (!c->airport) {
    json.null();
  } else {
    const airport_match& a = *c->airport;
    json.begin_object();
    json.key("ident").string(a.ident);
    json.key("name").string(a.name);
    json.key("type").string(airport_type_name(a.type));
    json.key("country").string_or_null(a.country.empty() ? std::nullopt : std::optional<std::string_view>(a.country));
    json.key("elevation_ft").integer_or_null(a.has_elevation ? std::optional<std::int64_t>(a.elevation_ft) : std::nullopt);
    json.key("time_zone")
        .string_or_null(a.time_zone.empty() ? std::nullopt : std::optional<std::string_view>(a.time_zone));
    json.key("distance_m").number(a.distance_m, 0);
    json.key("runway").string_or_null(a.runway.empty() ? std::nullopt : std::optional<std::string_view>(a.runway));
    json.key("runway_heading_true_deg").number(a.runway_heading_true_deg, 1);
    json.key("runway_distance_m").number(a.runway_distance_m, 0);
    json.end_object();
  }
  json.end_object();
}

}  // namespace

std::vector<std::pair<std::string, std::string>> place_lines(const log_summary& s, const flight_record& w) {
  std::vector<std::pair<std::string, std::string>> lines;
  if (!s.airports || w.contacts.empty()) return lines;
  if (const runway_contact* c = departure_contact(w)) lines.emplace_back("  From", place_text(*c, *s.airports));
  if (const runway_contact* c = arrival_contact(w)) lines.emplace_back("  To", place_text(*c, *s.airports));
  lines.emplace_back("  Route", route_text(w));
  return lines;
}

void write_places_json(json_writer& json, const log_summary& s, const flight_record& w) {
  json.key("airports");
  if (!s.airports) {
    json.null();
    return;
  }
  json.begin_object();
  json.key("departure");
  write_place(json, departure_contact(w));
  json.key("arrival");
  write_place(json, arrival_contact(w));
  json.key("route").begin_array();
  for (const runway_contact* c : route_stops(w)) {
    json.string_or_null(c->airport ? std::optional<std::string_view>(c->airport->ident) : std::nullopt);
  }
  json.end_array();
  json.key("contacts").begin_array();
  for (const runway_contact& c : w.contacts) write_place(json, &c);
  json.end_array();
  json.key("contacts_not_listed").unsigned_integer(w.contacts_not_listed);
  json.end_object();
}

void write_airport_search_json(json_writer& json, const log_summary& s) {
  json.key("airports");
  if (!s.airports) {
    json.null();
    return;
  }
  json.begin_object();
  json.key("source").string(s.airports->source);
  json.key("capture_radius_m").number(s.airports->options.capture_radius_m, 0);
  json.key("heliports").boolean(s.airports->options.other_bases);
  json.end_object();
}
