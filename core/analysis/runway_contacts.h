// Where a flight met the ground: each takeoff, each touch-and-go and each full-stop landing,
// with the place and the true track (GPS) there, for the airport and runway rules
// (flight_places.h).
//
// A takeoff is the flight time line's own: the first sample of the run at the takeoff speed,
// on the takeoff roll. Touchdowns and lift-offs within a flight follow the logbook's rule
// (logbook_row.h), the one rule for both: on the ground after 3 s below 110 % of the takeoff
// speed, airborne again after 5 s at it or more; a landing is a full stop when the ground speed
// fell below 5 kt (or the engine stopped) before the next lift-off, else a touch-and-go. Each
// landing lifted off from within an airborne period is a contact at the slowest sample of its
// roll; the landing that ends the period (the time line's, below the landing speed) is placed
// where the speed last fell below the takeoff speed, about the touchdown and before any turn
// off the runway. An aircraft slowed down aloft touches down by speed alone too: where the
// airports are looked up, only a touch-and-go at an airport and as low as that airport stays
// one, in the contacts and in the logbook's count (flight_places.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/airport_data.h"
#include "analysis/log_instant.h"

enum class contact_kind : std::uint8_t { takeoff, touch_and_go, landing };

struct runway_contact {
  contact_kind kind = contact_kind::takeoff;
  log_event event;                       // when and where, with the track and altitude there
  std::optional<airport_match> airport;  // set by locate_flights: the airport there, if any
};

constexpr std::size_t max_listed_contacts = 100;  // per flight; past them only counted

// How the contacts' airports were looked up: the airports' file and the options.
struct airport_search {
  std::string source;
  airport_options options;
};

// Adds a contact to a flight's list. A full list keeps its first contacts and its latest (the
// flight's last landing): the newest takes the last place and the one it replaces is counted.
inline void add_contact(std::vector<runway_contact>& contacts, std::uint32_t& not_listed, runway_contact&& c) {
  if (contacts.size() < max_listed_contacts) {
    contacts.push_back(std::move(c));
  } else {
    contacts.back() = std::move(c);
    ++not_listed;
  }
}
