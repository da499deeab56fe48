// Real receiver data: LOG files wrapping sentences captured from 24 NMEA receivers and an
// aviation-format navigator, checked against the values of independent decoders that
// shared/realdata/logs/expected.json records for every fix.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "decoders/gps_assembly.h"
#include "decoders/gps_coordinates.h"
#include "decoders/gps_rmc.h"
#include "support/capture.h"
#include "support/xml_check.h"

namespace {

// Just enough JSON for expected.json: objects, arrays, strings, numbers, true, false, null.
struct json {
  using object = std::map<std::string, json>;
  using array = std::vector<json>;
  std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<array>, std::shared_ptr<object>> value;

  bool is_null() const { return std::holds_alternative<std::nullptr_t>(value); }
  const json& operator[](const std::string& key) const {
    static const json none;
    const auto* o = std::get_if<std::shared_ptr<object>>(&value);
    if (o == nullptr) return none;
    const auto it = (*o)->find(key);
    return it == (*o)->end() ? none : it->second;
  }
  const array& items() const {
    static const array empty;
    const auto* a = std::get_if<std::shared_ptr<array>>(&value);
    return a == nullptr ? empty : **a;
  }
  double number() const { return std::get<double>(value); }
  bool is_true() const { return std::holds_alternative<bool>(value) && std::get<bool>(value); }
  const std::string& text() const { return std::get<std::string>(value); }
  bool has(const std::string& key) const { return !(*this)[key].is_null(); }
};

class json_reader {
 public:
  explicit json_reader(const std::string& s) : s_(s) {}

  json read() {
    skip();
    json j;
    const char c = s_.at(p_);
    if (c == '{') {
      auto o = std::make_shared<json::object>();
      ++p_;
      for (skip(); s_.at(p_) != '}'; skip()) {
        skip();
        std::string key = string();
        skip();
        ++p_;  // ':'
        (*o)[key] = read();
        skip();
        if (s_.at(p_) == ',') ++p_;
      }
      ++p_;
      j.value = o;
    } else if (c == '[') {
      auto a = std::make_shared<json::array>();
      ++p_;
      for (skip(); s_.at(p_) != ']'; skip()) {
        a->push_back(read());
        skip();
        if (s_.at(p_) == ',') ++p_;
      }
      ++p_;
      j.value = a;
    } else if (c == '"') {
      j.value = string();
    } else if (s_.compare(p_, 4, "true") == 0 || s_.compare(p_, 5, "false") == 0) {
      j.value = c == 't';
      p_ += c == 't' ? 4 : 5;
    } else if (s_.compare(p_, 4, "null") == 0) {
      p_ += 4;
    } else {
      char* end = nullptr;
      j.value = std::strtod(s_.c_str() + p_, &end);
      p_ = static_cast<std::size_t>(end - s_.c_str());
    }
    return j;
  }

 private:
  void skip() {
    while (p_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[p_]))) ++p_;
  }
  std::string string() {
    std::string out;
    for (++p_; s_.at(p_) != '"'; ++p_) {
      if (s_[p_] != '\\') {
        out += s_[p_];
        continue;
      }
      const char e = s_.at(++p_);
      if (e == 'u') {
        const unsigned code = static_cast<unsigned>(std::stoul(s_.substr(p_ + 1, 4), nullptr, 16));
        p_ += 4;
        if (code < 0x80) {
          out += static_cast<char>(code);
        } else if (code < 0x800) {
          out += static_cast<char>(0xC0 | (code >> 6));
          out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
          out += static_cast<char>(0xE0 | (code >> 12));
          out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
          out += static_cast<char>(0x80 | (code & 0x3F));
        }
      } else {
        out += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
      }
    }
    ++p_;
    return out;
  }

  const std::string& s_;
  std::size_t p_ = 0;
};

struct log_record {
  std::uint8_t type;
  std::string payload;
};

std::vector<log_record> read_log(const std::string& bytes) {
  std::vector<log_record> records;
  std::size_t p = 0;
  const auto be32 = [&bytes](std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return v;
  };
  while (p + 9 <= bytes.size()) {
    const std::uint32_t length = be32(p + 5);
    records.push_back({static_cast<std::uint8_t>(bytes[p]), bytes.substr(p + 9, length)});
    p += 9 + length;
  }
  return records;
}

const std::string realdata = std::string(ORVEX_SOURCE_DIR) + "/../shared/realdata";

// What happened on one port while its LOG was read.
struct port_run {
  std::map<std::size_t, gps_fields> accepted_at;  // record index -> fields after it
  std::map<std::size_t, gps_fields> fields_after;
  int strict = 0;
};

// Feeds every GPS record of the LOG to two ports with the given formats.
std::map<int, port_run> run_ports(const std::vector<log_record>& records, int format_1, int format_2) {
  std::map<int, port_run> runs;
  gps_composite_state states[2] = {};
  states[0].format = format_1;
  states[1].format = format_2;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const log_record& r = records[i];
    if (r.type != 3 && r.type != 11) continue;
    const int port = r.type == 3 ? 1 : 2;
    gps_composite_state& state = states[port - 1];
    efis_record record{};
    record.source_type = r.type;
    record.length = static_cast<std::uint32_t>(r.payload.size());
    std::memcpy(record.payload, r.payload.data(), r.payload.size());
    state.valid = 0;
    process_gps_entry(&record, &state);
    port_run& run = runs[port];
    if (state.valid != 0) run.accepted_at[i] = state.fields;
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
  return j.items().empty() ? static_cast<int>(j.number()) : static_cast<int>(j.items().at(i).number());
}

// "N 45°00.68'" as the aviation decoder prints it, in decimal degrees.
double adf_degrees(const std::string& text) {
  const double degrees = std::atof(text.c_str() + 1);
  const double minutes = std::atof(text.c_str() + text.find("\xC2\xB0") + 2);
  const double value = std::fabs(degrees) + minutes / 60.0;
  return text[0] == 'S' || text[0] == 'W' ? -value : value;
}

void check_nmea_fix(const std::string& file, const json& fix, const port_run& run) {
  const auto record = static_cast<std::size_t>(fix["record"].number());
  const json& independent = fix["independent"]["pynmea2"];
  const bool has_position = independent.has("latitude_deg") && independent.has("longitude_deg");
  const auto accepted = run.accepted_at.find(record);
  // Every RMC sentence with a position is read; the others are dropped.
  ASSERT_EQ(accepted != run.accepted_at.end(), has_position) << file << " " << fix["sentence"].text();
  if (!has_position) return;
  const gps_nmea_fields& f = accepted->second.nmea;
  const std::string sentence = fix["sentence"].text();
  EXPECT_NEAR(nmea_latitude_decimal(f.latitude, f.latitude_hemisphere), independent["latitude_deg"].number(), 2e-5)
      << file << " " << sentence;
  EXPECT_NEAR(nmea_longitude_decimal(f.longitude, f.longitude_hemisphere), independent["longitude_deg"].number(), 2e-5)
      << file << " " << sentence;
  if (independent.has("speed_knots")) {
    EXPECT_DOUBLE_EQ(decimal_number(f.ground_speed), independent["speed_knots"].number()) << sentence;
  }
  if (independent.has("track_deg")) {
    EXPECT_DOUBLE_EQ(decimal_number(f.track), independent["track_deg"].number()) << sentence;
  }
  const std::string time = independent["time"].text();  // hh:mm:ss[.ffffff]
  EXPECT_EQ(std::string(f.utc_time), time.substr(0, 2) + time.substr(3, 2) + time.substr(6, 2)) << sentence;
  const std::string date = independent["date"].text();  // yyyy-mm-dd
  EXPECT_EQ(std::string(f.utc_date), date.substr(8, 2) + date.substr(5, 2) + date.substr(2, 2)) << sentence;
  EXPECT_STREQ(f.status, independent["status"].text().c_str()) << sentence;
}

void check_aviation_fix(const std::string& file, const json& fix, const port_run& run, int format) {
  const json& independent = fix["independent"]["ADFDecoder"];
  // The message's items end at its first 0x03 byte, inside the waypoint data behind them.
  const auto end_record = static_cast<std::size_t>(fix["embedded_0x03_records"].items().at(0).number());
  const gps_aviation_fields& f = run.fields_after.at(end_record).aviation;
  const std::string where = file + " message " + std::to_string(static_cast<int>(fix["message"].number()));
  if (independent.is_null()) return;  // the first message went by before that decoder listened
  EXPECT_NEAR(aviation_latitude_decimal(f.latitude), adf_degrees(independent["Latitude"].text()), 2e-5) << where;
  EXPECT_NEAR(aviation_longitude_decimal(f.longitude), adf_degrees(independent["Longitude"].text()), 2e-5) << where;
  EXPECT_EQ(whole_number(f.track), independent["Track (degrees)"].number()) << where;
  EXPECT_EQ(whole_number(f.ground_speed), independent["Ground Speed (knots)"].number()) << where;
  EXPECT_EQ(std::string(f.wpt_ident), independent["Wpt"].text()) << where;
  EXPECT_DOUBLE_EQ(whole_number(f.dist_to_wpt) / 10.0, independent["Distance to Wpt (nm)"].number()) << where;
  if (format == 1) {
    EXPECT_EQ(whole_number(f.altitude), independent["GPS Altitude (ft)"].number()) << where;
  } else {
    EXPECT_STREQ(f.altitude, "") << where;
  }
}

}  // namespace

TEST(GpsRealData, ReceiverSentencesAgreeWithIndependentDecoders) {
  const std::string expected_path = realdata + "/logs/expected.json";
  if (!std::filesystem::exists(expected_path)) GTEST_SKIP() << "no real GPS data at " << realdata;
  const std::string expected_text = read_file(expected_path);
  const json expected = json_reader(expected_text).read();

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
  for (const json& log : expected["logs"].items()) {
    const std::string file = log["file"].text();
    const std::vector<log_record> records = read_log(read_file(realdata + "/logs/" + file));
    ASSERT_EQ(records.size(), static_cast<std::size_t>(log["records"].number())) << file;
    int formats[2] = {0, 0};
    const json& ports = log["gps_port"];
    for (std::size_t i = 0; i < std::max<std::size_t>(1, ports.items().size()); ++i) {
      formats[int_at(ports, i) - 1] = int_at(log["gps_format"], i);
    }
    const std::map<int, port_run> runs = run_ports(records, formats[0], formats[1]);
    ++logs_seen;

    for (const char* key : {"fixes", "fixes_gps1", "fixes_gps2"}) {
      const json& fixes = log[key];
      if (fixes.items().empty()) continue;
      const int port = std::string(key) == "fixes_gps2" ? 2 : std::string(key) == "fixes_gps1" ? 1 : int_at(ports, 0);
      const port_run& run = runs.at(port);
      if (fixes.items()[0].has("sentence")) {
        int derived_strict = 0;
        for (const json& fix : fixes.items()) {
          check_nmea_fix(file, fix, run);
          derived_strict += fix["derived_accepts"].is_true() ? 1 : 0;
        }
        const counts c = rmc_counts.at(file);
        EXPECT_EQ(run.strict, c.strict) << file;
        EXPECT_EQ(run.strict, derived_strict) << file;
        EXPECT_EQ(static_cast<int>(run.accepted_at.size()), c.accepted) << file;
      } else {
        // One accepted sentence per message, ending at its first 0x03 byte; the rest of each
        // message (waypoint data up to the ETX) is dropped.
        std::set<std::size_t> message_ends;
        for (const json& fix : fixes.items()) {
          check_aviation_fix(file, fix, run, formats[port - 1]);
          message_ends.insert(static_cast<std::size_t>(fix["embedded_0x03_records"].items().at(0).number()));
        }
        std::set<std::size_t> accepting_records;
        for (const auto& [record, fields] : run.accepted_at) accepting_records.insert(record);
        EXPECT_EQ(message_ends.size(), fixes.items().size()) << file;
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
  library_options o = default_options();
  o.verbose = 1;
  o.debug = 1;
  o.gps_1_type = 2;
  o.gps_2_type = 1;
  o.summary_deciseconds = 1;
  const std::string doc = decode_xml(read_file(path), o);
  EXPECT_TRUE(is_well_formed_xml(doc));
  EXPECT_NE(doc.find("<gps_2_rawdata_char>&#x2402;z0"), std::string::npos);
  EXPECT_NE(doc.find("<gps_1_latitude>N 5251.0093</gps_1_latitude>"), std::string::npos);
}
