// How a point is matched to an airport and a runway, in one place for every table.
//
// The distance from a point to an airport is the distance to its nearest placed runway: the
// line between the two thresholds, or the one threshold known. Where no runway is placed, or
// some runway is not, the reference point counts too. The nearest airport within the capture
// radius wins (by ident when two are as near). Its runway is the one with an end whose true
// heading lies within 15 degrees of the track: the heading the table gives for the end, else the
// bearing from that threshold to the other, else the reverse of the other end's heading. The
// designator (magnetic, in tens of degrees) is never taken for a heading. Among runways that
// match, the nearest wins.
//
// A threshold more than 10 km from its airport's reference point is a typing error in the
// source (the farthest real ones lie about 7 km away): its position is ignored.
#pragma once

#include <optional>

#include "analysis/airport_data.h"

constexpr double runway_track_tolerance_deg = 15.0;
constexpr double runway_end_reach_m = 10000.0;
constexpr double mean_earth_radius_m = 6371008.8;

// Great-circle distance in metres.
double distance_m(const geo_point& a, const geo_point& b);
// Initial true bearing from a to b, [0, 360).
double bearing_deg(const geo_point& from, const geo_point& to);
// Distance in metres from p to the line between a and b (on a plane around p: exact to a few
// metres within tens of kilometres).
double distance_to_line_m(const geo_point& p, const geo_point& a, const geo_point& b);
// The smaller angle between two headings, [0, 180].
double heading_difference_deg(double a, double b);

// Whether a threshold's position is taken (known, and within reach of the reference point).
bool threshold_is_placed(const airport_entry& airport, const runway_end& end);

// The airport as an answer to the query, or nothing when it lies beyond the capture radius or
// is a kind of base the query does not ask for.
std::optional<airport_match> match_airport(const airport_entry& airport, const airport_query& query,
                                           const airport_options& options);
// Whether a is the better answer: nearer, or as near with the lower ident.
bool is_better_match(const airport_match& a, const airport_match& b);
