// The ground and air route of one simulated sortie: out of the parking spot, along the taxiway
// to the runway, take-off northbound, one or more left-hand laps of a loop to the west with a
// few named waypoints, a base leg to an intercept fix, the final approach over the final fix
// to the runway, the landing roll, and back to the parking spot.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "flight_geometry.h"
#include "flight_random.h"

// The home airfield: a real runway, so the flight sits where it should in a globe viewer.
struct airfield {
  std::string ident;
  local_frame frame;  // origin at the airport reference point
  double elevation_ft = 0.0;
  vec2 threshold;  // start of the runway in use (take-off and landing northbound)
  vec2 far_end;
  double variation_deg = 0.0;  // magnetic variation, east positive

  vec2 along() const;  // unit vector down the runway
  vec2 left() const;   // unit vector to the left of the runway direction
  double runway_length() const { return distance(threshold, far_end); }
  double runway_heading() const { return bearing(threshold, far_end); }
  // A point given in runway coordinates: u metres down the runway from the threshold, v metres
  // to its left.
  vec2 runway_point(double u, double v) const;
};

const airfield& home_airfield();

struct sortie_plan {
  std::vector<vec2> path;          // polyline followed from the parking spot back to it
  std::vector<std::string> ident;  // waypoint name of each vertex; empty for taxi and runway points
  std::vector<double> along;       // path distance from the first vertex to each vertex
  std::size_t hold_short = 0;      // stop before entering the runway
  std::size_t runway_start = 0;    // take-off begins here
  std::size_t intercept_fix = 0;
  std::size_t final_fix = 0;  // the glidepath starts here
  std::size_t threshold = 0;  // landing threshold
  std::size_t parking = 0;    // the last vertex
  double aim_along = 0.0;     // path distance of the glidepath aiming point
  double cruise_altitude_ft = 0.0;
  double cruise_ias_kt = 0.0;
  double cruise_rpm = 0.0;
  int laps = 1;
  bool runup = false;  // engine run-up at the holding point
};

constexpr double glidepath_deg = 3.0;

// Plans a sortie whose airborne part (runway end to threshold) is about airborne_metres long.
sortie_plan plan_sortie(flight_random& rng, double airborne_metres, bool runup);

// Length of the airborne part of a plan: from the runway start to the threshold.
double airborne_length(const sortie_plan& plan);

// A pronounceable five-letter waypoint name.
std::string waypoint_name(flight_random& rng);
