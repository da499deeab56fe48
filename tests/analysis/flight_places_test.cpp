// Where each flight went: scenario flights between Seattle's airports (positions from data/)
// flown by the simulator, their takeoffs, touch-and-goes and landings found where the truth
// put them, and each one's airport, runway and the route as the scenario planned them.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "analysis/airport_rules.h"
#include "analysis/flight_places.h"
#include "scenario_simulator.h"
#include "support/capture.h"
#include "support/flown_scenario.h"
#include "support/flight_profile.h"

namespace {

const std::string built_table = std::string(ORVEX_BINARY_DIR) + "/share/orvexdecode/airports.idx";
const std::string our_csv = std::string(ORVEX_SOURCE_DIR) + "/data/airports.csv";

airport_lookup open_lookup(const std::string& source) {
  airport_lookup::opened o = airport_lookup::open(source);
  EXPECT_EQ(o.error, "") << source;
  return std::move(o.lookup);
}

log_summary located(const std::string& name, const airport_lookup& lookup, const airport_options& options = {}) {
  log_summary s = analyse_bytes(fly(name).log);
  EXPECT_EQ(locate_flights(s, lookup, options), "");
  return s;
}

// "KRNT 34, KBFI 32L, off": each contact's airport and runway ("-" for none).
std::string contact_places(const flight_record& w) {
  std::string text;
  for (const runway_contact& c : w.contacts) {
    if (!text.empty()) text += ", ";
    text += c.airport ? c.airport->ident + " " + (c.airport->runway.empty() ? "-" : c.airport->runway) : "off";
  }
  return text;
}

// The contacts' kinds as the truth has them: T the first takeoff, G a touch-and-go, L a
// full-stop landing.
std::string truth_kinds(const truth_flight& f) {
  std::string kinds = f.takeoffs.empty() ? "" : "T";
  for (const truth_landing& l : f.landings) kinds += l.full_stop ? 'L' : 'G';
  return kinds;
}

std::string found_kinds(const flight_record& w) {
  std::string kinds;
  for (const runway_contact& c : w.contacts) {
    kinds += c.kind == contact_kind::takeoff ? 'T' : c.kind == contact_kind::touch_and_go ? 'G' : 'L';
  }
  return kinds;
}

}  // namespace

TEST(FlightPlaces, ScenarioFlightsFindTheirAirportsRunwaysAndRoute) {
  const struct {
    const char* scenario;
    const char* places;  // of the contacts, in order
    const char* route;
  } rows[] = {
      {"krnt_to_kpae", "KRNT 34, KPAE 34L", "KRNT - KPAE"},
      {"pattern_krnt", "KRNT 34, KRNT 34, KRNT 34, KRNT 34, KRNT 34", "KRNT"},
      {"ksea_far_end", "KRNT 34, KSEA 16L", "KRNT - KSEA"},
      {"off_airport", "KRNT 34, off", "KRNT - off airport"},
      {"krnt_bfi_pae", "KRNT 34, KBFI 32L, KPAE 34L", "KRNT - KBFI - KPAE"},
  };
  const airport_lookup table = open_lookup(built_table);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.scenario);
    const log_summary s = located(row.scenario, table);
    const scenario_truth& truth = fly(row.scenario).truth;
    ASSERT_EQ(s.flights.size(), 1u);
    ASSERT_EQ(truth.flights.size(), 1u);
    const flight_record& w = s.flights[0];
    const truth_flight& planted = truth.flights[0];
    EXPECT_EQ(found_kinds(w), truth_kinds(planted));
    EXPECT_EQ(contact_places(w), row.places);
    EXPECT_EQ(route_text(w), row.route);
    ASSERT_TRUE(s.airports.has_value());

    // Each contact near the planted touchdown or lift-off, in time and place.
    std::size_t landing = 0;
    for (const runway_contact& c : w.contacts) {
      const bool takeoff = c.kind == contact_kind::takeoff;
      if (!takeoff && landing >= planted.landings.size()) break;
      const truth_moment& when = takeoff ? planted.takeoffs[0].when : planted.landings[landing].when;
      const geo_position& where = takeoff ? planted.takeoffs[0].position : planted.landings[landing].position;
      if (!takeoff) ++landing;
      EXPECT_NEAR(c.event.when.log_ms / 1000.0, when.log_ms / 1000.0, 15.0);
      ASSERT_TRUE(c.event.has_position);
      EXPECT_LT(distance_m(c.event.position, {where.latitude, where.longitude}), 600.0);
    }
  }
}

TEST(FlightPlaces, OptionsAndSourcesChangeWhatIsFound) {
  const struct {
    const char* what;
    const char* scenario;
    const char* source;
    double radius_m;
    bool other_bases;
    const char* places;
  } rows[] = {
      {"the field 3.0 km from a seaplane base's lane, radius 5 km", "off_airport", "", 5000, false, "KRNT 34, off"},
      {"... with seaplane bases", "off_airport", "", 5000, true, "KRNT 34, 69WT 22W"},
      {"... radius 2.9 km", "off_airport", "", 2900, true, "KRNT 34, off"},
      {"OurAirports' CSV layout", "krnt_bfi_pae", "csv", 3000, false, "KRNT 34, KBFI 32L, KPAE 34L"},
  };
  const airport_lookup table = open_lookup(built_table);
  const airport_lookup csv = open_lookup(our_csv);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const log_summary s =
        located(row.scenario, std::string(row.source) == "csv" ? csv : table, {row.radius_m, row.other_bases});
    ASSERT_EQ(s.flights.size(), 1u);
    EXPECT_EQ(contact_places(s.flights[0]), row.places);
  }
}

TEST(FlightPlaces, WithoutLookupsNoDipIsTakenForATouchAndGo) {
  const log_summary s = located("pattern_krnt", airport_lookup());
  EXPECT_FALSE(s.airports.has_value());
  ASSERT_EQ(s.flights.size(), 1u);
  EXPECT_EQ(found_kinds(s.flights[0]), "TL");
}

TEST(FlightPlaces, ADipOfSpeedCountsAsATouchAndGoOnlyAtAnAirportAndAsLow) {
  const auto contact = [](contact_kind kind, geo_point p, double altitude_ft) {
    runway_contact c;
    c.kind = kind;
    c.event.has_position = true;
    c.event.position = p;
    c.event.track_true_deg = 354;
    c.event.altitude_ft = altitude_ft;
    return c;
  };
  const geo_point krnt_34{47.485802, -122.214996};
  const double unknown = std::nan("");
  const struct {
    const char* what;
    geo_point dip;
    double altitude_ft;
    const char* kinds;
  } rows[] = {
      {"on the runway, as low as the takeoff", {47.4880, -122.2153}, 40, "TGL"},
      {"over the runway at 1,500 ft", {47.4880, -122.2153}, 1500, "TL"},
      {"over the runway, no altitude", {47.4880, -122.2153}, unknown, "TGL"},
      {"over Lake Washington, 5 km from any airport", {47.55, -122.25}, 40, "TL"},
      {"on Boeing Field, 11 ft lower than Renton", {47.5190, -122.2936}, 30, "TGL"},
  };
  const airport_lookup table = open_lookup(built_table);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    log_summary s;
    flight_record w;
    w.airborne_periods = 1;
    w.contacts = {contact(contact_kind::takeoff, krnt_34, 35), contact(contact_kind::touch_and_go, row.dip, row.altitude_ft),
                  contact(contact_kind::landing, krnt_34, 35)};
    s.flights.push_back(w);
    EXPECT_EQ(locate_flights(s, table, {}), "");
    EXPECT_EQ(found_kinds(s.flights[0]), row.kinds);
  }
}

// One rule of touchdowns for the places and the logbook: with the airports looked up, the
// touch-and-goes and full stops among the contacts are the logbook's landings, and both are the
// scenario's planted ones; slow flight aloft is neither. Without airports only the speed tells,
// and the logbook counts the slow flight.
TEST(FlightPlaces, PlacesAndLogbookCountTheSameTouchdowns) {
  const struct {
    const char* scenario;
    bool lookups;
    const char* kinds;  // of the contacts
    std::uint32_t touch_and_goes;  // the logbook's
    std::uint32_t full_stops;
  } rows[] = {
      {"pattern_krnt", true, "TGGGL", 3, 1},
      {"krnt_bfi_pae", true, "TGL", 1, 1},
      {"night_flight", true, "TGL", 1, 1},
      {"krnt_to_kpae", true, "TL", 0, 1},
      {"slow_flight_krnt", true, "TL", 0, 1},
      {"slow_flight_krnt", false, "TL", 1, 1},
      {"pattern_krnt", false, "TL", 3, 1},
  };
  const airport_lookup table = open_lookup(built_table);
  const airport_lookup off;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.scenario) + (row.lookups ? "" : ", no lookups"));
    const log_summary s = located(row.scenario, row.lookups ? table : off);
    ASSERT_EQ(s.flights.size(), 1u);
    const flight_record& w = s.flights[0];
    EXPECT_EQ(found_kinds(w), row.kinds);
    EXPECT_EQ(w.logbook.touch_and_go.total(), row.touch_and_goes);
    EXPECT_EQ(w.logbook.full_stop.total(), row.full_stops);
    EXPECT_EQ(w.logbook.landings.size(), std::size_t{row.touch_and_goes + row.full_stops});
    if (row.lookups) {
      EXPECT_EQ(found_kinds(w), truth_kinds(fly(row.scenario).truth.flights.at(0)));
    }
  }
}
