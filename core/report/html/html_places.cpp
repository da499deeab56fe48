// Where the flights went, on the report page: the airport and runway under a takeoff's or a
// landing's place in the flights table, the route, the airports on the map, and the line that
// says where the airport data comes from.
#include <algorithm>

#include "analysis/flight_places.h"
#include "report/html/html_report_parts.h"
#include "text/utf8_text.h"

namespace {

// Whether a contact of a flight the stretch overlaps has an airport.
bool shows_an_airport(const report_context& r) {
  if (!r.summary.airports) return false;
  for (const flight_record& w : r.summary.flights) {
    if (!r.overlaps(start_of(w), end_of(w))) continue;
    for (const runway_contact& c : w.contacts) {
      if (c.airport) return true;
    }
  }
  return false;
}

}  // namespace

void write_contact_place(output_writer& out, const report_context& r, const runway_contact* c) {
  if (c == nullptr || !r.summary.airports || !c->event.has_position) return;
  if (!c->airport) {
    out.text("<br><small>off airport</small>");
    return;
  }
  const airport_match& a = *c->airport;
  out.line(OUT_FORMAT("<br><small><abbr title=\"{}\">{}</abbr>{}{}</small>"), escaped_utf8(a.name), escaped_utf8(a.ident),
           a.runway.empty() ? "" : " runway ", escaped_utf8(a.runway));
}

void write_route_cell(output_writer& out, const report_context& r, const flight_record& w) {
  out.text("<td data-label=\"Route\">");
  if (!r.summary.airports || w.contacts.empty()) {
    out.text("\xE2\x80\x94</td>");
    return;
  }
  const std::string route = route_text(w);
  out.line(OUT_FORMAT("{}</td>"), escaped_utf8(route));
}

void add_airport_marks(const report_context& r, std::vector<map_mark>& marks) {
  if (!r.summary.airports) return;
  std::vector<std::string> marked;
  for (const flight_record& w : r.summary.flights) {
    if (!r.overlaps(start_of(w), end_of(w))) continue;
    for (const runway_contact& c : w.contacts) {
      if (!c.airport || std::find(marked.begin(), marked.end(), c.airport->ident) != marked.end()) continue;
      marked.push_back(c.airport->ident);
      map_mark m{c.airport->reference.latitude_deg, c.airport->reference.longitude_deg, false,
                 c.airport->ident + " " + c.airport->name};
      m.airport = true;
      marks.push_back(std::move(m));
    }
  }
}

void write_airport_attribution(output_writer& out, const report_context& r) {
  if (!shows_an_airport(r)) return;
  out.text(
      "<p>Airports: contains information from OurAirports (ourairports.com/data), made available under the Open "
      "Database License 1.0 (opendatacommons.org/licenses/odbl/1.0); time zones from timezone-boundary-builder, "
      "\xC2\xA9 OpenStreetMap contributors, ODbL 1.0.</p>");
}
