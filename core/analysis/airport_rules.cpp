#include "analysis/airport_rules.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double to_rad = pi / 180.0;

struct type_row {
  std::string_view name;
  airport_type type;
};

constexpr std::array<type_row, 6> airport_types = {{
    {"small_airport", airport_type::small_airport},
    {"medium_airport", airport_type::medium_airport},
    {"large_airport", airport_type::large_airport},
    {"heliport", airport_type::heliport},
    {"seaplane_base", airport_type::seaplane_base},
    {"balloonport", airport_type::balloonport},
}};

// Longitude difference b - a, [-180, 180).
double longitude_step_deg(double a, double b) {
  double d = std::fmod(b - a, 360.0);
  if (d < -180.0) d += 360.0;
  if (d >= 180.0) d -= 360.0;
  return d;
}

struct plane_point {
  double x, y;  // metres east and north of the plane's origin
};

plane_point on_plane_around(const geo_point& origin, const geo_point& p) {
  const double east = longitude_step_deg(origin.longitude_deg, p.longitude_deg) * to_rad;
  const double north = (p.latitude_deg - origin.latitude_deg) * to_rad;
  return {east * std::cos(origin.latitude_deg * to_rad) * mean_earth_radius_m, north * mean_earth_radius_m};
}

constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

// The true heading of a runway end, by the rule of the header; NaN when it cannot be told.
double end_heading(const airport_entry& airport, const airport_runway& runway, int end) {
  const runway_end& self = runway.ends[end];
  const runway_end& other = runway.ends[1 - end];
  if (std::isfinite(self.heading_true_deg)) return self.heading_true_deg;
  if (threshold_is_placed(airport, self) && threshold_is_placed(airport, other)) {
    return bearing_deg(self.position, other.position);
  }
  if (std::isfinite(other.heading_true_deg)) return std::fmod(other.heading_true_deg + 180.0, 360.0);
  return unknown;
}

// Distance from p to a runway: to its line, or its one placed threshold; NaN when not placed.
double runway_distance(const airport_entry& airport, const airport_runway& runway, const geo_point& p) {
  const bool first = threshold_is_placed(airport, runway.ends[0]);
  const bool second = threshold_is_placed(airport, runway.ends[1]);
  if (first && second) return distance_to_line_m(p, runway.ends[0].position, runway.ends[1].position);
  if (first) return distance_m(p, runway.ends[0].position);
  if (second) return distance_m(p, runway.ends[1].position);
  return unknown;
}

// NaN (not placed) orders after every distance.
bool nearer(double a, double b) { return std::isnan(b) ? !std::isnan(a) : a < b; }

}  // namespace

std::string_view airport_type_name(airport_type type) {
  for (const type_row& row : airport_types) {
    if (row.type == type) return row.name;
  }
  return "";
}

bool airport_type_from_name(std::string_view name, airport_type& type) {
  for (const type_row& row : airport_types) {
    if (row.name == name) {
      type = row.type;
      return true;
    }
  }
  return false;
}

double distance_m(const geo_point& a, const geo_point& b) {
  const double lat1 = a.latitude_deg * to_rad;
  const double lat2 = b.latitude_deg * to_rad;
  const double dlat = lat2 - lat1;
  const double dlon = longitude_step_deg(a.longitude_deg, b.longitude_deg) * to_rad;
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) +
                   std::cos(lat1) * std::cos(lat2) * std::sin(dlon / 2) * std::sin(dlon / 2);
  return 2.0 * mean_earth_radius_m * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
}

double bearing_deg(const geo_point& from, const geo_point& to) {
  const double lat1 = from.latitude_deg * to_rad;
  const double lat2 = to.latitude_deg * to_rad;
  const double dlon = longitude_step_deg(from.longitude_deg, to.longitude_deg) * to_rad;
  const double y = std::sin(dlon) * std::cos(lat2);
  const double x = std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dlon);
  const double b = std::atan2(y, x) / to_rad;
  return b < 0.0 ? b + 360.0 : b;
}

double distance_to_line_m(const geo_point& p, const geo_point& a, const geo_point& b) {
  const plane_point pa = on_plane_around(p, a);
  const plane_point pb = on_plane_around(p, b);
  const double dx = pb.x - pa.x;
  const double dy = pb.y - pa.y;
  const double length2 = dx * dx + dy * dy;
  // The point of the line nearest p (at the origin), as a fraction of the way from a to b.
  const double t = length2 > 0.0 ? std::clamp(-(pa.x * dx + pa.y * dy) / length2, 0.0, 1.0) : 0.0;
  return std::hypot(pa.x + t * dx, pa.y + t * dy);
}

double heading_difference_deg(double a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

bool threshold_is_placed(const airport_entry& airport, const runway_end& end) {
  return end.has_position && distance_m(airport.reference, end.position) <= runway_end_reach_m;
}

std::optional<airport_match> match_airport(const airport_entry& airport, const airport_query& query,
                                           const airport_options& options) {
  if (is_other_base(airport.type) && !options.other_bases) return std::nullopt;
  double nearest = unknown;
  bool reference_counts = airport.has_unplaced_runway || airport.runways.empty();
  for (const airport_runway& runway : airport.runways) {
    const double d = runway_distance(airport, runway, query.point);
    if (std::isnan(d)) reference_counts = true;
    if (nearer(d, nearest)) nearest = d;
  }
  if (reference_counts) {
    const double d = distance_m(airport.reference, query.point);
    if (nearer(d, nearest)) nearest = d;
  }
  if (!(nearest <= options.capture_radius_m)) return std::nullopt;

  airport_match m;
  m.ident = airport.ident;
  m.name = airport.name;
  m.type = airport.type;
  m.reference = airport.reference;
  m.has_elevation = airport.has_elevation;
  m.elevation_ft = airport.elevation_ft;
  m.country = airport.country;
  m.time_zone = airport.time_zone;
  m.distance_m = nearest;
  if (!std::isfinite(query.track_true_deg)) return m;

  double best_difference = unknown;
  for (const airport_runway& runway : airport.runways) {
    const double d = runway_distance(airport, runway, query.point);
    for (int end = 0; end < 2; ++end) {
      if (runway.ends[end].ident.empty()) continue;
      const double heading = end_heading(airport, runway, end);
      const double difference = heading_difference_deg(heading, query.track_true_deg);
      if (!(difference <= runway_track_tolerance_deg)) continue;
      const bool first = m.runway.empty();
      const bool as_near = d == m.runway_distance_m || (std::isnan(d) && std::isnan(m.runway_distance_m));
      if (first || nearer(d, m.runway_distance_m) || (as_near && difference < best_difference)) {
        m.runway = runway.ends[end].ident;
        m.runway_heading_true_deg = heading;
        m.runway_distance_m = d;
        best_difference = difference;
      }
    }
  }
  return m;
}

bool is_better_match(const airport_match& a, const airport_match& b) {
  if (a.distance_m != b.distance_m) return a.distance_m < b.distance_m;
  return a.ident < b.ident;
}
