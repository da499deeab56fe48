// The GPS composite elements of the summary: both renderers, widths, emptiness rules, the
// debug raw data, and the different summary rhythms of aviation and NMEA ports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "decoders/gps/assembly.h"
#include "decoders/gps/fix.h"
#include "report/xml/gps_xml.h"
#include "support/capture.h"
#include "support/xml_check.h"

namespace {

template <std::size_t N>
void set(char (&field)[N], const char* text) {
  std::strncpy(field, text, N - 1);
}

// Renders the port as a summary does; the fix numbers are worked out from the fields as set.
std::string render(const char* port, gps_composite_state& state, int verbose, int debug) {
  state.fix = fix_of(state.format, state.fields);
  return capture_output(
      [&](output_writer& out) { print_xml_gps_composite_entry(out, port, state, verbose != 0, debug != 0); });
}

gps_composite_state fed(std::int32_t format, const std::string& bytes) {
  gps_composite_state s{};
  s.format = format;
  process_gps_entry(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()), &s);
  return s;
}

const std::string aviation_sentence =
    "\x02z04985\r\nAN 47 2345\r\nBW 122 1234\r\nC033\r\nD186\r\nE01418\r\nGL0000\r\nI0330\r\n"
    "KYKM  \r\nL0331\r\nQE146\r\nS-----\r\nT---------\r\nl021821\r\n\x03";

}  // namespace

TEST(GpsXml, AviationFixWithEveryItem) {
  gps_composite_state s = fed(1, aviation_sentence);
  EXPECT_EQ(render("1", s, 1, 1),
            "\t<gps_1_composite_entry format=\"aviation\">\n"
            "\t<gps_1_rawdata_char></gps_1_rawdata_char>\n"
            "\t\t<gps_1_latitude_decimal>47.390835</gps_1_latitude_decimal>\n"
            "\t\t<gps_1_latitude>N 47 2345</gps_1_latitude>\n"
            "\t\t<gps_1_longitude_decimal>-122.205666</gps_1_longitude_decimal>\n"
            "\t\t<gps_1_longitude>W 122 1234</gps_1_longitude>\n"
            "\t\t<gps_1_track>033</gps_1_track>\n"
            "\t\t<gps_1_ground_speed units=\"knots\">186</gps_1_ground_speed>\n"
            "\t\t<gps_1_mag_variation>E 14.6</gps_1_mag_variation>\n"
            "\t\t<gps_1_altitude> 4985</gps_1_altitude>\n"
            "\t\t<gps_1_desired_track>33.0</gps_1_desired_track>\n"
            "\t\t<gps_1_bearing_to_wpt>33.1</gps_1_bearing_to_wpt>\n"
            "\t\t<gps_1_wpt_ident>YKM  </gps_1_wpt_ident>\n"
            "\t\t<gps_1_wpt_dist units=\"nm\">2182.1</gps_1_wpt_dist>\n"
            "\t\t<gps_1_dist_to_wpt units=\"nm\">141.8</gps_1_dist_to_wpt>\n"
            "\t\t<gps_1_nav_flag>-----</gps_1_nav_flag>\n"
            "\t\t<gps_1_warning_status>---------</gps_1_warning_status>\n"
            "\t\t<gps_1_bearing_to_wpt_raw>0331</gps_1_bearing_to_wpt_raw>\n"
            "\t\t<gps_1_dist_to_wpt_raw>01418</gps_1_dist_to_wpt_raw>\n"
            "\t\t<gps_1_desired_track_raw>0330</gps_1_desired_track_raw>\n"
            "\t\t<gps_1_wpt_dist_raw>021821</gps_1_wpt_dist_raw>\n"
            "\t\t<gps_1_mag_variation_raw>E146</gps_1_mag_variation_raw>\n"
            "\t</gps_1_composite_entry>\n");
}

TEST(GpsXml, SparseAviationFixPadsShortTextsAndSkipsMissingItems) {
  gps_composite_state s{};
  s.format = 3;
  gps_aviation_fields& f = s.fields.aviation;
  set(f.latitude, "S 0 00");
  set(f.longitude, "W 5");
  set(f.track, "5");
  set(f.mag_variation, "W");
  set(f.altitude, "-7");
  // The debug element shows the unfinished sentence, escaped.
  std::memcpy(s.sentence, "\r\n\x02z0<&\x01\xE9", 9);
  EXPECT_EQ(render("2", s, 0, 1),
            "\t<gps_2_composite_entry format=\"aviation\">\n"
            "\t<gps_2_rawdata_char>\r\n&#x2402;z0&lt;&amp;&#x2401;\xE9</gps_2_rawdata_char>\n"
            "\t\t<gps_2_latitude_decimal>-0.000000</gps_2_latitude_decimal>\n"
            "\t\t<gps_2_latitude>   S 0 00</gps_2_latitude>\n"
            "\t\t<gps_2_longitude_decimal>-5.000000</gps_2_longitude_decimal>\n"
            "\t\t<gps_2_longitude>       W 5</gps_2_longitude>\n"
            "\t\t<gps_2_track>  5</gps_2_track>\n"
            "\t\t<gps_2_ground_speed units=\"knots\">   </gps_2_ground_speed>\n"
            "\t\t<gps_2_mag_variation>W 0.0</gps_2_mag_variation>\n"
            "\t\t<gps_2_altitude>   -7</gps_2_altitude>\n"
            "\t\t<gps_2_desired_track>0.0</gps_2_desired_track>\n"
            "\t\t<gps_2_bearing_to_wpt>0.0</gps_2_bearing_to_wpt>\n"
            "\t\t<gps_2_wpt_ident>     </gps_2_wpt_ident>\n"
            "\t\t<gps_2_nav_flag>     </gps_2_nav_flag>\n"
            "\t</gps_2_composite_entry>\n");
  // Without a track neither track nor ground speed is written.
  f.track[0] = '\0';
  set(f.ground_speed, "120");
  const std::string no_track = render("2", s, 0, 0);
  EXPECT_EQ(no_track.find("<gps_2_track>"), std::string::npos);
  EXPECT_EQ(no_track.find("ground_speed"), std::string::npos);
  EXPECT_EQ(no_track.find("rawdata"), std::string::npos);
}

TEST(GpsXml, NmeaFixPrintsTextsThenDecimals) {
  const std::string sentence = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
  gps_composite_state s = fed(2, sentence);
  ASSERT_EQ(s.sentences_accepted, 1u);
  EXPECT_EQ(render("1", s, 1, 1),
            "\t<gps_1_composite_entry format=\"nmea\">\n"
            "\t<gps_1_rawdata_char>" + sentence + "</gps_1_rawdata_char>\n"
            "\t\t<gps_1_latitude>N  4807.038</gps_1_latitude>\n"
            "\t\t<gps_1_longitude>E  01131.000</gps_1_longitude>\n"
            "\t\t<gps_1_latitude_decimal>48.117298</gps_1_latitude_decimal>\n"
            "\t\t<gps_1_longitude_decimal>11.516666</gps_1_longitude_decimal>\n"
            "\t\t<gps_1_track>084.4</gps_1_track>\n"
            "\t\t<gps_1_ground_speed units=\"knots\">022.4</gps_1_ground_speed>\n"
            "\t\t<gps_1_mag_variation>W 3.1</gps_1_mag_variation>\n"
            "\t\t<gps_1_utc_date>230394</gps_1_utc_date>\n"
            "\t\t<gps_1_utc_time>123519</gps_1_utc_time>\n"
            "\t\t<gps_1_status>A</gps_1_status>\n"
            "\t</gps_1_composite_entry>\n");
}

TEST(GpsXml, NmeaFixWithEmptyVariationAndLongFields) {
  gps_composite_state s = fed(2, "$GPRMC,175736,A,5125.8714,N,00524.2350,E,3.1865,276.241,200610,,*2A\r\n");
  EXPECT_EQ(render("2", s, 0, 0),
            "\t<gps_2_composite_entry format=\"nmea\">\n"
            "\t\t<gps_2_latitude>N 5125.8714</gps_2_latitude>\n"
            "\t\t<gps_2_longitude>E 00524.2350</gps_2_longitude>\n"
            "\t\t<gps_2_latitude_decimal>51.431190</gps_2_latitude_decimal>\n"
            "\t\t<gps_2_longitude_decimal>5.403917</gps_2_longitude_decimal>\n"
            "\t\t<gps_2_track>276.241</gps_2_track>\n"
            "\t\t<gps_2_ground_speed units=\"knots\">3.1865</gps_2_ground_speed>\n"
            "\t\t<gps_2_mag_variation>  0.0</gps_2_mag_variation>\n"
            "\t\t<gps_2_utc_date>200610</gps_2_utc_date>\n"
            "\t\t<gps_2_utc_time>175736</gps_2_utc_time>\n"
            "\t</gps_2_composite_entry>\n");
}

TEST(GpsXml, OtherFormatsWriteNothing) {
  gps_composite_state s = fed(1, aviation_sentence);
  s.format = 0;
  EXPECT_EQ(render("1", s, 1, 1), "");
}

namespace {

// A LOG where GPS 1 sends two fixes and summaries fall before, between and after them.
std::string summary_log(bool nmea) {
  const std::string fix = nmea ? "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
                               : aviation_sentence;
  log_writer log;
  log.record(5, 100, "start");
  log.gps1(500, fix);
  log.record(5, 1200, "summary 1 shows the fix");
  log.record(5, 2300, "summary 2: no new sentence");
  log.gps1(2400, fix);
  log.record(5, 3500, "summary 3 shows the new fix");
  return log.str();
}

}  // namespace

TEST(GpsXml, NmeaPortIsSummarisedOnlyAfterANewFix) {
  library_options o = default_options();
  o.gps_1_type = 2;
  const std::string doc = decode_xml(summary_log(true), o);
  EXPECT_EQ(count_of(doc, "<summary_log_entry"), 3u);
  EXPECT_EQ(count_of(doc, "<gps_1_composite_entry format=\"nmea\">"), 2u);
  const auto second = doc.find("<summary_log_entry", doc.find("<summary_log_entry") + 1);
  EXPECT_EQ(doc.find("<gps_1_composite_entry", second), doc.rfind("<gps_1_composite_entry"));
}

TEST(GpsXml, AviationPortRepeatsItsFixInEverySummary) {
  library_options o = default_options();
  o.gps_1_type = 1;
  const std::string doc = decode_xml(summary_log(false), o);
  EXPECT_EQ(count_of(doc, "<gps_1_composite_entry format=\"aviation\">"), 3u);
  EXPECT_EQ(count_of(doc, "<gps_2_composite_entry"), 0u);  // GPS 2 format 0: never a fix
}

// Both ports in the debug and verbose report: an aviation port with STX and other control
// bytes pending in its buffer, and an NMEA port on GPS 2.
TEST(GpsXml, DebugReportWithRawSentencesIsWellFormed) {
  library_options o = options_with([&](library_options& o) {
    o.verbose = 1, o.debug = 1, o.gps_1 = 1, o.gps_2 = 1, o.gps_1_type = 1, o.gps_2_type = 2;
  });
  log_writer log;
  log.gps1(100, aviation_sentence.substr(0, 60));
  log.gps1(200, aviation_sentence.substr(60) + std::string("\r\n\x02z0<&>\"\x01\x1F\x7F\x80\xFF", 14));
  log.gps2(300, "$GNRMC,001031.00,A,4404.13993,N,12118.86023,W,0.146,,100117,,,A*7B\r\n");
  log.record(5, 1500, "summary");
  log.gps1(1600, std::string("\x02\0\x02", 3));
  log.record(5, 2700, "summary");
  const std::string doc = decode_xml(log.str(), o);
  EXPECT_TRUE(is_well_formed_xml(doc)) << doc;
  EXPECT_NE(doc.find("\t<gps_1_rawdata_char>\r\n&#x2402;z0&lt;&amp;&gt;&quot;&#x2401;&#x241F;\x7F\x80\xFF</gps_1_rawdata_char>\n"),
            std::string::npos);
  EXPECT_NE(doc.find("<gps_2_latitude>N 4404.13993</gps_2_latitude>"), std::string::npos);
  EXPECT_EQ(count_of(doc, "<gps_1_composite_entry"), 2u);
  EXPECT_EQ(count_of(doc, "<gps_2_composite_entry"), 1u);
}
