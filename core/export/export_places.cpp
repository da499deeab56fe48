#include "export/export_places.h"

#include "analysis/flight_places.h"

namespace {

bool same_airport(const runway_contact& a, const runway_contact& b) {
  return a.airport && b.airport && a.airport->ident == b.airport->ident;
}

std::string runway_text(const runway_contact& c, const char* preposition) {
  return c.airport && !c.airport->runway.empty() ? std::string(preposition) + " runway " + c.airport->runway : "";
}

}  // namespace

std::string export_place::name() const {
  const runway_contact& c = contact();
  return c.airport ? c.airport->ident : std::string("off airport");
}

geo_point export_place::point() const {
  const runway_contact& c = contact();
  return c.airport ? c.airport->reference : c.event.position;
}

std::string export_place::description() const {
  const runway_contact& c = contact();
  std::string text = c.airport ? c.airport->name : std::string("off airport");
  text += ": ";
  const std::string number = std::to_string(flight);
  if (departure != nullptr) text += "departure of flight " + number + runway_text(*departure, " from");
  if (departure != nullptr && arrival != nullptr) text += ", ";
  if (arrival != nullptr) text += "arrival of flight " + number + runway_text(*arrival, " on");
  return text;
}

std::vector<export_place> export_places(const export_plan& plan) {
  std::vector<export_place> places;
  if (!plan.places_known) return places;
  const row_window& window = plan.window.bounds;
  const auto shown = [&window](const runway_contact* c) {
    return c != nullptr && c->event.has_position && window.holds(c->event.when);
  };
  int number = 0;
  for (const flight_record& flight : plan.flights) {
    ++number;
    const runway_contact* departure = departure_contact(flight);
    const runway_contact* arrival = arrival_contact(flight);
    if (!shown(departure)) departure = nullptr;
    if (!shown(arrival)) arrival = nullptr;
    if (departure != nullptr && arrival != nullptr && same_airport(*departure, *arrival)) {
      places.push_back({number, departure, arrival});
      continue;
    }
    if (departure != nullptr) places.push_back({number, departure, nullptr});
    if (arrival != nullptr) places.push_back({number, nullptr, arrival});
  }
  return places;
}
