// Where each flight went: the airport and runway of each takeoff, touch-and-go and full-stop
// landing, and the flight's route.
//
// Each contact with a position asks the lookup for the airport whose nearest runway lies within
// the capture radius, and for the runway along its track (airport_rules.h). A touch-and-go (a
// touchdown by speed the aircraft lifted off from without a full stop, runway_contacts.h)
// stays only where an airport was found and, where the altitudes tell, the aircraft was as low
// as that airport: its pressure altitude within touch_altitude_ft of the altitude at the
// flight's last contact at a known airport, moved by the difference of the two airports'
// elevations. Any other was slow flight and leaves the logbook's landings as well. Without
// lookups no touch-and-go is a contact (it has no place to give), and the logbook counts them
// by speed alone.
//
// The route: the places of the contacts in order, a place repeating the one before left out,
// so that a pattern session at one field is "KRNT". A contact at no airport is a place of its
// own, off airport, and two in a row count as one.
#pragma once

#include <string>
#include <vector>

#include "analysis/airport_lookup.h"
#include "analysis/log_summary.h"

constexpr double touch_altitude_ft = 200.0;

// Looks up the airports of every flight's contacts and keeps the touch-and-goes the rules above
// confirm (in the contacts and the logbook's landings); sets summary.airports when the lookup
// is on. Returns "" or the lookup's error (the contacts then have no airport).
std::string locate_flights(log_summary& summary, const airport_lookup& lookup, const airport_options& options);

// The flight's first takeoff, its full-stop landing (none when the LOG ends airborne).
const runway_contact* departure_contact(const flight_record& flight);
const runway_contact* arrival_contact(const flight_record& flight);
// The contacts that make the route, one for each of its places.
std::vector<const runway_contact*> route_stops(const flight_record& flight);
// The route as text: the idents, "off airport" for a place at none, joined by " - ".
std::string route_text(const flight_record& flight);
