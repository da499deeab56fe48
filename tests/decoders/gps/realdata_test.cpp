// Real receiver data: LOG files wrapping sentences captured from 24 NMEA receivers and an
// aviation-format navigator, checked against the values of independent decoders that
// shared/realdata/logs/expected.json records for every fix.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "decoders/gps/assembly.h"
#include "decoders/gps/coordinates.h"
#include "support/capture.h"
#include "decoders/gps/rmc.h"
#include "support/capture.h"
#include "support/xml_check.h"

namespace {

// Just enough JSON for expected.json. An object keeps its keys beside its values in items.
struct json {
  bool null = true, boolean = false;
  double number = 0;
  std::string text;
  std::vector<std::string> keys;
  std::vector<json> items;

  const json& operator[](const std::string& key) const {
    static const json none;
    const auto it = std::find(keys.begin(), keys.end(), key);
    return it == keys.end() ? none : items[static_cast<std::size_t>(it - keys.begin())];
  }
  bool has(const std::string& key) const { return !(*this)[key].null; }
};

json read_json(const std::string& s, std::size_t& p) {
  while (std::isspace(static_cast<unsigned char>(s[p]))) ++p;
  json j;
  j.null = false;
  const char c = s[p];
  if (c == '{' || c == '[') {
    for (++p;;) {
      while (std::isspace(static_cast<unsigned char>(s[p])) || s[p] == ',') ++p;
      if (s[p] == '}' || s[p] == ']') return ++p, j;
      if (c == '{') {
        j.keys.push_back(read_json(s, p).text);
        p = s.find(':', p) + 1;
      }
      j.items.push_back(read_json(s, p));
    }
  }
  if (c == '"') {
    for (++p; s[p] != '"'; ++p) j.text += s[p] == '\\' ? s[++p] : s[p];  // only \" occurs
    return ++p, j;
  }
  if (c == 'n' || c == 't' || c == 'f') {
    j.null = c == 'n';
    j.boolean = c == 't';
    return p += c == 'f' ? 5 : 4, j;
  }
  char* end = nullptr;
  j.number = std::strtod(s.c_str() + p, &end);
  p = static_cast<std::size_t>(end - s.c_str());
  return j;
}

const std::string realdata = realdata_dir();

// What happened on one port while its LOG was read.
struct port_run {
  std::map<std::size_t, gps_fields> accepted_at;  // record index -> fields after it
  std::map<std::size_t, gps_fields> fields_after;
  int strict = 0;
};

// Feeds every GPS record of the LOG to two ports with the given formats.
std::map<int, port_run> run_ports(const std::vector<log_entry>& records, int format_1, int format_2) {
  std::map<int, port_run> runs;
  gps_composite_state states[2] = {};
  states[0].format = format_1;
  states[1].format = format_2;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const log_entry& r = records[i];
    if (r.type != 3 && r.type != 11) continue;
    const int port = r.type == 3 ? 1 : 2;
    gps_composite_state& state = states[port - 1];
    const bool accepted = process_gps_entry(reinterpret_cast<const std::uint8_t*>(r.payload.data()),
                                            static_cast<std::uint32_t>(r.payload.size()), &state);
    port_run& run = runs[port];
    if (accepted) run.accepted_at[i] = state.fields;
    run.fields_after[i] = state.fields;
    if (state.format == 2) {
      gps_nmea_fields strict{};
      const std::string text = r.payload.substr(0, r.payload.find('\0'));
      if (read_rmc_strict(text, &strict)) ++run.strict;
    }
  }
  return runs;
}

int int_at(const json& j, std::size_t i) {
  return j.items.empty() ? static_cast<int>(j.number) : static_cast<int>(j.items.at(i).number);
}

// "N 45°00.68'" as the aviation decoder prints it, in decimal degrees.
double adf_degrees(const std::string& text) {
  const double degrees = std::atof(text.c_str() + 1);
  const double minutes = std::atof(text.c_str() + text.find("\xC2\xB0") + 2);
  const double value = std::fabs(degrees) + minutes / 60.0;
  return text[0] == 'S' || text[0] == 'W' ? -value : value;
}

void check_nmea_fix(const std::string& file, const json& fix, const port_run& run) {
  const auto record = static_cast<std::size_t>(fix["record"].number);
  const json& independent = fix["independent"]["pynmea2"];
  const bool has_position = independent.has("latitude_deg") && independent.has("longitude_deg");
  const auto accepted = run.accepted_at.find(record);
  // Every RMC sentence with a position is read; the others are dropped.
  ASSERT_EQ(accepted != run.accepted_at.end(), has_position) << file << " " << fix["sentence"].text;
  if (!has_position) return;
  const gps_nmea_fields& f = accepted->second.nmea;
  const std::string sentence = fix["sentence"].text;
  EXPECT_NEAR(nmea_latitude_decimal(f.latitude, f.latitude_hemisphere), independent["latitude_deg"].number, 2e-5)
      << file << " " << sentence;
  EXPECT_NEAR(nmea_longitude_decimal(f.longitude, f.longitude_hemisphere), independent["longitude_deg"].number, 2e-5)
      << file << " " << sentence;
  if (independent.has("speed_knots")) {
    EXPECT_DOUBLE_EQ(decimal_number(f.ground_speed), independent["speed_knots"].number) << sentence;
  }
  if (independent.has("track_deg")) {
    EXPECT_DOUBLE_EQ(decimal_number(f.track), independent["track_deg"].number) << sentence;
  }
  const std::string time = independent["time"].text;  // hh:mm:ss[.ffffff]
  EXPECT_EQ(std::string(f.utc_time), time.substr(0, 2) + time.substr(3, 2) + time.substr(6, 2)) << sentence;
  const std::string date = independent["date"].text;  // yyyy-mm-dd
  EXPECT_EQ(std::string(f.utc_date), date.substr(8, 2) + date.substr(5, 2) + date.substr(2, 2)) << sentence;
  EXPECT_STREQ(f.status, independent["status"].text.c_str()) << sentence;
}

void check_aviation_fix(const std::string& file, const json& fix, const port_run& run, int format) {
  const json& independent = fix["independent"]["ADFDecoder"];
  // The message's items end at its first 0x03 byte, inside the waypoint data behind them.
  const auto end_record = static_cast<std::size_t>(fix["embedded_0x03_records"].items.at(0).number);
  const gps_aviation_fields& f = run.fields_after.at(end_record).aviation;
  const std::string where = file + " message " + std::to_string(static_cast<int>(fix["message"].number));
  if (independent.null) return;  // the first message went by before that decoder listened
  EXPECT_NEAR(aviation_latitude_decimal(f.latitude), adf_degrees(independent["Latitude"].text), 2e-5) << where;
  EXPECT_NEAR(aviation_longitude_decimal(f.longitude), adf_degrees(independent["Longitude"].text), 2e-5) << where;
  EXPECT_EQ(whole_number(f.track), independent["Track (degrees)"].number) << where;
  EXPECT_EQ(whole_number(f.ground_speed), independent["Ground Speed (knots)"].number) << where;
  EXPECT_EQ(std::string(f.wpt_ident), independent["Wpt"].text) << where;
  EXPECT_DOUBLE_EQ(whole_number(f.dist_to_wpt) / 10.0, independent["Distance to Wpt (nm)"].number) << where;
  if (format == 1) {
    EXPECT_EQ(whole_number(f.altitude), independent["GPS Altitude (ft)"].number) << where;
  } else {
    EXPECT_STREQ(f.altitude, "") << where;
  }
}

}  // namespace

TEST(GpsRealData, ReceiverSentencesAgreeWithIndependentDecoders) {
  const std::string expected_path = realdata + "/logs/expected.json";
  if (!std::filesystem::exists(expected_path)) GTEST_SKIP() << "no real GPS data at " << realdata;
  std::size_t at = 0;
  const json expected = read_json(read_file(expected_path), at);

  // RMC sentences accepted per LOG by the fixed pattern alone, and in all.
  struct counts {
    int strict;
    int accepted;
  };
  const std::map<std::string, counts> rmc_counts = {
      {"nmea_GPSmap-76S_gps1.LOG", {12, 12}},       {"nmea_ac12_gps1.LOG", {0, 7}},
      {"nmea_bu353s4_gps1.LOG", {0, 25}},           {"nmea_bundg_zeus_9_gps1.LOG", {146, 146}},
      {"nmea_bundg_zeus_9_gps2.LOG", {146, 146}},   {"nmea_com-1289_gps1.LOG", {0, 14}},
      {"nmea_eXplorist210_gps1.LOG", {0, 4}},       {"nmea_et-332_gps1.LOG", {0, 19}},
      {"nmea_foretrex-201_gps1.LOG", {7, 7}},       {"nmea_garmin-10x_gps1.LOG", {0, 10}},
      {"nmea_garmin-geko201_gps1.LOG", {18, 18}},   {"nmea_garmin15x_gps1.LOG", {7, 7}},
      {"nmea_garmin17n_gps1.LOG", {2, 2}},          {"nmea_garmin25lp_gps1.LOG", {20, 20}},
      {"nmea_garmin38_gps1.LOG", {5, 5}},           {"nmea_garmin48_gps1.LOG", {7, 7}},
      {"nmea_gpsbabel_track_nmea_gps1.LOG", {0, 154}}, {"nmea_gpslim236_gps1.LOG", {0, 20}},
      {"nmea_haicom-305N_gps1.LOG", {0, 74}},       {"nmea_magellan315_gps1.LOG", {0, 3}},
      {"nmea_meinberg-gps164_gps1.LOG", {0, 90}},   {"nmea_mt3339_gps1.LOG", {0, 30}},
      {"nmea_nokia-ld-4w_gps1.LOG", {0, 19}},       {"nmea_oncore_gps1.LOG", {0, 7}},
      {"nmea_tn204_gps1.LOG", {4, 4}},              {"nmea_tomtom-mkII_gps1.LOG", {0, 27}},
      {"dual_nmea_gps1_aviation_gps2.LOG", {146, 146}},
  };

  int logs_seen = 0;
  for (const json& log : expected["logs"].items) {
    const std::string file = log["file"].text;
    const std::vector<log_entry> records = split_log(read_file(realdata + "/logs/" + file));
    ASSERT_EQ(records.size(), static_cast<std::size_t>(log["records"].number)) << file;
    int formats[2] = {0, 0};
    const json& ports = log["gps_port"];
    for (std::size_t i = 0; i < std::max<std::size_t>(1, ports.items.size()); ++i) {
      formats[int_at(ports, i) - 1] = int_at(log["gps_format"], i);
    }
    const std::map<int, port_run> runs = run_ports(records, formats[0], formats[1]);
    ++logs_seen;

    for (const char* key : {"fixes", "fixes_gps1", "fixes_gps2"}) {
      const json& fixes = log[key];
      if (fixes.items.empty()) continue;
      const int port = std::string(key) == "fixes_gps2" ? 2 : std::string(key) == "fixes_gps1" ? 1 : int_at(ports, 0);
      const port_run& run = runs.at(port);
      if (fixes.items[0].has("sentence")) {
        int derived_strict = 0;
        for (const json& fix : fixes.items) {
          check_nmea_fix(file, fix, run);
          derived_strict += fix["derived_accepts"].boolean ? 1 : 0;
        }
        const counts c = rmc_counts.at(file);
        EXPECT_EQ(run.strict, c.strict) << file;
        EXPECT_EQ(run.strict, derived_strict) << file;
        EXPECT_EQ(static_cast<int>(run.accepted_at.size()), c.accepted) << file;
      } else {
        // One accepted sentence per message, ending at its first 0x03 byte; the rest of each
        // message (waypoint data up to the ETX) is dropped.
        std::set<std::size_t> message_ends;
        for (const json& fix : fixes.items) {
          check_aviation_fix(file, fix, run, formats[port - 1]);
          message_ends.insert(static_cast<std::size_t>(fix["embedded_0x03_records"].items.at(0).number));
        }
        std::set<std::size_t> accepting_records;
        for (const auto& [record, fields] : run.accepted_at) accepting_records.insert(record);
        EXPECT_EQ(message_ends.size(), fixes.items.size()) << file;
        EXPECT_EQ(accepting_records, message_ends) << file;
      }
    }
  }
  EXPECT_EQ(logs_seen, 30);
}

// The aviation capture's waypoint data (binary bytes, STX, zero bytes) reaches the debug
// element of every summary; the report must stay well-formed.
TEST(GpsRealData, AviationCaptureInADebugReportIsWellFormed) {
  const std::string path = realdata + "/logs/dual_nmea_gps1_aviation_gps2.LOG";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "no real GPS data at " << realdata;
  const std::string doc = decode_xml(read_file(path), options_with([](library_options& o) {
    o.verbose = o.debug = o.summary_deciseconds = o.gps_2_type = 1;
    o.gps_1_type = 2;
  }));
  EXPECT_TRUE(is_well_formed_xml(doc));
  EXPECT_NE(doc.find("<gps_2_rawdata_char>&#x2402;z0"), std::string::npos);
  EXPECT_NE(doc.find("<gps_1_latitude>N 5251.0093</gps_1_latitude>"), std::string::npos);
}
