// The flight simulator: the bundled demo is what it writes, and what it writes is a LOG the
// decoder reads as a plausible flight.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "flight_random.h"
#include "flight_sentences.h"
#include "flight_simulator.h"
#include "support/capture.h"

namespace {

struct logged {
  int type = 0;
  std::uint32_t timestamp = 0;
  std::string payload;
};

std::uint32_t be32(const std::string& s, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
  return v;
}

int s16_at(const std::string& p, std::size_t at) {
  return static_cast<std::int16_t>(static_cast<unsigned char>(p[at]) << 8 | static_cast<unsigned char>(p[at + 1]));
}

int u16_at(const std::string& p, std::size_t at) {
  return static_cast<unsigned char>(p[at]) << 8 | static_cast<unsigned char>(p[at + 1]);
}

// Splits a LOG into its records; framed is false when the last record runs past the end.
std::vector<logged> split_log(const std::string& log, bool* framed = nullptr) {
  std::vector<logged> records;
  std::size_t at = 0;
  while (at + 9 <= log.size()) {
    const std::uint32_t length = be32(log, at + 5);
    if (at + 9 + length > log.size()) break;
    records.push_back({static_cast<unsigned char>(log[at]), be32(log, at + 1), log.substr(at + 9, length)});
    at += 9 + length;
  }
  if (framed != nullptr) *framed = at == log.size();
  return records;
}

std::vector<logged> of_type(const std::vector<logged>& records, int type, int ahrs_type = -1) {
  std::vector<logged> out;
  for (const logged& r : records) {
    if (r.type != type) continue;
    if (ahrs_type >= 0 && (r.payload.size() < 3 || static_cast<unsigned char>(r.payload[2]) != ahrs_type)) continue;
    out.push_back(r);
  }
  return out;
}

const std::string& demo_log() {
  static const std::string log = simulated_log(demo_flight_options());
  return log;
}

const std::vector<logged>& demo_records() {
  static const std::vector<logged> records = split_log(demo_log());
  return records;
}

double angle(int raw) { return raw * 180.0 / 32768.0; }

// The aviation sentence read with the decoder's own scan patterns; returns the conversion count.
int scan_aviation(const std::string& sentence, int format, char (&latitude)[11], char (&longitude)[12]) {
  char lead = 0;
  char alt[7] = {}, trk[5] = {}, gs[5] = {}, dist[7] = {}, g[7] = {}, dtk[6] = {}, ident[7] = {}, brg[6] = {},
       var[6] = {}, nav[7] = {}, warn[11] = {}, wdist[8] = {};
  if (format == 1) {
    return std::sscanf(sentence.c_str(),
                       "%cz%5[0-9]\nA%9[ NnSs0-9-]\nB%10[ EeWw0-9-]\nC%3[0-9-]\nD%3[0-9-]\nE%5[0-9-]\nG%5[ LlRr0-9-]\n"
                       "I%4[0-9-]\nK%5[ A-Za-z0-9-+]\nL%4[0-9-]\nQ%4[EeWw0-9-]\nS%5[NnFf-]\nT%9[-]\nl%6[0-9-]\n",
                       &lead, alt, latitude, longitude, trk, gs, dist, g, dtk, ident, brg, var, nav, warn, wdist);
  }
  const std::size_t stx = sentence.find('\x02');
  if (stx == std::string::npos) return 0;
  return std::sscanf(sentence.c_str() + stx,
                     "%cA%9[ NnSs0-9-]\nB%10[ EeWw0-9-]\nC%3[0-9-]\nD%3[0-9-]\nE%5[0-9-]\nG%5[ LlRr0-9-]\n"
                     "I%4[0-9-]\nK%5[ A-Za-z0-9-+]\nL%4[0-9-]\nQ%4[EeWw0-9-]\nS%5[NnFf-]\nT%9[-]\nl%6[0-9-]\n",
                     &lead, latitude, longitude, trk, gs, dist, g, dtk, ident, brg, var, nav, warn, wdist);
}

int scan_gprmc(const std::string& sentence) {
  char time[10] = {}, status[2] = {}, lat[10] = {}, ns[2] = {}, lon[11] = {}, ew[2] = {}, gs[6] = {}, trk[6] = {},
       date[7] = {}, var[6] = {}, dir[2] = {}, rest[6] = {};
  return std::sscanf(sentence.c_str(),
                     "$GPRMC,%6[0-9],%1[vVaA],%9[0-9.],%1[nsNS],%10[0-9.],%1[ewEW],%5[0-9.],%5[0-9.],%6[0-9],"
                     "%5[0-9.],%1[ewEW]%5[,*0-9A-Fa-f]\r\n",
                     time, status, lat, ns, lon, ew, gs, trk, date, var, dir, rest);
}

// Degrees of an aviation coordinate text such as "N 47 2935".
double aviation_degrees(const char* text, bool longitude) {
  char hemisphere = 0;
  int degrees = 0, minutes = 0, hundredths = 0;
  std::sscanf(text, longitude ? "%c %3d %2d%2d" : "%c %2d %2d%2d", &hemisphere, &degrees, &minutes, &hundredths);
  const double value = degrees + (minutes + hundredths / 100.0) / 60.0;
  return (hemisphere == 'S' || hemisphere == 'W') ? -value : value;
}

}  // namespace

TEST(Simulator, BundledDemoIsWhatTheSimulatorWritesForItsSeed) {
  const std::string committed = read_file(std::string(ORVEX_SOURCE_DIR) + "/samples/demo_flight.LOG");
  ASSERT_FALSE(committed.empty());
  EXPECT_LT(committed.size(), 1000000u);
  EXPECT_TRUE(committed == demo_log()) << "regenerate with: orvexdecode-simulate --seed "
                                       << demo_flight_options().seed << " --minutes "
                                       << demo_flight_options().minutes << " samples/demo_flight.LOG";
}

TEST(Simulator, SameSeedWritesTheSameLogAndAnotherSeedAnotherFlight) {
  flight_options a;
  a.seed = 9;
  a.minutes = 3;
  flight_options b = a;
  b.seed = 10;
  EXPECT_EQ(simulated_log(a), simulated_log(a));
  EXPECT_NE(simulated_log(a), simulated_log(b));
}

TEST(Simulator, RecordsFrameTheWholeFileWithRisingTimestamps) {
  bool framed = false;
  const std::vector<logged> records = split_log(demo_log(), &framed);
  EXPECT_TRUE(framed);
  ASSERT_FALSE(records.empty());
  for (std::size_t i = 1; i < records.size(); ++i) {
    ASSERT_LE(records[i - 1].timestamp, records[i].timestamp) << "record " << i;
  }
  // 1000 units a second: the LOG spans the flight's minutes.
  const double seconds = (records.back().timestamp - records.front().timestamp) / 1000.0;
  EXPECT_NEAR(seconds, demo_flight_options().minutes * 60.0, 2.0);
  for (int type = 1; type <= 12; ++type) EXPECT_FALSE(of_type(records, type).empty()) << "source type " << type;
  // Payload sizes of the decoded layouts.
  const struct {
    int type;
    int ahrs_type;
    std::size_t length;
  } layouts[] = {{1, 254, 23}, {1, 253, 21}, {1, 252, 25}, {2, -1, 73}, {4, -1, 35}};
  for (const auto& l : layouts) {
    const std::vector<logged> of = of_type(records, l.type, l.ahrs_type);
    ASSERT_FALSE(of.empty()) << l.type << "/" << l.ahrs_type;
    for (const logged& r : of) ASSERT_EQ(r.payload.size(), l.length) << l.type << "/" << l.ahrs_type;
  }
  EXPECT_FALSE(of_type(records, 1, 251).empty());
}

TEST(Simulator, RatesFollowTheSources) {
  const double seconds = demo_flight_options().minutes * 60.0;
  const struct {
    int type;
    int ahrs_type;
    double per_second;
  } rates[] = {{1, 254, 25.0}, {1, 253, 1.0}, {2, -1, 3.0}, {4, -1, 1.0}, {11, -1, 1.0}};
  for (const auto& r : rates) {
    EXPECT_NEAR(of_type(demo_records(), r.type, r.ahrs_type).size() / seconds, r.per_second, 0.01 * r.per_second)
        << r.type << "/" << r.ahrs_type;
  }
}

TEST(Simulator, AviationSentencesCutAcrossRecordsReassemble) {
  for (const int format : {1, 3}) {
    flight_options o = demo_flight_options();
    o.minutes = 4;
    o.aviation_format = format;
    const std::vector<logged> gps = of_type(split_log(simulated_log(o)), 3);
    std::string stream;
    int records_in_sentence = 0;
    int split_sentences = 0;
    int cuts_inside_items = 0;
    for (const logged& r : gps) {
      stream += r.payload;
      ++records_in_sentence;
      if (r.payload.find('\x03') != std::string::npos) {
        if (records_in_sentence > 1) ++split_sentences;
        records_in_sentence = 0;
      }
      const char last = r.payload.back();
      if (last != '\n' && last != '\x03') ++cuts_inside_items;
    }
    int sentences = 0;
    std::size_t start = 0;
    for (std::size_t etx = stream.find('\x03'); etx != std::string::npos; etx = stream.find('\x03', start)) {
      const std::string sentence = stream.substr(start, etx + 1 - start);
      start = etx + 1;
      char latitude[11] = {}, longitude[12] = {};
      ASSERT_EQ(scan_aviation(sentence, format, latitude, longitude), format == 1 ? 15 : 14) << sentence;
      EXPECT_NEAR(aviation_degrees(latitude, false), 47.49, 0.5) << latitude;
      EXPECT_NEAR(aviation_degrees(longitude, true), -122.22, 0.5) << longitude;
      EXPECT_EQ(format == 1, sentence.find("\r\nA") != std::string::npos && sentence[1] == 'z');
      ++sentences;
    }
    EXPECT_GT(sentences, 200) << "format " << format;
    EXPECT_GT(split_sentences, sentences / 2) << "format " << format;
    EXPECT_GT(cuts_inside_items, sentences / 2) << "format " << format;
    // Format 1 sources send nothing between ETX and STX; format 3 sources end with CR LF.
    EXPECT_EQ(stream.substr(start), format == 1 ? "" : "\r\n");
  }
}

TEST(Simulator, NmeaSentencesOnePerRecordWithTheirChecksum) {
  int with_fix = 0;
  for (const logged& r : of_type(demo_records(), 11)) {
    const std::string& s = r.payload;
    ASSERT_EQ(s.rfind("$GPRMC,", 0), 0u) << s;
    ASSERT_EQ(s.substr(s.size() - 2), "\r\n") << s;
    const std::size_t star = s.find('*');
    ASSERT_NE(star, std::string::npos) << s;
    EXPECT_EQ(std::strtoul(s.substr(star + 1, 2).c_str(), nullptr, 16), nmea_checksum(s.substr(1, star - 1))) << s;
    // Before its fix the receiver sends status V and no position, which the decoder rejects.
    const bool fix = s[14] == 'A';
    EXPECT_EQ(scan_gprmc(s) == 12, fix) << s;
    with_fix += fix ? 1 : 0;
  }
  EXPECT_GT(with_fix, 500);
}

TEST(Simulator, SwappedGpsPortsCarryTheOtherFormats) {
  flight_options o = demo_flight_options();
  o.minutes = 1;
  o.swap_gps = true;
  const std::vector<logged> records = split_log(simulated_log(o));
  const std::vector<logged> gps1 = of_type(records, 3);
  const std::vector<logged> gps2 = of_type(records, 11);
  ASSERT_FALSE(gps1.empty());
  ASSERT_FALSE(gps2.empty());
  for (const logged& r : gps1) EXPECT_EQ(r.payload.rfind("$GPRMC,", 0), 0u);
  std::string stream;
  for (const logged& r : gps2) stream += r.payload;
  EXPECT_EQ(stream.front(), '\x02');
  EXPECT_EQ(stream.back(), '\x03');
}

TEST(Simulator, HeadingWrapsThroughPlusMinus180WithoutOtherJumps) {
  int wraps = 0;
  double previous = 0.0;
  bool first = true;
  for (const logged& r : of_type(demo_records(), 1, 254)) {
    const double yaw = angle(s16_at(r.payload, 8));
    if (!first) {
      const double step = std::fabs(yaw - previous);
      if (step > 180.0) {
        ++wraps;
        EXPECT_GT(std::fabs(yaw), 170.0);
        EXPECT_LT(360.0 - step, 3.0) << previous << " -> " << yaw;
      } else {
        EXPECT_LT(step, 3.0) << previous << " -> " << yaw;
      }
    }
    previous = yaw;
    first = false;
  }
  EXPECT_GE(wraps, 1);
}

TEST(Simulator, FlightTakesOffTurnsAndComesBackToAStop) {
  const std::vector<logged> ahrs = of_type(demo_records(), 1, 254);
  const std::vector<logged> eis = of_type(demo_records(), 2);
  int max_altitude = -5000;
  double max_bank = 0.0;
  int max_knots = 0;
  for (const logged& r : ahrs) {
    max_altitude = std::max(max_altitude, u16_at(r.payload, 10) - 5000);
    max_bank = std::max(max_bank, std::fabs(angle(s16_at(r.payload, 4))));
    max_knots = std::max(max_knots, static_cast<int>(s16_at(r.payload, 14) / 16.878));
  }
  EXPECT_GT(max_altitude, 1000);
  EXPECT_GT(max_bank, 20.0);
  EXPECT_LT(max_bank, 35.0);
  EXPECT_GT(max_knots, 90);
  const std::string& parked = ahrs.back().payload;
  EXPECT_NEAR(u16_at(parked, 10) - 5000, 32, 15);  // on the field again
  EXPECT_EQ(s16_at(parked, 14), 0);
  // Engine: cold and stopped at power-up, warm and stopped at the end; fuel only goes down and
  // the flight timer only up.
  EXPECT_EQ(u16_at(eis.front().payload, 3), 0);
  EXPECT_EQ(u16_at(eis.back().payload, 3), 0);
  EXPECT_GT(u16_at(eis.back().payload, 5), u16_at(eis.front().payload, 5) + 100);  // CHT 1
  int max_rpm = 0;
  for (std::size_t i = 1; i < eis.size(); ++i) {
    const std::string& a = eis[i - 1].payload;
    const std::string& b = eis[i].payload;
    max_rpm = std::max(max_rpm, u16_at(b, 3));
    ASSERT_LE(u16_at(b, 60), u16_at(a, 60)) << "fuel quantity, record " << i;
    const int timer_a = a[62] * 3600 + a[63] * 60 + a[64];
    const int timer_b = b[62] * 3600 + b[63] * 60 + b[64];
    ASSERT_LE(timer_a, timer_b) << "flight timer, record " << i;
  }
  EXPECT_GT(max_rpm, 2500);
}

TEST(Simulator, LocaliserAndGlideslopeFlagsSwitch) {
  // Readings 20 and above are valid, 10 and below invalid, between them doubtful.
  for (const std::size_t offset : {11u, 15u}) {
    int valid = 0, doubtful = 0, invalid = 0;
    for (const logged& r : of_type(demo_records(), 4)) {
      const int flag = u16_at(r.payload, offset);
      (flag >= 20 ? valid : flag > 10 ? doubtful : invalid)++;
    }
    EXPECT_GT(valid, 30) << offset;
    EXPECT_GT(invalid, 30) << offset;
    EXPECT_GE(doubtful, 2) << offset;
  }
}

TEST(Simulator, SerialRecordsKeepEveryByteInArrivalOrder) {
  flight_random rng(3);
  std::string bytes;
  for (int i = 0; i < 400; ++i) bytes += static_cast<char>('A' + i % 26);
  const auto records = serial_records(bytes, 1000, 10000.0 / 9600.0, rng);
  std::string joined;
  std::uint32_t last = 0;
  std::size_t smallest = bytes.size(), largest = 0;
  for (const auto& [timestamp, chunk] : records) {
    EXPECT_FALSE(chunk.empty());
    EXPECT_GE(timestamp, last);
    // A poll never logs a byte before it has arrived.
    EXPECT_LE((joined.size() + chunk.size()) * 10000.0 / 9600.0, timestamp - 1000.0 + 1e-9);
    last = timestamp;
    joined += chunk;
    smallest = std::min(smallest, chunk.size());
    largest = std::max(largest, chunk.size());
  }
  EXPECT_EQ(joined, bytes);
  EXPECT_LT(smallest, largest);
}

TEST(Simulator, CoordinatesAndChecksumsAreWrittenAsReceiversDo) {
  const struct {
    double value;
    bool longitude;
    const char* text;
  } rows[] = {
      {47.390833, false, "N 47 2345"}, {-122.205667, true, "W 122 1234"}, {-33.5, false, "S 33 3000"},
      {8.5, true, "E 008 3000"},       {47.9999999, false, "N 48 0000"},  {0.0, true, "E 000 0000"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.longitude ? aviation_longitude(r.value) : aviation_latitude(r.value), r.text) << r.value;
  }
  EXPECT_EQ(nmea_checksum("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"), 0x6Au);
  gps_report report;
  report.latitude = 48.1173;
  report.longitude = 11.516667;
  report.ground_speed_kt = 22.4;
  report.track_deg = 84.4;
  report.variation_deg = -3.1;
  report.utc_seconds = 12 * 3600 + 35 * 60 + 19;
  report.day = 23;
  report.month = 3;
  report.year = 1994;
  EXPECT_EQ(gprmc_sentence(report), "$GPRMC,123519,A,4807.0380,N,01131.0000,E,022.4,084.4,230394,003.1,W*6A\r\n");
}

TEST(Simulator, SizeOptionGivesAboutThatManyBytes) {
  flight_options o;
  o.seed = 4;
  o.minutes = minutes_for_megabytes(1.5);
  EXPECT_NEAR(static_cast<double>(simulated_log(o).size()), 1.5e6, 0.1e6);
}

// The decoder reads the demo as a flight around its airfield.
TEST(Simulator, DemoDecodesIntoAPathAroundTheAirfield) {
  library_options options = default_options();
  options.gps_2_type = 2;
  const std::string xml = decode_xml(demo_log(), options);
  EXPECT_NE(xml.find("<gps_1_latitude_decimal>47.4"), std::string::npos);
  EXPECT_NE(xml.find("<gps_2_latitude_decimal>47.4"), std::string::npos);
  const std::string kml = decode_kml(demo_log(), options);
  int coordinates = 0;
  for (std::size_t at = kml.find("\t\t\t-122."); at != std::string::npos; at = kml.find("\t\t\t-122.", at + 1)) {
    double lon = 0, lat = 0, alt = 0;
    ASSERT_EQ(std::sscanf(kml.c_str() + at, "%lf,%lf,%lf", &lon, &lat, &alt), 3);
    EXPECT_NEAR(lat, 47.5, 0.3);
    EXPECT_GT(alt, -20.0);
    EXPECT_LT(alt, 1000.0);
    ++coordinates;
  }
  EXPECT_GT(coordinates, 3 * 100);
}
