#include "analysis/flight_local_times.h"

#include <vector>

#include "analysis/flight_places.h"
#include "analysis/logbook_local.h"

namespace {

std::string zone_of(const runway_contact* contact) {
  return contact != nullptr && contact->airport ? contact->airport->time_zone : std::string();
}

}  // namespace

void give_flights_local_times(log_summary& summary, const time_zone* chosen) {
  if (chosen != nullptr) {
    give_local_times(summary, *chosen);
    return;
  }
  std::vector<flight_end_zones> zones;
  zones.reserve(summary.flights.size());
  for (const flight_record& flight : summary.flights) {
    zones.push_back({zone_of(departure_contact(flight)), zone_of(arrival_contact(flight))});
  }
  time_zone_cache cache;
  give_local_times(summary, zones, cache);
}

std::string place_flights(log_summary& summary, const airport_lookup* lookup, const airport_options& options,
                          const time_zone* chosen) {
  if (lookup != nullptr) {
    std::string error = locate_flights(summary, *lookup, options);
    if (!error.empty()) return error;
  }
  give_flights_local_times(summary, chosen);
  return "";
}
