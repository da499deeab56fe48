#include "flight_simulator.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

#include "flight_model.h"
#include "flight_sentences.h"
#include "flight_sources.h"
#include "log_writer.h"

namespace {

constexpr int steps_per_second = 25;  // the AHRS high-rate message rate
constexpr double step_seconds = 1.0 / steps_per_second;
constexpr int step_ms = 1000 / steps_per_second;
constexpr double bytes_per_second_estimate = 1365.0;  // of a typical flight, for --size-mb

// A calendar date, moved on a day at a time as the flight crosses midnight UTC.
struct civil_date {
  int day = 18;
  int month = 5;
  int year = 2024;

  void next_day() {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int in_month = days[static_cast<std::size_t>(month - 1)] + (month == 2 && leap ? 1 : 0);
    if (++day > in_month) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
};

// Days from 1970-01-01 of a civil date.
std::int64_t utc_day_number(int year, int month, int day) {
  const int y = month <= 2 ? year - 1 : year;
  const int era = y / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  return std::int64_t{era} * 146097 + year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year - 719468;
}

// One record waiting for its place in the second being written.
struct pending_record {
  std::uint32_t timestamp;
  std::vector<std::uint8_t> bytes;
};

class flight_recorder {
 public:
  flight_recorder(const flight_options& options, flight_notes* notes)
      : options_(options),
        notes_(notes),
        model_(options.seed, std::max(0.0, options.minutes) * 60.0),
        sensor_rng_(options.seed, 4),
        serial_rng_(options.seed, 5),
        event_rng_(options.seed, 6) {
    first_timestamp_ = 2000 + static_cast<std::uint32_t>(options.seed % 1000);
    utc_start_ = 15 * 3600 + static_cast<int>(options.seed % 7200);
    gps_fix_seconds_[0] = event_rng_.uniform(12.0, 18.0);
    gps_fix_seconds_[1] = event_rng_.uniform(20.0, 30.0);
    if (notes_ != nullptr) {
      const std::int64_t day = utc_day_number(date_.year, date_.month, date_.day);
      notes_->utc_ms_at_log_zero = (day * 86400 + utc_start_) * 1000 - first_timestamp_;
    }
  }

  bool run(const log_sink& sink) {
    const long seconds = std::lround(std::max(0.0, options_.minutes) * 60.0);
    std::vector<std::uint8_t> chunk;
    for (long n = 0; n < seconds; ++n) {
      second_.clear();
      record_second(n);
      std::stable_sort(second_.begin(), second_.end(),
                       [](const pending_record& a, const pending_record& b) { return a.timestamp < b.timestamp; });
      chunk.clear();
      for (const pending_record& r : second_) chunk.insert(chunk.end(), r.bytes.begin(), r.bytes.end());
      if (!chunk.empty() && !sink(chunk)) return false;
    }
    return true;
  }

 private:
  void add(const log_writer& w, std::uint32_t timestamp) { second_.push_back({timestamp, w.data()}); }
  void add_record(std::uint8_t type, std::uint32_t timestamp, std::string_view payload) {
    log_writer w;
    w.record(type, timestamp, payload);
    add(w, timestamp);
  }

  std::uint8_t gps_port(bool aviation) const { return (aviation != options_.swap_gps) ? 3 : 11; }

  void record_second(long n) {
    const std::uint32_t second_start = first_timestamp_ + static_cast<std::uint32_t>(n) * 1000u;
    if (n == 0) power_up_records(second_start);
    if (n == 1 || (n > 0 && n % 1800 == 0)) user_calibration(second_start + 500);
    if (n % 600 == 2) maintenance_message(second_start + 610);
    if (n == 30 || (n > 0 && n % 1800 == 30)) weather_report(second_start + 700);
    if (n > 0 && n % 300 == 150) arinc_words(second_start + 800);
    if (second_of_day(n) % 86400 == 0 && n > 0) date_.next_day();
    for (int k = 0; k < steps_per_second; ++k) {
      model_.step(step_seconds);
      const std::uint32_t t = second_start + static_cast<std::uint32_t>(k * step_ms);
      if (notes_ != nullptr) note_changes(t);
      phase_events(t + 30);
      ahrs_high_rate(t + static_cast<std::uint32_t>(sensor_rng_.between(0, 4)));
      if (k == 3 || k == 11 || k == 19) eis(t + static_cast<std::uint32_t>(12 + sensor_rng_.between(0, 8)));
      if (k == 7) ahrs_low_rate(t + static_cast<std::uint32_t>(20 + sensor_rng_.between(0, 6)));
      if (k == 14) analog(t + static_cast<std::uint32_t>(22 + sensor_rng_.between(0, 6)));
      if (k == 2) aviation_gps(n, t + static_cast<std::uint32_t>(5 + serial_rng_.between(0, 10)));
      if (k == 5) nmea_gps(n, t + static_cast<std::uint32_t>(20 + serial_rng_.between(0, 15)));
    }
  }

  int second_of_day(long n) const { return static_cast<int>((utc_start_ + n) % 86400); }

  void note_changes(std::uint32_t t) {
    const bool running = model_.engine().running;
    const bool airborne = model_.aircraft().airborne;
    std::vector<sortie_times>& sorties = notes_->sorties;
    if (running && !was_running_) sorties.push_back({t, 0, 0, 0});
    if (!sorties.empty()) {
      if (airborne && !was_airborne_) sorties.back().takeoff_ms = t;
      if (!airborne && was_airborne_) sorties.back().landing_ms = t;
      if (!running && was_running_) sorties.back().engine_stop_ms = t;
    }
    was_running_ = running;
    was_airborne_ = airborne;
  }

  void note_eis(const eis_fields& f) {
    if (notes_ == nullptr) return;
    for (std::size_t i = 0; i < 6; ++i) {
      notes_->cht_max[i] = std::max(notes_->cht_max[i], f.cht[i]);
      notes_->egt_max[i] = std::max(notes_->egt_max[i], f.egt[i]);
    }
  }

  // ---- AHRS ----

  void ahrs_high_rate(std::uint32_t timestamp) {
    const ahrs_hr_fields f =
        ahrs_high_rate_reading(model_.aircraft(), model_.magnetic_heading_deg(), model_.time() < 20.0, sensor_rng_);
    log_writer w;
    w.ahrs_hr(timestamp, f);
    add(w, timestamp);
  }

  void ahrs_low_rate(std::uint32_t timestamp) {
    const ahrs_lr_fields f =
        ahrs_low_rate_reading(model_.outside_temp_c(), model_.engine().bus_volts, model_.time(), sensor_rng_);
    log_writer w;
    w.ahrs_lr(timestamp, f);
    add(w, timestamp);
  }

  void user_calibration(std::uint32_t timestamp) {
    flight_random cal(options_.seed, 7);  // the same calibration every time it is sent
    std::array<std::uint16_t, 8> words{};
    for (std::uint16_t& word : words) word = static_cast<std::uint16_t>(cal.between(0, 0xFFFF));
    log_writer w;
    w.ahrs_user_cal(timestamp, words, static_cast<std::uint8_t>(cal.between(0, 255)));
    add(w, timestamp);
  }

  void maintenance_message(std::uint32_t timestamp) {
    std::array<std::uint8_t, 12> sub{};
    const auto minutes = static_cast<unsigned>(model_.time() / 60.0);
    sub[0] = 0x01;  // message kind
    sub[1] = static_cast<std::uint8_t>(minutes >> 8);
    sub[2] = static_cast<std::uint8_t>(minutes);
    for (std::size_t i = 3; i < sub.size(); ++i) sub[i] = static_cast<std::uint8_t>(event_rng_.between(0, 255));
    log_writer w;
    w.ahrs_raw(timestamp, 251, sub);
    add(w, timestamp);
  }

  // ---- EIS ----

  void eis(std::uint32_t timestamp) {
    const engine_state& e = model_.engine();
    // A four-cylinder engine: probes 5 and 6 are not fitted.
    eis_fields f = eis_reading(model_.aircraft(), e, model_.outside_temp_c(), model_.time(), 4, 2.0, sensor_rng_);
    f.aux[0] = clamped<std::int16_t>(e.manifold_inhg * 10.0);      // aux 1: manifold pressure
    f.aux[1] = clamped<std::int16_t>(e.fuel_pressure_psi * 10.0);  // aux 2: fuel pressure
    f.checksum = payload_sum(eis_payload(f), 72);
    note_eis(f);
    log_writer w;
    w.eis(timestamp, f);
    add(w, timestamp);
  }

  // ---- analog inputs ----

  void analog(std::uint32_t timestamp) {
    const airfield& field = home_airfield();
    const aircraft_state& a = model_.aircraft();
    const vec2 d = a.position - field.threshold;
    const ils_view ils = {dot(d, field.along()), dot(d, field.left()), field.runway_length(),
                          a.altitude_ft - field.elevation_ft};
    const std::array<std::uint16_t, 16> values =
        analog_reading(ils, a, model_.engine().bus_volts, model_.time(), analog_flags_, sensor_rng_);
    log_writer w;
    w.analog(timestamp, values);
    add(w, timestamp);
  }

  // ---- GPS ----

  gps_report gps_reading(long n, int receiver) {
    const airfield& field = home_airfield();
    const aircraft_state& a = model_.aircraft();
    const navigation_state nav = model_.navigation();
    gps_report r;
    const vec2 noise = {gps_noise_[receiver][0].next(sensor_rng_), gps_noise_[receiver][1].next(sensor_rng_)};
    const geo_position g = field.frame.to_geo(a.position + noise);
    r.latitude = g.latitude;
    r.longitude = g.longitude;
    r.altitude_ft = a.altitude_ft + gps_noise_[receiver][2].next(sensor_rng_) * 6.0;
    const double speed_kt = a.ground_speed_mps / mps_per_knot;
    if (speed_kt >= 1.0 || !track_known_[receiver]) last_track_[receiver] = a.track_deg;
    track_known_[receiver] = true;  // standing still, the receiver keeps the last track
    r.track_deg = last_track_[receiver];
    r.ground_speed_kt = speed_kt;
    r.variation_deg = field.variation_deg;
    r.waypoint = nav.waypoint;
    r.waypoint_distance_nm = nav.waypoint_distance_m / metres_per_nm;
    r.destination_distance_nm = nav.destination_distance_m / metres_per_nm;
    r.cross_track_nm = nav.cross_track_m / metres_per_nm;
    r.desired_track_deg = nav.desired_track_deg;
    r.bearing_deg = nav.bearing_deg;
    r.fix = model_.time() >= gps_fix_seconds_[receiver];
    r.utc_seconds = second_of_day(n);
    r.day = date_.day;
    r.month = date_.month;
    r.year = date_.year;
    return r;
  }

  // The panel GPS talks the aviation format at 9600 baud once it has a fix.
  void aviation_gps(long n, std::uint32_t start) {
    const gps_report r = gps_reading(n, 0);
    if (!r.fix) return;
    const std::string sentence = aviation_sentence(r, options_.aviation_format);
    for (const auto& [timestamp, bytes] : serial_records(sentence, start, 10000.0 / 9600.0, serial_rng_)) {
      add_record(gps_port(true), timestamp, bytes);
    }
  }

  // The second receiver sends $GPRMC; the EFIS logs each sentence once it is complete.
  void nmea_gps(long n, std::uint32_t timestamp) {
    add_record(gps_port(false), timestamp, gprmc_sentence(gps_reading(n, 1)));
  }

  // ---- settings and the undecoded sources ----

  void power_up_records(std::uint32_t second_start) {
    static constexpr std::array<std::string_view, 10> settings = {"58=4", "321=1", "345=0", "346=0", "64=1",
                                                                  "70=2", "76=0",  "82=0",  "88=0",  "94=0"};
    std::uint32_t t = second_start + 400;
    for (const std::string_view s : settings) {
      add_record(7, t, s);
      t += 7;
    }
    add_record(5, second_start + 520, "COM 118.300/121.500 NAV 111.70/116.80\r\n");
    add_record(6, second_start + 540, "COM 126.950/122.750 NAV 116.80/113.40\r\n");
    add_record(12, second_start + 560, "COM 121.600/124.700\r\n");
  }

  void state_record(std::uint32_t timestamp, std::uint8_t event) {
    const aircraft_state& a = model_.aircraft();
    const std::array<std::uint8_t, 8> payload = {'S',
                                                 event,
                                                 static_cast<std::uint8_t>(model_.sortie()),
                                                 static_cast<std::uint8_t>(model_.phase()),
                                                 static_cast<std::uint8_t>(model_.engine().running ? 1 : 0),
                                                 static_cast<std::uint8_t>(a.airborne ? 1 : 0),
                                                 0,
                                                 0};
    log_writer w;
    w.record(8, timestamp, payload);
    add(w, timestamp);
  }

  // Radio changes and state records at the moments a pilot would cause them.
  void phase_events(std::uint32_t timestamp) {
    const flight_phase phase = model_.phase();
    if (phase != last_phase_) {
      last_phase_ = phase;
      state_record(timestamp, static_cast<std::uint8_t>(0x10 + static_cast<int>(phase)));
      if (phase == flight_phase::lineup) add_record(5, timestamp + 1, "COM 124.700/118.300 NAV 111.70/116.80\r\n");
      if (phase == flight_phase::landing_roll) add_record(12, timestamp + 1, "COM 121.600/124.700\r\n");
    }
    const bool near_final = model_.along() >= model_.plan().along[model_.plan().intercept_fix] - 6000.0;
    if (model_.phase() == flight_phase::airborne && near_final && !approach_tuned_) {
      approach_tuned_ = true;
      add_record(5, timestamp + 2, "COM 124.700/118.300 NAV 111.70/116.80 ILS\r\n");
    }
    if (model_.phase() == flight_phase::parked) approach_tuned_ = false;
  }

  void arinc_words(std::uint32_t timestamp) {
    const aircraft_state& a = model_.aircraft();
    const geo_position g = home_airfield().frame.to_geo(a.position);
    // Four 32-bit words: label, source/destination bits, 19 data bits, sign/status, odd parity.
    const std::array<std::pair<std::uint8_t, double>, 4> items = {{{0310, g.latitude / 180.0},
                                                                   {0311, g.longitude / 180.0},
                                                                   {0312, a.ground_speed_mps / mps_per_knot / 4096.0},
                                                                   {0313, wrap180(a.track_deg) / 180.0}}};
    std::vector<std::uint8_t> payload;
    for (const auto& [label, fraction] : items) {
      const auto data =
          static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(fraction * 262144.0))) & 0x7FFFFu;
      std::uint32_t word = label | (data << 10) | (3u << 29);
      if (std::popcount(word) % 2 == 0) word |= 1u << 31;
      for (int shift = 24; shift >= 0; shift -= 8) payload.push_back(static_cast<std::uint8_t>(word >> shift));
    }
    log_writer w;
    w.record(9, timestamp, payload);
    add(w, timestamp);
  }

  void weather_report(std::uint32_t timestamp) {
    const int t = second_of_day(static_cast<long>(model_.time()));
    const long wind_dir = std::lround(model_.surface_wind_from_deg() / 10.0) * 10;
    const double temp =
        model_.outside_temp_c() + 1.98 * (model_.aircraft().altitude_ft - model_.field_elevation_ft()) / 1000.0;
    char text[128];
    std::snprintf(text, sizeof text, "METAR %s %02d%02d%02dZ %03ld%02ldKT 10SM FEW045 %02ld/%02ld A2992\r\n",
                  home_airfield().ident.c_str(), date_.day, t / 3600, t / 60 % 60, wind_dir == 0 ? 360 : wind_dir,
                  std::lround(model_.surface_wind_kt()), std::lround(temp), std::lround(temp) - 7);
    add_record(10, timestamp, text);
  }

  flight_options options_;
  flight_notes* notes_;
  bool was_running_ = false;
  bool was_airborne_ = false;
  flight_model model_;
  flight_random sensor_rng_;
  flight_random serial_rng_;
  flight_random event_rng_;
  std::uint32_t first_timestamp_ = 0;
  int utc_start_ = 0;
  civil_date date_;
  std::array<double, 2> gps_fix_seconds_ = {};
  std::array<double, 2> last_track_ = {};
  std::array<bool, 2> track_known_ = {};
  std::array<std::array<drifting_noise, 3>, 2> gps_noise_ = {
      {{drifting_noise(12.0, 0.05), drifting_noise(12.0, 0.05), drifting_noise(12.0, 0.05)},
       {drifting_noise(12.0, 0.05), drifting_noise(12.0, 0.05), drifting_noise(12.0, 0.05)}}};
  analog_flags analog_flags_;
  flight_phase last_phase_ = flight_phase::parked;
  bool approach_tuned_ = false;
  std::vector<pending_record> second_;
};

}  // namespace

flight_options demo_flight_options() {
  flight_options o;
  o.seed = 42;
  o.minutes = 11.0;
  return o;
}

std::vector<std::pair<std::uint32_t, std::string>> serial_records(std::string_view bytes, std::uint32_t start,
                                                                  double byte_ms, flight_random& rng) {
  std::vector<std::pair<std::uint32_t, std::string>> records;
  std::size_t sent = 0;
  double poll = start + rng.between(5, 30);
  while (sent < bytes.size()) {
    // Bytes that have arrived by this poll: byte i arrives at start + (i + 1) * byte_ms.
    const double arrived = std::floor((poll - start) / byte_ms);
    const std::size_t available = std::min(bytes.size(), static_cast<std::size_t>(std::max(0.0, arrived)));
    if (available > sent) {
      records.emplace_back(static_cast<std::uint32_t>(poll), std::string(bytes.substr(sent, available - sent)));
      sent = available;
    }
    poll += rng.between(15, 40);
    if (rng.between(0, 24) == 0) poll += rng.between(60, 200);  // the EFIS was busy elsewhere
  }
  return records;
}

bool simulate_flight(const flight_options& options, const log_sink& sink, flight_notes* notes) {
  if (notes != nullptr) *notes = flight_notes{};
  flight_recorder recorder(options, notes);
  return recorder.run(sink);
}

std::string simulated_log(const flight_options& options, flight_notes* notes) {
  std::string log;
  simulate_flight(
      options,
      [&log](std::span<const std::uint8_t> bytes) {
        log.append(bytes.begin(), bytes.end());
        return true;
      },
      notes);
  return log;
}

double minutes_for_megabytes(double megabytes) { return megabytes * 1e6 / bytes_per_second_estimate / 60.0; }
