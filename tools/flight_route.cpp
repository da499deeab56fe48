#include "flight_route.h"

#include <algorithm>

vec2 airfield::along() const { return (far_end - threshold) * (1.0 / runway_length()); }

vec2 airfield::left() const {
  const vec2 a = along();
  return {-a.y, a.x};
}

vec2 airfield::runway_point(double u, double v) const { return threshold + along() * u + left() * v; }

const airfield& home_airfield() {
  // A municipal field at the south end of a lake, one runway close to north-south (34 in use).
  static const airfield field = [] {
    airfield f;
    f.ident = "KRNT";
    f.frame.origin = {47.4931, -122.2158};
    f.elevation_ft = 32.0;
    f.threshold = f.frame.from_geo({47.4866, -122.2147});
    f.far_end = f.frame.from_geo({47.5006, -122.2168});
    f.variation_deg = 15.5;
    return f;
  }();
  return field;
}

std::string waypoint_name(flight_random& rng) {
  static constexpr char consonants[] = "BDFGKLMNPRSTVZ";
  static constexpr char vowels[] = "AEIOU";
  std::string name;
  for (int i = 0; i < 5; ++i) {
    name +=
        (i % 2 == 0) ? consonants[rng.between(0, sizeof consonants - 2)] : vowels[rng.between(0, sizeof vowels - 2)];
  }
  return name;
}

namespace {

// The random choices of a route, drawn once; the loop is then scaled to the wanted length.
struct route_shape {
  int points_per_lap = 5;
  std::vector<double> angle_jitter;   // per loop point, degrees
  std::vector<double> radius_factor;  // per loop point
  std::vector<std::string> names;     // per loop point
  std::string climb_out_name, base_name, intercept_name, final_name;
};

route_shape draw_shape(flight_random& rng, int max_points) {
  route_shape s;
  s.points_per_lap = rng.between(4, 6);
  for (int i = 0; i < max_points; ++i) {
    s.angle_jitter.push_back(rng.uniform(-12.0, 12.0));
    s.radius_factor.push_back(rng.uniform(0.85, 1.15));
    s.names.push_back(waypoint_name(rng));
  }
  s.climb_out_name = waypoint_name(rng);
  s.base_name = waypoint_name(rng);
  s.intercept_name = waypoint_name(rng);
  s.final_name = waypoint_name(rng);
  return s;
}

struct named_point {
  vec2 at;
  std::string ident;
};

// Airborne waypoints for loop scale L (metres): climb-out point, loop points around a centre
// west of the field (left turns throughout), base corner, intercept fix, final fix. The final
// lap leaves the loop heading south and joins the extended centreline from the west.
std::vector<named_point> airborne_points(const route_shape& shape, double scale, int laps, double& final_length) {
  const airfield& field = home_airfield();
  const double L = scale;
  const double f = std::clamp(0.8 * L, 2500.0, 9000.0);  // final fix distance before the threshold
  final_length = f;
  std::vector<named_point> points;
  points.push_back({field.runway_point(field.runway_length() + 800.0 + 0.3 * L, 0.0), shape.climb_out_name});
  const double cu = -0.2 * L;
  const double cv = 1.1 * L;
  const int n = shape.points_per_lap;
  std::size_t k = 0;
  for (int lap = 0; lap < laps; ++lap) {
    for (int i = 0; i < n; ++i, ++k) {
      const double theta = 15.0 + 360.0 * i / n + shape.angle_jitter[k % shape.angle_jitter.size()];
      if (lap == laps - 1 && theta > 150.0) break;
      const double r = L * shape.radius_factor[k % shape.radius_factor.size()];
      points.push_back({field.runway_point(cu + r * std::cos(radians(theta)), cv + r * std::sin(radians(theta))),
                        shape.names[k % shape.names.size()]});
    }
  }
  points.push_back({field.runway_point(-f - 0.6 * L, 0.7 * L), shape.base_name});
  points.push_back({field.runway_point(-f - 0.35 * L, 0.25 * L), shape.intercept_name});
  points.push_back({field.runway_point(-f, 0.0), shape.final_name});
  return points;
}

sortie_plan assemble(const route_shape& shape, double scale, int laps) {
  const airfield& field = home_airfield();
  const double len = field.runway_length();
  sortie_plan plan;
  auto add = [&plan](vec2 p, const std::string& ident = {}) {
    plan.path.push_back(p);
    plan.ident.push_back(ident);
    return plan.path.size() - 1;
  };
  // Parking spot on the west apron near the south end, parallel taxiway 100 m west of the centreline.
  const vec2 parking = field.runway_point(250.0, 150.0);
  add(parking);
  add(field.runway_point(250.0, 100.0));
  add(field.runway_point(20.0, 100.0));
  plan.hold_short = add(field.runway_point(20.0, 45.0));
  plan.runway_start = add(field.runway_point(20.0, 0.0));
  add(field.runway_point(len, 0.0));
  double final_length = 0.0;
  const std::vector<named_point> air = airborne_points(shape, scale, laps, final_length);
  for (const named_point& p : air) add(p.at, p.ident);
  plan.final_fix = plan.path.size() - 1;
  plan.intercept_fix = plan.final_fix - 1;
  plan.threshold = add(field.threshold, field.ident);
  add(field.runway_point(700.0, 0.0));
  add(field.runway_point(730.0, 45.0));
  add(field.runway_point(700.0, 100.0));
  add(field.runway_point(250.0, 100.0));
  plan.parking = add(parking);
  plan.along.resize(plan.path.size());
  for (std::size_t i = 1; i < plan.path.size(); ++i) {
    plan.along[i] = plan.along[i - 1] + distance(plan.path[i - 1], plan.path[i]);
  }
  // The glidepath aims 300 m beyond the threshold.
  plan.aim_along = plan.along[plan.threshold] + 300.0;
  plan.laps = laps;
  return plan;
}

}  // namespace

double airborne_length(const sortie_plan& plan) { return plan.along[plan.threshold] - plan.along[plan.runway_start]; }

sortie_plan plan_sortie(flight_random& rng, double airborne_metres, bool runup) {
  constexpr double min_scale = 1500.0;
  constexpr double max_scale = 30000.0;
  constexpr int max_laps = 40;
  const route_shape shape = draw_shape(rng, 6 * max_laps);
  int laps = 1;
  while (laps < max_laps && airborne_length(assemble(shape, max_scale, laps)) < airborne_metres) ++laps;
  double lo = min_scale;
  double hi = max_scale;
  for (int i = 0; i < 40; ++i) {
    const double mid = 0.5 * (lo + hi);
    if (airborne_length(assemble(shape, mid, laps)) < airborne_metres) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  sortie_plan plan = assemble(shape, lo, laps);
  // Higher for the longer loops, on a 500 ft step.
  const double wanted = 1500.0 + lo / metres_per_nm * 350.0;
  plan.cruise_altitude_ft = std::clamp(std::round(wanted / 500.0) * 500.0, 1500.0, 6500.0);
  plan.cruise_ias_kt = rng.uniform(104.0, 116.0);
  plan.cruise_rpm = rng.uniform(2350.0, 2450.0);
  plan.runup = runup;
  return plan;
}
