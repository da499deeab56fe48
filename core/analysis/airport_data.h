// Airports as plain data: an airport with its runways as a table holds it, what is asked of the
// table (a point where the aircraft lifted off or touched down, and its true track), and the
// airport and runway that answer.
//
// The airports are OurAirports' (their columns keep its names): an ident (the ICAO code where
// there is one, else a local code or an OurAirports code such as "US-0001"), a type, a name,
// the reference point, the elevation, the country and the IANA time zone. A runway has two ends
// (OurAirports' "le", the end with the lower number, and "he"); an end has its designator and,
// where known, the position of its threshold and its true heading.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/log_instant.h"

enum class airport_type : std::uint8_t {
  small_airport,
  medium_airport,
  large_airport,
  heliport,
  seaplane_base,
  balloonport,
};

// OurAirports' name of a type ("small_airport"), and the type of a name; false for a name that
// is no type of an open airport ("closed", "closed_airport" or anything unknown).
std::string_view airport_type_name(airport_type type);
bool airport_type_from_name(std::string_view name, airport_type& type);
// Heliports, seaplane bases and balloon ports: found only when the query asks for them.
constexpr bool is_other_base(airport_type type) { return type >= airport_type::heliport; }

struct runway_end {
  std::string ident;  // "16L"; the magnetic designator, never used as a heading
  bool has_position = false;
  geo_point position{};                    // the threshold
  double heading_true_deg = std::nan("");  // NaN when unknown
};

struct airport_runway {
  runway_end ends[2];  // OurAirports' le and he ends
};

struct airport_entry {
  std::string ident;
  std::string name;
  airport_type type = airport_type::small_airport;
  geo_point reference{};  // the airport reference point
  bool has_elevation = false;
  int elevation_ft = 0;
  std::string country;    // ISO 3166-1 alpha-2 ("US"), as OurAirports gives it
  std::string time_zone;  // IANA name ("America/Los_Angeles"); empty when the table has none
  std::vector<airport_runway> runways;
  // The airport has a runway of which neither end's position is known: its reference point
  // then counts as well as the runways that are placed.
  bool has_unplaced_runway = false;
};

// Where the aircraft lifted off or touched down.
struct airport_query {
  geo_point point{};
  double track_true_deg = std::nan("");  // its true track; NaN: no runway is looked for
};

constexpr double default_capture_radius_m = 3000.0;

struct airport_options {
  double capture_radius_m = default_capture_radius_m;
  bool other_bases = false;  // heliports, seaplane bases and balloon ports too
};

// The airport found for a query, and the runway when one matches its track.
struct airport_match {
  std::string ident;
  std::string name;
  airport_type type = airport_type::small_airport;
  geo_point reference{};
  bool has_elevation = false;
  int elevation_ft = 0;
  std::string country;
  std::string time_zone;
  // From the nearest runway (the line between its thresholds; a lone known threshold), or from
  // the reference point where the table places no runway or some runways are not placed.
  double distance_m = 0.0;
  // The designator of the runway end whose true heading matches the track within 15 degrees;
  // empty when none does or no track was given.
  std::string runway;
  double runway_heading_true_deg = std::nan("");
  double runway_distance_m = std::nan("");  // from that runway's line; NaN when it is not placed
};
