// The sun's apparent place comes from the low-accuracy solar coordinates of Jean Meeus,
// "Astronomical Algorithms" (2nd ed., 1998), chapter 25 (the equations NOAA's solar calculator
// uses): mean longitude and anomaly, the equation of the centre, aberration and the main term of
// nutation, and the obliquity of the ecliptic; sidereal time is Meeus's formula 12.4 plus the
// equation of the equinoxes. The direction is good to about 0.01°, a couple of seconds of time
// at sunrise. UT stands in for dynamical time: the minute or so between them moves the sun by
// three seconds of arc.
//
// Between its lower and upper culminations the sun's elevation only climbs, and after the upper
// one it only sinks, so each crossing of an altitude is bracketed by the culminations around it
// and found by halving the bracket.
#include "analysis/sun.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double radians_per_degree = std::numbers::pi / 180.0;
constexpr std::int64_t ms_per_hour = 3'600'000;
constexpr std::int64_t ms_per_day = 24 * ms_per_hour;
constexpr std::int64_t j2000_utc_ms = 946'728'000'000;  // 2000-01-01T12:00:00Z
// Instants are held within some thirty thousand years of 1970, where the arithmetic in
// milliseconds cannot overflow (the sun's place is meaningless long before that).
constexpr std::int64_t farthest_ms = std::int64_t{1} << 50;
// A crossing is located to within this.
constexpr std::int64_t crossing_precision_ms = 100;

double sin_deg(double x) { return std::sin(x * radians_per_degree); }
double cos_deg(double x) { return std::cos(x * radians_per_degree); }

// An angle in degrees brought into [-180, 180).
double signed_angle(double deg) { return deg - 360.0 * std::floor((deg + 180.0) / 360.0); }

std::int64_t held_instant(std::int64_t utc_ms) { return std::clamp(utc_ms, -farthest_ms, farthest_ms); }

// A position the trigonometry can use: a latitude beyond a pole is taken at the pole, and a
// coordinate that is not a number as 0.
geo_point usable(const geo_point& p) {
  return {std::isfinite(p.latitude_deg) ? std::clamp(p.latitude_deg, -90.0, 90.0) : 0.0,
          std::isfinite(p.longitude_deg) ? signed_angle(p.longitude_deg) : 0.0};
}

struct sun_direction {
  double declination_deg;
  double greenwich_hour_angle_deg;  // westward from the meridian of Greenwich
};

sun_direction sun_direction_at(std::int64_t utc_ms) {
  const double days = static_cast<double>(utc_ms - j2000_utc_ms) / ms_per_day;
  const double t = days / 36525.0;  // Julian centuries from J2000.0
  const double mean_longitude = 280.46646 + t * (36000.76983 + t * 0.0003032);
  const double mean_anomaly = 357.52911 + t * (35999.05029 - t * 0.0001537);
  const double centre = (1.914602 - t * (0.004817 + t * 0.000014)) * sin_deg(mean_anomaly) +
                        (0.019993 - t * 0.000101) * sin_deg(2.0 * mean_anomaly) + 0.000289 * sin_deg(3.0 * mean_anomaly);
  const double node = 125.04 - 1934.136 * t;  // longitude of the moon's ascending node
  const double nutation_in_longitude = -0.00478 * sin_deg(node);
  const double longitude = mean_longitude + centre - 0.00569 + nutation_in_longitude;  // apparent
  const double obliquity =
      23.0 + (26.0 + (21.448 - t * (46.8150 + t * (0.00059 - t * 0.001813))) / 60.0) / 60.0 + 0.00256 * cos_deg(node);
  const double right_ascension =
      std::atan2(cos_deg(obliquity) * sin_deg(longitude), cos_deg(longitude)) / radians_per_degree;
  const double declination = std::asin(sin_deg(obliquity) * sin_deg(longitude)) / radians_per_degree;
  const double mean_sidereal_time =
      280.46061837 + 360.98564736629 * days + t * t * (0.000387933 - t / 38710000.0);
  const double sidereal_time = mean_sidereal_time + nutation_in_longitude * cos_deg(obliquity);
  return {declination, signed_angle(sidereal_time - right_ascension)};
}

double elevation_deg(const sun_direction& sun, const geo_point& p) {
  const double sine = sin_deg(p.latitude_deg) * sin_deg(sun.declination_deg) +
                      cos_deg(p.latitude_deg) * cos_deg(sun.declination_deg) *
                          cos_deg(sun.greenwich_hour_angle_deg + p.longitude_deg);
  return std::asin(std::clamp(sine, -1.0, 1.0)) / radians_per_degree;
}

double elevation_deg(std::int64_t utc_ms, const geo_point& p) { return elevation_deg(sun_direction_at(utc_ms), p); }

// The refraction of a standard atmosphere in degrees for a geometric elevation, as NOAA's solar
// calculator approximates it: the classic series high up, a fitted polynomial near the horizon,
// and a tail that fades below it.
double refraction_deg(double elevation) {
  if (elevation > 85.0) return 0.0;
  const double tangent = std::tan(elevation * radians_per_degree);
  double arc_seconds;
  if (elevation > 5.0) {
    arc_seconds = 58.1 / tangent - 0.07 / std::pow(tangent, 3) + 0.000086 / std::pow(tangent, 5);
  } else if (elevation > -0.575) {
    arc_seconds = 1735.0 + elevation * (-518.2 + elevation * (103.4 + elevation * (-12.79 + elevation * 0.711)));
  } else {
    arc_seconds = -20.772 / tangent;
  }
  return arc_seconds / 3600.0;
}

// The instant nearest near_ms at which the sun stands at the local hour angle hour_angle_deg
// (0: its upper culmination, 180: its lower one). The hour angle grows by 360° in a mean solar
// day, give or take the equation of time's drift, so a few steps settle to the millisecond.
std::int64_t culmination_near(std::int64_t near_ms, double longitude_deg, double hour_angle_deg) {
  std::int64_t t = near_ms;
  for (int step = 0; step < 4; ++step) {
    const double off = signed_angle(sun_direction_at(t).greenwich_hour_angle_deg + longitude_deg - hour_angle_deg);
    t -= std::llround(off / 360.0 * ms_per_day);
  }
  return t;
}

// The place a fraction of the way from a to b, the shorter way round in longitude.
geo_point point_between(const geo_point& a, const geo_point& b, double fraction) {
  return {a.latitude_deg + fraction * (b.latitude_deg - a.latitude_deg),
          a.longitude_deg + fraction * signed_angle(b.longitude_deg - a.longitude_deg)};
}

// The instant in [from_ms, to_ms] at which the elevation, below `altitude` at one end and not
// below it at the other, crosses it; the place moves evenly from `from` to `to` meanwhile.
std::int64_t crossing_between(std::int64_t from_ms, const geo_point& from, std::int64_t to_ms, const geo_point& to,
                              double altitude) {
  const std::int64_t span = to_ms - from_ms;
  const auto at = [&](std::int64_t t) {
    return span > 0 ? point_between(from, to, static_cast<double>(t - from_ms) / static_cast<double>(span)) : from;
  };
  const bool below_first = elevation_deg(from_ms, from) < altitude;
  std::int64_t low = from_ms;
  std::int64_t high = to_ms;
  while (high - low > crossing_precision_ms) {
    const std::int64_t mid = low + (high - low) / 2;
    if ((elevation_deg(mid, at(mid)) < altitude) == below_first) {
      low = mid;
    } else {
      high = mid;
    }
  }
  return low + (high - low) / 2;
}

// The crossings of one altitude in a solar day whose elevations at its start, noon and end are
// known.
sun_crossings crossings_of(double altitude, const sun_day& day, const geo_point& p, const double (&elevations)[3]) {
  const auto [at_start, at_noon, at_end] = elevations;
  sun_crossings c;
  c.above_all_day = std::min({at_start, at_noon, at_end}) >= altitude;
  c.below_all_day = std::max({at_start, at_noon, at_end}) < altitude;
  if (at_start < altitude && at_noon >= altitude) c.rise_ms = crossing_between(day.start_ms, p, day.noon_ms, p, altitude);
  if (at_noon >= altitude && at_end < altitude) c.set_ms = crossing_between(day.noon_ms, p, day.end_ms, p, altitude);
  return c;
}

}  // namespace

double solar_elevation_deg(std::int64_t utc_ms, const geo_point& where, sun_refraction refraction) {
  const double geometric = elevation_deg(held_instant(utc_ms), usable(where));
  return refraction == sun_refraction::standard ? geometric + refraction_deg(geometric) : geometric;
}

sun_day solar_day_at(std::int64_t utc_ms, const geo_point& where) {
  const geo_point p = usable(where);
  const std::int64_t t = held_instant(utc_ms);
  sun_day day;
  day.start_ms = culmination_near(t, p.longitude_deg, 180.0);
  if (day.start_ms > t) day.start_ms = culmination_near(day.start_ms - ms_per_day, p.longitude_deg, 180.0);
  day.end_ms = culmination_near(day.start_ms + ms_per_day, p.longitude_deg, 180.0);
  day.noon_ms = culmination_near(day.start_ms + ms_per_day / 2, p.longitude_deg, 0.0);
  const double elevations[3] = {elevation_deg(day.start_ms, p), elevation_deg(day.noon_ms, p),
                                elevation_deg(day.end_ms, p)};
  day.sun = crossings_of(sunrise_altitude_deg, day, p, elevations);
  day.civil = crossings_of(civil_twilight_altitude_deg, day, p, elevations);
  return day;
}

bool is_night_landing_time(std::int64_t utc_ms, const geo_point& where) {
  const geo_point p = usable(where);
  const std::int64_t t = held_instant(utc_ms);
  // The sun stands highest in the two hours at one of their ends or at a noon between them.
  double highest = std::max(elevation_deg(t - ms_per_hour, p), elevation_deg(t + ms_per_hour, p));
  const std::int64_t noon = culmination_near(t, p.longitude_deg, 0.0);
  if (noon > t - ms_per_hour && noon < t + ms_per_hour) highest = std::max(highest, elevation_deg(noon, p));
  return highest < sunrise_altitude_deg;
}

void night_time_splitter::add(std::int64_t utc_ms, const geo_point& where) {
  const geo_point p = usable(where);
  const std::int64_t t = held_instant(utc_ms);
  const double elevation = elevation_deg(t, p);
  if (has_last_ && t >= last_ms_) add_stretch(last_ms_, last_, last_elevation_deg_, t, p, elevation);
  has_last_ = true;
  last_ms_ = t;
  last_ = p;
  last_elevation_deg_ = elevation;
}

void night_time_splitter::add_stretch(std::int64_t from_ms, const geo_point& from, double from_elevation,
                                      std::int64_t to_ms, const geo_point& to, double to_elevation) {
  // A long stretch (fixes lost for a while) is looked at every ten minutes, so that a twilight
  // passed and a long stretch never costs more than a bounded number of solar positions.
  constexpr std::int64_t piece_ms = 10 * 60'000;
  constexpr std::int64_t most_pieces = 1024;
  const std::int64_t span = to_ms - from_ms;
  if (span <= 0) return;
  const std::int64_t pieces = std::clamp((span + piece_ms - 1) / piece_ms, std::int64_t{1}, most_pieces);
  std::int64_t a_ms = from_ms;
  geo_point a = from;
  bool a_night = from_elevation < civil_twilight_altitude_deg;
  for (std::int64_t i = 1; i <= pieces; ++i) {
    const bool last_piece = i == pieces;
    const std::int64_t b_ms = last_piece ? to_ms : from_ms + span * i / pieces;
    const geo_point b = last_piece ? to : point_between(from, to, static_cast<double>(b_ms - from_ms) / static_cast<double>(span));
    const bool b_night = (last_piece ? to_elevation : elevation_deg(b_ms, b)) < civil_twilight_altitude_deg;
    const std::int64_t change_ms =
        a_night == b_night ? b_ms : crossing_between(a_ms, a, b_ms, b, civil_twilight_altitude_deg);
    (a_night ? night_ms_ : day_ms_) += change_ms - a_ms;
    (b_night ? night_ms_ : day_ms_) += b_ms - change_ms;
    a_ms = b_ms;
    a = b;
    a_night = b_night;
  }
}
