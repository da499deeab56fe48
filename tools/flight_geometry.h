// Plane geometry of the simulated flight: positions in metres east (x) and north (y) of the
// airport reference point, headings in degrees clockwise from true north.
#pragma once

#include <cmath>

struct vec2 {
  double x = 0.0;
  double y = 0.0;
};

inline vec2 operator+(vec2 a, vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline vec2 operator-(vec2 a, vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline vec2 operator*(vec2 a, double k) { return {a.x * k, a.y * k}; }
inline double dot(vec2 a, vec2 b) { return a.x * b.x + a.y * b.y; }
inline double length(vec2 a) { return std::sqrt(dot(a, a)); }
inline double distance(vec2 a, vec2 b) { return length(b - a); }

constexpr double pi = 3.14159265358979323846;
constexpr double metres_per_nm = 1852.0;
constexpr double metres_per_foot = 0.3048;
constexpr double mps_per_knot = 1852.0 / 3600.0;
constexpr double standard_gravity = 9.80665;

inline double radians(double degrees) { return degrees * pi / 180.0; }
inline double degrees(double radians) { return radians * 180.0 / pi; }

// [0, 360)
inline double wrap360(double d) {
  d = std::fmod(d, 360.0);
  if (d < 0.0) d += 360.0;
  return d >= 360.0 ? 0.0 : d;
}

// [-180, 180): the range of the AHRS heading.
inline double wrap180(double d) {
  d = wrap360(d);
  return d >= 180.0 ? d - 360.0 : d;
}

// Unit vector of a heading.
inline vec2 heading_vector(double heading_deg) {
  return {std::sin(radians(heading_deg)), std::cos(radians(heading_deg))};
}

// True bearing from one point to another, [0, 360).
inline double bearing(vec2 from, vec2 to) {
  const vec2 d = to - from;
  return wrap360(degrees(std::atan2(d.x, d.y)));
}

// Latitude and longitude around a reference point, flat-earth: exact enough within the
// hundred kilometres a local flight covers.
struct geo_position {
  double latitude = 0.0;
  double longitude = 0.0;
};

struct local_frame {
  geo_position origin;

  geo_position to_geo(vec2 p) const {
    constexpr double earth_radius = 6371000.0;
    return {origin.latitude + degrees(p.y / earth_radius),
            origin.longitude + degrees(p.x / (earth_radius * std::cos(radians(origin.latitude))))};
  }
  vec2 from_geo(geo_position g) const {
    constexpr double earth_radius = 6371000.0;
    return {radians(g.longitude - origin.longitude) * earth_radius * std::cos(radians(origin.latitude)),
            radians(g.latitude - origin.latitude) * earth_radius};
  }
};

// Great-circle geometry on a sphere of the mean earth radius, for routes that leave the
// neighbourhood of one reference point.
constexpr double earth_radius_m = 6371000.0;

// Distance in metres between two positions (haversine).
inline double geo_distance(geo_position a, geo_position b) {
  const double dlat = radians(b.latitude - a.latitude);
  const double dlon = radians(b.longitude - a.longitude);
  const double h = std::sin(dlat / 2) * std::sin(dlat / 2) + std::cos(radians(a.latitude)) *
                                                                 std::cos(radians(b.latitude)) * std::sin(dlon / 2) *
                                                                 std::sin(dlon / 2);
  return 2.0 * earth_radius_m * std::asin(std::sqrt(std::fmin(1.0, h)));
}

// Initial true bearing from a towards b, [0, 360).
inline double geo_bearing(geo_position a, geo_position b) {
  const double p1 = radians(a.latitude);
  const double p2 = radians(b.latitude);
  const double dlon = radians(b.longitude - a.longitude);
  return wrap360(degrees(std::atan2(std::sin(dlon) * std::cos(p2),
                                    std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dlon))));
}

// The position a short displacement (metres east and north) away, as one step of motion moves.
inline geo_position geo_moved(geo_position p, vec2 displacement) {
  return {p.latitude + degrees(displacement.y / earth_radius_m),
          p.longitude + degrees(displacement.x / (earth_radius_m * std::cos(radians(p.latitude))))};
}
