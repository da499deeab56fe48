#include "support/flight_profile.h"

#include <cmath>
#include <cstdio>

#include "log_writer.h"
#include "support/capture.h"
#include "text/utc_text.h"

std::string rmc_sentence(std::int64_t utc_s, double kt) {
  const utc_fields f = utc_fields_of(utc_s);
  char text[128];
  std::snprintf(text, sizeof text,
                "$GPRMC,%02d%02d%02d,A,4728.000,N,12213.000,W,%05.1f,010.0,%02d%02d%02d,015.0,E*00\r\n", f.hour,
                f.minute, f.second, kt, f.day, f.month, f.year % 100);
  return text;
}

std::uint32_t leg_start_ms(const std::vector<profile_leg>& legs, std::size_t index, const profile_options& options) {
  double seconds = 0.0;
  for (std::size_t i = 0; i < index; ++i) seconds += legs[i].seconds;
  return options.first_ms + static_cast<std::uint32_t>(std::lround(seconds * 1000.0));
}

std::string profile_log(const std::vector<profile_leg>& legs, const profile_options& options) {
  log_writer log;
  std::uint32_t t = options.first_ms;
  for (const std::string& s : options.settings) log.set_menu(t, s);
  double latitude_minutes = 0.0;
  double fuel_tenths = 400.0;  // on board
  double engine_tenths = options.engine_hours * 10.0;
  for (const profile_leg& leg : legs) {
    const auto steps = static_cast<long>(std::lround(leg.seconds * 10.0));
    for (long k = 0; k < steps; ++k, t += 100) {
      const std::uint32_t since = t - options.first_ms;
      if (since % 500 == 0) {
        eis_fields e;
        e.tachometer = static_cast<std::uint16_t>(leg.rpm);
        for (std::size_t c = 0; c < 4; ++c) {
          e.cht[c] = static_cast<std::uint16_t>(leg.rpm / 10 + c);
          e.egt[c] = static_cast<std::uint16_t>(leg.rpm / 2 + c);
        }
        e.oilpressure = static_cast<std::uint8_t>(leg.rpm > 0 ? 60 : 0);
        e.oiltemp = static_cast<std::uint16_t>(leg.rpm > 0 ? 100 + leg.rpm / 20 : 60);
        e.primaryvoltage = leg.rpm > 0 ? 140 : 125;
        e.fuelflow = static_cast<std::uint16_t>(leg.rpm / 20);  // tenths per hour
        e.fuelqty = static_cast<std::uint16_t>(std::lround(fuel_tenths));
        fuel_tenths -= e.fuelflow / 7200.0;  // burned in the half second to the next sample
        e.elapsed_time = static_cast<std::uint16_t>(engine_tenths + 1e-9);
        if (leg.rpm > 0) engine_tenths += 0.5 / 360.0;
        log.eis(t, e);
      }
      if (options.ahrs && since % 200 == 0) {
        log.ahrs_hr(t + 1, {.pressure_alt = static_cast<std::uint16_t>(5000 + leg.kt * 10),
                            .asi = static_cast<std::int16_t>(std::lround(leg.kt * 16.8780986))});
      }
      if (since % 1000 == 0) {
        latitude_minutes += leg.kt / 3600.0;  // a nautical mile is a minute of latitude
        if (options.gps_speed) {
          const int minutes = static_cast<int>(latitude_minutes);
          const int hundredths = static_cast<int>((latitude_minutes - minutes) * 100);
          char fix[128];
          std::snprintf(fix, sizeof fix, "\x02z01000\r\nAN 47 %02d%02d\r\nBW 122 1300\r\nC010\r\nD%03d\r\n\x03",
                        minutes % 60, hundredths, static_cast<int>(std::lround(leg.kt)));
          log.gps1(t + 3, fix);
        }
        if (options.nmea_time) log.gps2(t + 5, rmc_sentence(options.utc_start_s + since / 1000, leg.kt));
      }
    }
  }
  return log.str();
}

log_summary analyse_bytes(const std::string& log, const analysis_options& options) {
  FILE* in = stream_with(log);
  const context_ptr ctx = make_context();
  log_summary s = analyse_log(*ctx, options, in);
  std::fclose(in);
  return s;
}
