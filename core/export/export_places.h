// The places of the flights an export holds, as the GPX (waypoints, a track's description) and
// the KML (placemarks) name them: each flight's departure and arrival within the document's
// window, one place when both are the same airport. A takeoff or landing at no airport is a
// place too, "off airport", at the aircraft's position; an end without a position is none.
#pragma once

#include <string>
#include <vector>

#include "analysis/runway_contacts.h"
#include "export/export_run.h"

struct export_place {
  int flight;                                // its number, 1 for the LOG's first
  const runway_contact* departure = nullptr;  // this place is the flight's departure
  const runway_contact* arrival = nullptr;    // ... its arrival (either or both)

  const runway_contact& contact() const { return departure != nullptr ? *departure : *arrival; }
  // The ident, or "off airport".
  std::string name() const;
  // The airport's reference point, or the aircraft's position off airport.
  geo_point point() const;
  // "Renton Municipal Airport: departure of flight 1 from runway 34, arrival of flight 1 on
  // runway 34"; "off airport: arrival of flight 2".
  std::string description() const;
};

// The places, flight by flight; none unless the plan looked the airports up.
std::vector<export_place> export_places(const export_plan& plan);
