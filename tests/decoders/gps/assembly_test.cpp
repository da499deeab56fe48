// GPS sentence assembly: aviation byte streams cut anywhere, the 2048-byte buffer, the
// acceptance rules of formats 1 and 3, and RMC sentences read strictly and relaxed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "decoders/gps/assembly.h"
#include "decoders/gps/fix.h"

namespace {

// One GPS record's payload fed to a port.
void feed_record(std::string_view bytes, gps_composite_state* state) {
  process_gps_entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()),
                    state);
}

gps_composite_state port(std::int32_t format) {
  gps_composite_state s{};
  s.format = format;
  return s;
}

// Feeds bytes to the port, cut into records at the given offsets.
void feed(gps_composite_state& state, const std::string& bytes, std::vector<std::size_t> cuts = {}) {
  cuts.push_back(bytes.size());
  std::size_t from = 0;
  for (const std::size_t to : cuts) {
    for (std::size_t start = from; start < to; start += 255) {
      const std::string r(std::string_view(bytes).substr(start, std::min<std::size_t>(255, to - start)));
      feed_record(r, &state);
    }
    from = to;
  }
}

const std::string items =
    "AN 47 2345\r\nBW 122 1234\r\nC033\r\nD186\r\nE01418\r\nGL0000\r\nI0330\r\nKYKM  \r\nL0331\r\n"
    "QE146\r\nS-----\r\nT---------\r\nl021821\r\n";
const std::string with_altitude = "\x02z04985\r\n" + items + "\x03";
const std::string from_stx = "\x02" + items + "\x03";

void expect_full_fix(const gps_aviation_fields& f, const char* altitude) {
  EXPECT_STREQ(f.altitude, altitude);
  EXPECT_STREQ(f.latitude, "N 47 2345");
  EXPECT_STREQ(f.longitude, "W 122 1234");
  EXPECT_STREQ(f.track, "033");
  EXPECT_STREQ(f.ground_speed, "186");
  EXPECT_STREQ(f.dist_to_wpt, "01418");
  EXPECT_STREQ(f.item_g, "L0000");
  EXPECT_STREQ(f.desired_track, "0330");
  EXPECT_STREQ(f.wpt_ident, "YKM  ");
  EXPECT_STREQ(f.bearing_to_wpt, "0331");
  EXPECT_STREQ(f.mag_variation, "E146");
  EXPECT_STREQ(f.nav_flag, "-----");
  EXPECT_STREQ(f.warning_status, "---------");
  EXPECT_STREQ(f.wpt_dist, "021821");
}

bool all_zero(const char* bytes, std::size_t n) {
  return std::all_of(bytes, bytes + n, [](char c) { return c == 0; });
}

}  // namespace

TEST(GpsAviationAssembly, SentenceSplitAtEveryPositionIsParsedOnceAtItsEtx) {
  for (const std::int32_t format : {1, 3}) {
    const std::string& sentence = format == 1 ? with_altitude : from_stx;
    for (std::size_t cut = 0; cut < sentence.size(); ++cut) {
      for (std::size_t second = cut; second < sentence.size(); second += 7) {
        gps_composite_state s = port(format);
        feed(s, sentence.substr(0, sentence.size() - 1), {cut, second});
        ASSERT_EQ(s.sentences_accepted, 0u) << cut;
        EXPECT_EQ(s.write_position, static_cast<std::int32_t>(sentence.size() - 1));
        feed(s, "\x03");
        ASSERT_EQ(s.sentences_accepted, 1u) << format << " cut " << cut << "," << second;
        expect_full_fix(s.fields.aviation, format == 1 ? "04985" : "");
        EXPECT_EQ(s.write_position, 0);
        EXPECT_TRUE(all_zero(s.sentence, sizeof s.sentence));
      }
    }
  }
}

TEST(GpsAviationAssembly, TwoEtxInOneRecordParseTwoSentences) {
  gps_composite_state s = port(1);
  std::string second = with_altitude;
  second.replace(second.find("04985"), 5, "01000");
  // The CR LF between ETX and the next STX would open a format 1 sentence; here none stands.
  const std::string r(with_altitude.substr(3) + second + "\x02z");
  feed(s, with_altitude.substr(0, 3));
  feed_record(r, &s);
  EXPECT_STREQ(s.fields.aviation.altitude, "01000");
  EXPECT_EQ(s.write_position, 2);
  EXPECT_EQ(std::string(s.sentence), "\x02z");
}

TEST(GpsAviationAssembly, BufferHoldsExactly2048BytesThenDropsThePort) {
  // Padding after the items keeps the sentence acceptable (trailing text is not read).
  const std::string head = with_altitude.substr(0, with_altitude.size() - 1);
  const std::string exact = head + std::string(gps_sentence_size - head.size() - 1, 'x') + "\x03";
  ASSERT_EQ(exact.size(), 2048u);
  gps_composite_state s = port(1);
  feed(s, exact, {100, 1000, 2047});
  EXPECT_EQ(s.sentences_accepted, 1u);
  EXPECT_EQ(s.write_position, 0);

  // 2048 bytes without an ETX: the ETX that follows and every later sentence are dropped.
  gps_composite_state full = port(1);
  feed(full, exact.substr(0, 2047) + "y" + "\x03" + with_altitude);
  EXPECT_EQ(full.sentences_accepted, 0u);
  EXPECT_EQ(full.write_position, 2048);
  EXPECT_EQ(full.sentence[2047], 'y');
}

TEST(GpsAviationAssembly, FullBufferWithoutZeroIsReadOnlyWithinIt) {
  // Format 3 finds an STX in the last byte of a full buffer and reads no further.
  gps_composite_state s = port(3);
  std::memset(s.sentence, 'A', sizeof s.sentence);
  s.sentence[gps_sentence_size - 1] = '\x02';
  EXPECT_FALSE(process_gps_composite_aviation_entry(&s));
  s.format = 1;
  EXPECT_FALSE(process_gps_composite_aviation_entry(&s));
  EXPECT_EQ(s.sentences_accepted, 0u);
}

TEST(GpsAviationAssembly, AcceptanceNeedsFiveConversionsAndBothCoordinates) {
  struct row {
    std::int32_t format;
    std::string sentence;
    bool accepted;
  };
  const row rows[] = {
      {1, "\x02z01234\r\nAN 47 2345\r\nBW 122 1234\r\nC033\r\n\x03", true},   // ends after the track
      {1, "\x02z01234\r\nAN 47 2345\r\nBW 122 1234\r\n\x03", false},          // four conversions
      {1, "\x02z\r\nAN 47 2345\r\nBW 122 1234\r\nC033\x03", false},          // altitude missing
      {1, "\x02zAN 47 2345BW 122 1234C1\x03", false},                          // no altitude digits
      {1, "\x02z1AN 47 2345BW 122 1234C1\x03", true},                          // no separators needed
      {1, "\r\n\x02z01234\r\nAN 47 2345\r\nBW 122 1234\r\nC033\x03", false},  // second byte not z
      {1, "Xz1\r\nA\r\nBW 122 1234\r\nC033\x03", false},                      // latitude missing
      {3, "\r\n\x02" "AN 47 2345\r\nBW 122 1234\r\nC033\r\nD186\x03", true},   // bytes before STX
      {3, "\x02" "AN 47 2345\r\nBW 122 1234\r\nC033\r\n\x03", false},          // four conversions
      {3, "\x02z01234\r\nAN 47 2345\r\nBW 122 1234\r\nC033\r\nD186\x03", false},  // z after STX
      {3, "AN 47 2345\r\nBW 122 1234\r\nC033\r\nD186\x03", false},              // no STX at all
      {3, std::string("\x02" "AN 4\0 2345BW 1C1D1\x03", 20), false},            // zero byte ends the text
      {0, with_altitude, false},
      {7, from_stx, false},
  };
  for (const row& r : rows) {
    gps_composite_state s = port(r.format);
    feed(s, r.sentence);
    EXPECT_EQ(s.sentences_accepted, r.accepted ? 1u : 0u) << r.format << " " << r.sentence;
    if (r.accepted) {
      EXPECT_STREQ(s.fields.aviation.ground_speed, r.format == 3 ? "186" : "");
    }
  }
}

TEST(GpsAviationAssembly, RejectedSentenceKeepsTheLastFix) {
  gps_composite_state s = port(1);
  feed(s, with_altitude);
  // Format 1: the CR LF after the ETX starts the next sentence, which is then rejected.
  feed(s, "\r\n\x02z01000\r\nAN 10 0000\r\nBE 010 0000\r\nC001\r\n\x03");
  EXPECT_EQ(s.sentences_accepted, 1u);
  EXPECT_EQ(s.sentences_rejected, 1u);
  expect_full_fix(s.fields.aviation, "04985");
}

namespace {

struct rmc_row {
  std::string payload;
  bool accepted;
  // Expected fields when accepted, in struct order.
  std::vector<std::string> fields;
};

std::vector<std::string> fields_of(const gps_nmea_fields& f) {
  return {f.utc_time, f.status, f.latitude, f.latitude_hemisphere, f.longitude, f.longitude_hemisphere,
          f.ground_speed, f.track, f.utc_date, f.mag_variation, f.mag_variation_direction, f.checksum};
}

void check_rmc_rows(const std::vector<rmc_row>& rows) {
  for (const rmc_row& r : rows) {
    gps_composite_state s = port(2);
    const std::string record(r.payload);
    feed_record(record, &s);
    EXPECT_EQ(s.sentences_accepted, r.accepted ? 1u : 0u) << r.payload;
    if (r.accepted) {
      EXPECT_EQ(fields_of(s.fields.nmea), r.fields) << r.payload;
      EXPECT_EQ(std::string(s.sentence), r.payload.substr(0, r.payload.find('\0')));
    } else {
      EXPECT_TRUE(all_zero(s.sentence, sizeof s.sentence));
    }
  }
}

}  // namespace

TEST(GpsNmeaAssembly, PublishedExampleSentencesDecode) {
  check_rmc_rows({
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", true,
       {"123519", "A", "4807.038", "N", "01131.000", "E", "022.4", "084.4", "230394", "003.1", "W", "*6A"}},
      {"$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194,020.3,E*68\r\n", true,
       {"225446", "A", "4916.45", "N", "12311.12", "W", "000.5", "054.7", "191194", "020.3", "E", "*68"}},
      {"$GPRMC,081836,A,3751.65,S,14507.36,E,000.0,360.0,130998,011.3,E*62", true,
       {"081836", "A", "3751.65", "S", "14507.36", "E", "000.0", "360.0", "130998", "011.3", "E", "*62"}},
      {"$GPRMC,220516,A,5133.82,N,00042.24,W,173.8,231.8,130694,004.2,W*70\r\n", true,
       {"220516", "A", "5133.82", "N", "00042.24", "W", "173.8", "231.8", "130694", "004.2", "W", "*70"}},
  });
}

TEST(GpsNmeaAssembly, StrictPatternVariants) {
  check_rmc_rows({
      // Status V with a position is accepted; the status is not tested.
      {"$GPRMC,125106,V,3854.5087,N,07726.4523,W,0.0,0.0,241011,10.5,W,S*28\r\n", true,
       {"125106", "V", "3854.5087", "N", "07726.4523", "W", "0.0", "0.0", "241011", "10.5", "W", ","}},  // 'S' ends the checksum
      // Empty variation: the reading stops there, still past the date.
      {"$GPRMC,120316,V,4221.4394,N,01321.9948,E,000.0,000.0,150305,,*63\r\n", true,
       {"120316", "V", "4221.4394", "N", "01321.9948", "E", "000.0", "000.0", "150305", "", "", ""}},
      // A variation too long for its 5 characters is cut, and the direction is not read.
      {"$GPRMC,120316,A,4221.4394,N,01321.9948,E,000.0,000.0,150305,001.40,E*63", true,
       {"120316", "A", "4221.4394", "N", "01321.9948", "E", "000.0", "000.0", "150305", "001.4", "", ""}},
      // Two status letters: one is read and the comma is missing, the relaxed reading says no.
      {"$GPRMC,120316,AA,4221.4394,N,01321.9948,E,000.0,000.0,150305,,*63", false, {}},
      // A zero byte ends the sentence; the bytes after it are copied but not read.
      {std::string("$GPRMC,225446,A,4916.45,N,12311.12,W,000.5,054.7,191194\0,020.3,E*68", 67), true,
       {"225446", "A", "4916.45", "N", "12311.12", "W", "000.5", "054.7", "191194", "", "", ""}},
      {"$GPRMC,225446,A,,N,12311.12,W,000.5,054.7,191194,020.3,E*68", false, {}},
      {"$GPRMC,,V,,,,,,,260810,1.0,E,N*34\r\n", false, {}},
      {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n", false, {}},
      {"\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", false, {}},
      // The fixed pattern takes 1 to 6 date digits.
      {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230", true,
       {"123519", "A", "4807.038", "N", "01131.000", "E", "022.4", "084.4", "230", "", "", ""}},
      {"", false, {}},
  });
}

TEST(GpsNmeaAssembly, RelaxedReadingAcceptsWhatRealReceiversSend) {
  check_rmc_rows({
      // Fractional seconds: the time keeps its six digits.
      {"$GPRMC,095255.810,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A*6E\r\n", true,
       {"095255", "V", "2712.6404", "S", "15303.1201", "E", "0.00", "0.00", "080407", "", "", ",A*6E"}},
      // Long speed and track, no direction field.
      {"$GPRMC,175736,A,5125.8714,N,00524.2350,E,3.1865,276.241,200610,,*2A\r\n", true,
       {"175736", "A", "5125.8714", "N", "00524.2350", "E", "3.1865", "276.241", "200610", "", "", "*2A"}},
      // Empty track; multi-constellation talker; long latitude.
      {"$GNRMC,001031.00,A,4404.13993,N,12118.86023,W,0.146,,100117,,,A*7B", true,
       {"001031", "A", "4404.13993", "N", "12118.86023", "W", "0.146", "", "100117", "", "", ",A*7B"}},
      {"$BDRMC,001031,a,440413.99312,n,1211886.0232,w,0.00000001,,100117", true,
       {"001031", "a", "440413.99312", "n", "1211886.0232", "w", "0.00000001", "", "100117", "", "", ""}},
      // The checksum keeps five characters of the rest.
      {"$GPRMC,143748.77,A,4806.3731,N,00138.6217,W,0.00,266.5,121007,2.6,W,A,V*0A\r\n", true,
       {"143748", "A", "4806.3731", "N", "00138.6217", "W", "0.00", "266.5", "121007", "2.6", "W", ",A,V*"}},
  });
  // Each of these breaks one rule of the relaxed reading.
  for (const char* payload : {
           "$GXRMC,095255.810,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A*6E",  // talker
           "$GPRMC,095255.81012,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A",   // 5 fraction digits
           "$GPRMC,095255.,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A",        // no fraction digit
           "$GPRMC,09525.8,V,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A",        // 5 time digits
           "$GPRMC,095255.8,X,2712.6404,S,15303.1201,E,0.00,0.00,080407",           // status
           "$GPRMC,095255.8,,2712.6404,S,15303.1201,E,0.00,0.00,080407",            // empty status
           "$GPRMC,095255.8,A,2712.640412345,S,15303.1201,E,0.00,0.00,080407",      // 13-character latitude
           "$GPRMC,095255.8,A,2712.6404,,15303.1201,E,0.00,0.00,080407",            // hemisphere
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,X,0.00,0.00,080407",           // hemisphere
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.000000000001,0.00,080407",  // 12-character speed
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.00,-1,080407",             // track sign
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.00,0.00,08047",            // date
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.00,0.00*11",               // no date
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.00,0.00,080407,1.0,X",     // direction
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.00,0.00,080407,1.0,EW",    // direction
           "$GPRMC,095255.8,A,2712.6404,S,15303.1201,E,0.00\r\n,0.00,080407",       // line ends early
       }) {
    gps_composite_state s = port(2);
    const std::string record(payload);
    feed_record(record, &s);
    EXPECT_EQ(s.sentences_accepted, 0u) << payload;
  }
}

TEST(GpsNmeaAssembly, AcceptedSentenceReplacesTheWholeBuffer) {
  gps_composite_state s = port(2);
  const std::string longer("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n");
  const std::string shorter("$GPRMC,1,A,1,N,1,E,1,1,1*00");
  const std::string other("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n");
  feed_record(longer, &s);
  feed_record(shorter, &s);
  EXPECT_EQ(std::string(s.sentence), "$GPRMC,1,A,1,N,1,E,1,1,1*00");
  EXPECT_TRUE(all_zero(s.sentence + 27, sizeof s.sentence - 27));
  feed_record(other, &s);  // ignored: fields, buffer and count stay
  EXPECT_EQ(s.sentences_accepted, 2u);
  EXPECT_STREQ(s.fields.nmea.utc_time, "1");
  EXPECT_EQ(std::string(s.sentence), "$GPRMC,1,A,1,N,1,E,1,1,1*00");
}

TEST(GpsNmeaAssembly, TheFixKeepsTheFractionOfTheSecond) {
  const std::int64_t day = utc_seconds_of(2007, 4, 8, 9, 52, 55) * 1000;
  const struct {
    const char* time;
    std::int64_t ms_after;  // of 09:52:55 on 8 April 2007
  } rows[] = {{"095255", 0}, {"095255.8", 800}, {"095255.81", 810}, {"095255.810", 810}, {"095255.8129", 812},
              {"095255.00", 0}, {"095300.25", 5250}};
  for (const auto& r : rows) {
    gps_composite_state s = port(2);
    const std::string record = std::string("$GPRMC,") + r.time + ",A,2712.6404,S,15303.1201,E,0.00,0.00,080407,,,A*6E";
    feed_record(record, &s);
    ASSERT_EQ(s.sentences_accepted, 1u) << r.time;
    EXPECT_TRUE(s.fix.has_utc);
    EXPECT_EQ(s.fix.utc_ms - day, r.ms_after) << r.time;
    EXPECT_STREQ(s.fields.nmea.utc_time, std::string(r.time).substr(0, 6).c_str());  // the report's six digits
  }
}
