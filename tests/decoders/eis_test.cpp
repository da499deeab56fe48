// EIS engine records: byte order, scaling, signedness and the verbose line set.
#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "decoders/eis.h"
#include "support/capture.h"
#include "support/xml_check.h"

namespace {

std::string render_eis(std::span<const std::uint8_t> bytes, bool verbose) {
  return render_xml_record(source_eis, bytes, options_with([&](library_options& o) { o.verbose = verbose; }));
}

std::string render_eis(const eis_fields& f, bool verbose) { return render_eis(eis_payload(f), verbose); }

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

eis_fields cruise_snapshot() {
  return {.tachometer = 2400,
          .cht = {350, 352, 348, 360, 355, 351},
          .egt = {1320, 1310, 1330, 1300, 1325, 1315},
          .aux = {1, -2, 3, -4, 5, -6},
          .airspeed = 120,
          .altitude = 450,
          .primaryvoltage = 138,
          .fuelflow = 85,
          .unittemp = 30,
          .carbtemp = -3,
          .rateofclimb = 5,
          .outsidetemp = 65,
          .oiltemp = 190,
          .oilpressure = 62,
          .coolanttemp = 180,
          .elapsed_time = 12345,
          .fuelqty = 256,
          .flighttimer_hours = 1, .flighttimer_mins = 2, .flighttimer_secs = 3,
          .fuelendurance_hours = 4, .fuelendurance_mins = 5,
          .baroset = 2992,
          .tachometer_2 = 2410,
          .checksum = 171};
}

}  // namespace

TEST(EisRecord, VerboseSnapshotRendersEveryLineInOrder) {
  const std::string expected =
      "\t<eis_log_entry>\n"
      "\t\t\t<verboseinfo checksum=\"171\"/>\n"
      "\t\t<chttemp1>350</chttemp1>\n"
      "\t\t<chttemp2>352</chttemp2>\n"
      "\t\t<chttemp3>348</chttemp3>\n"
      "\t\t<chttemp4>360</chttemp4>\n"
      "\t\t<chttemp5>355</chttemp5>\n"
      "\t\t<chttemp6>351</chttemp6>\n"
      "\t\t<egttemp1>1320</egttemp1>\n"
      "\t\t<egttemp2>1310</egttemp2>\n"
      "\t\t<egttemp3>1330</egttemp3>\n"
      "\t\t<egttemp4>1300</egttemp4>\n"
      "\t\t<egttemp5>1325</egttemp5>\n"
      "\t\t<egttemp6>1315</egttemp6>\n"
      "\t\t<aux1_raw>1</aux1_raw>\n"
      "\t\t<aux2_raw>-2</aux2_raw>\n"
      "\t\t<aux3_raw>3</aux3_raw>\n"
      "\t\t<aux4_raw>-4</aux4_raw>\n"
      "\t\t<aux5_raw>5</aux5_raw>\n"
      "\t\t<aux6_raw>-6</aux6_raw>\n"
      "\t\t<tachometer unit=\"rpm\">2400</tachometer>\n"
      "\t\t<tachometer_2 unit=\"rpm\">2410</tachometer_2>\n"
      "\t\t<primaryvoltage>13.8</primaryvoltage>\n"
      "\t\t<airspeed>120</airspeed>\n"
      "\t\t<altitude unit=\"feet\">4500</altitude>\n"
      "\t\t<rateofclimb unit=\"fpm\">+500</rateofclimb>\n"
      "\t\t<oiltemp>190</oiltemp>\n"
      "\t\t<oilpressure unit=\"psi\">62</oilpressure>\n"
      "\t\t<coolanttemp>180</coolanttemp>\n"
      "\t\t<carbtemp>-3</carbtemp>\n"
      "\t\t<outsidetemp>+15</outsidetemp>\n"
      "\t\t<flighttimer hours=\"01\" mins=\"02\" secs=\"03\">01:02:03</flighttimer>\n"
      "\t\t<fuelqty>25.6</fuelqty>\n"
      "\t\t<fuelflow>8.5</fuelflow>\n"
      "\t\t<elapsed_time unit=\"hours\">1234.50</elapsed_time>\n"
      "\t\t<fuelendurance hours=\"4\" mins=\"5\">4:5</fuelendurance>\n"
      "\t\t<unittemp>30</unittemp>\n"
      "\t\t<baroset unit=\"HG\">29.92</baroset>\n"
      "\t\t<altitude_raw>450</altitude_raw>\n"
      "\t\t<fuelqty_raw>256</fuelqty_raw>\n"
      "\t\t<fuelflow_raw>85</fuelflow_raw>\n"
      "\t\t<elapsed_time_raw>12345</elapsed_time_raw>\n"
      "\t\t<baroset_raw>2992</baroset_raw>\n"
      "\t\t<outsidetemp_raw>65</outsidetemp_raw>\n"
      "\t\t<rateofclimb_raw>+5</rateofclimb_raw>\n"
      "\t</eis_log_entry>\n";
  EXPECT_EQ(render_eis(cruise_snapshot(), true), expected);
}

TEST(EisRecord, AllZeroRecordRendersZerosSignedZerosAndOffsetTemperature) {
  const std::vector<std::uint8_t> zeros(eis_layout::size, 0);
  const std::string out = render_eis(zeros, false);
  EXPECT_EQ(lines_of(out).size(), 36u + 2u) << out;
  for (const char* line : {
           "\t\t<chttemp1>0</chttemp1>\n",
           "\t\t<aux6_raw>0</aux6_raw>\n",
           "\t\t<primaryvoltage>0.0</primaryvoltage>\n",
           "\t\t<rateofclimb unit=\"fpm\">+0</rateofclimb>\n",
           "\t\t<carbtemp>+0</carbtemp>\n",
           "\t\t<outsidetemp>-50</outsidetemp>\n",
           "\t\t<flighttimer hours=\"00\" mins=\"00\" secs=\"00\">00:00:00</flighttimer>\n",
           "\t\t<elapsed_time unit=\"hours\">0.00</elapsed_time>\n",
           "\t\t<fuelendurance hours=\"0\" mins=\"0\">0:0</fuelendurance>\n",
           "\t\t<baroset unit=\"HG\">0.00</baroset>\n",
       }) {
    EXPECT_NE(out.find(line), std::string::npos) << line;
  }
}

TEST(EisRecord, VerboseAddsTheChecksumFirstAndSevenRawLinesLast) {
  const std::vector<std::string> quiet = lines_of(render_eis(cruise_snapshot(), false));
  const std::vector<std::string> verbose = lines_of(render_eis(cruise_snapshot(), true));
  ASSERT_EQ(verbose.size(), quiet.size() + 8u);
  // Between the checksum and the raw lines the verbose element is the quiet one.
  EXPECT_TRUE(std::equal(quiet.begin() + 1, quiet.end() - 1, verbose.begin() + 2));
}

TEST(EisRecord, FieldsKeepTheirScaleAndSignedness) {
  struct row {
    const char* what;
    eis_fields fields;
    bool verbose;
    const char* line;
  };
  const row rows[] = {
      {"big-endian tachometer", {.tachometer = 0x1234}, false,
       "\t\t<tachometer unit=\"rpm\">4660</tachometer>\n"},
      {"second tachometer", {.tachometer_2 = 0xFFFF}, false,
       "\t\t<tachometer_2 unit=\"rpm\">65535</tachometer_2>\n"},
      {"unsigned CHT", {.cht = {0xFFFF}}, false, "\t\t<chttemp1>65535</chttemp1>\n"},
      {"unsigned EGT", {.egt = {0, 0, 0, 0, 0, 0xFFFF}}, false, "\t\t<egttemp6>65535</egttemp6>\n"},
      {"signed aux1", {.aux = {-1}}, false, "\t\t<aux1_raw>-1</aux1_raw>\n"},
      {"signed aux5", {.aux = {0, 0, 0, 0, -32768}}, false, "\t\t<aux5_raw>-32768</aux5_raw>\n"},
      {"altitude does not wrap", {.altitude = 65535}, false,
       "\t\t<altitude unit=\"feet\">655350</altitude>\n"},
      {"climb negative", {.rateofclimb = -5}, false, "\t\t<rateofclimb unit=\"fpm\">-500</rateofclimb>\n"},
      {"climb positive", {.rateofclimb = 3}, false, "\t\t<rateofclimb unit=\"fpm\">+300</rateofclimb>\n"},
      {"climb raw negative", {.rateofclimb = -5}, true, "\t\t<rateofclimb_raw>-5</rateofclimb_raw>\n"},
      {"climb raw positive", {.rateofclimb = 3}, true, "\t\t<rateofclimb_raw>+3</rateofclimb_raw>\n"},
      {"climb raw zero", {.rateofclimb = 0}, true, "\t\t<rateofclimb_raw>+0</rateofclimb_raw>\n"},
      {"carb temperature signed", {.carbtemp = -128}, false, "\t\t<carbtemp>-128</carbtemp>\n"},
      {"outside 0", {.outsidetemp = 0}, false, "\t\t<outsidetemp>-50</outsidetemp>\n"},
      {"outside 50", {.outsidetemp = 50}, false, "\t\t<outsidetemp>+0</outsidetemp>\n"},
      {"outside 255", {.outsidetemp = 255}, false, "\t\t<outsidetemp>+205</outsidetemp>\n"},
      {"outside raw 255", {.outsidetemp = 255}, true, "\t\t<outsidetemp_raw>255</outsidetemp_raw>\n"},
      {"unit temperature unsigned", {.unittemp = 200}, false, "\t\t<unittemp>200</unittemp>\n"},
      {"oil pressure unsigned", {.oilpressure = 255}, false,
       "\t\t<oilpressure unit=\"psi\">255</oilpressure>\n"},
      {"baroset", {.baroset = 2992}, false, "\t\t<baroset unit=\"HG\">29.92</baroset>\n"},
      {"primary voltage", {.primaryvoltage = 138}, false, "\t\t<primaryvoltage>13.8</primaryvoltage>\n"},
      {"elapsed time", {.elapsed_time = 65535}, false,
       "\t\t<elapsed_time unit=\"hours\">6553.50</elapsed_time>\n"},
      {"fuel flow", {.fuelflow = 65535}, false, "\t\t<fuelflow>6553.5</fuelflow>\n"},
      {"timer past two digits",
       {.flighttimer_hours = 255, .flighttimer_mins = 9, .flighttimer_secs = 59}, false,
       "\t\t<flighttimer hours=\"255\" mins=\"09\" secs=\"59\">255:09:59</flighttimer>\n"},
      {"endurance unpadded", {.fuelendurance_hours = 1, .fuelendurance_mins = 5}, false,
       "\t\t<fuelendurance hours=\"1\" mins=\"5\">1:5</fuelendurance>\n"},
      {"checksum unsigned", {.checksum = 255}, true, "\t\t\t<verboseinfo checksum=\"255\"/>\n"},
  };
  for (const row& r : rows) {
    const std::string out = render_eis(r.fields, r.verbose);
    EXPECT_NE(out.find(r.line), std::string::npos) << r.what << "\n" << out;
  }
}

TEST(EisRecord, SingleBytesAndWordsComeFromTheirOwnOffsets) {
  std::uint8_t p[eis_layout::size];
  for (std::size_t i = 0; i < sizeof p; ++i) p[i] = static_cast<std::uint8_t>(0xA0 + i);
  const auto be = [&p](std::size_t off) { return static_cast<std::uint16_t>(p[off] << 8 | p[off + 1]); };
  const eis_values v = decode_eis(p);
  EXPECT_EQ(v.rpm, be(3));
  EXPECT_EQ(v.cht[0], be(5));
  EXPECT_EQ(v.egt[5], be(27));
  EXPECT_EQ(v.unit_temp, p[41]);
  EXPECT_EQ(v.carb_temp, static_cast<std::int8_t>(p[42]));
  EXPECT_EQ(v.vertical_speed.stored, static_cast<std::int8_t>(p[43]));
  EXPECT_EQ(v.outside_temp.stored, p[44]);
  EXPECT_EQ(v.oil_temp, be(45));  // just behind the single bytes
  EXPECT_EQ(v.oil_pressure_psi, p[47]);
  EXPECT_EQ(v.aux[0], static_cast<std::int16_t>(be(48)));
  EXPECT_EQ(v.flight_timer[2], p[64]);
  EXPECT_EQ(v.fuel_endurance[1], p[66]);
  EXPECT_EQ(v.rpm_2, be(69));  // the last word
  EXPECT_EQ(v.checksum, p[72]);
}

TEST(EisRecord, ShortPayloadReadsItsMissingBytesAsZero) {
  const std::uint8_t five_bytes[] = {0, 0, 0, 0x09, 0x60};
  const std::string doc = decode_xml(log_writer().record(source_eis, 100, five_bytes).str(),
                                     options_with([](library_options& o) { o.summary = 0, o.eis = 1; }));
  EXPECT_NE(doc.find("\t\t<tachometer unit=\"rpm\">2400</tachometer>\n"), std::string::npos) << doc;
  EXPECT_NE(doc.find("\t\t<outsidetemp>-50</outsidetemp>\n"), std::string::npos);
  EXPECT_NE(doc.find("\t\t<baroset unit=\"HG\">0.00</baroset>\n"), std::string::npos);
}

TEST(EisRecord, CachedRecordIsConvertedOnceWhateverTimesItIsRendered) {
  struct row {
    std::int32_t eis_selected;
    std::size_t renderings;  // two summaries, plus the record itself when selected
  };
  for (const row r : {row{0, 2}, row{1, 3}}) {
    // summary_deciseconds 0: a summary before every later timestamp
    const library_options o = options_with([&](library_options& o) { o.eis = r.eis_selected, o.summary_deciseconds = 0; });
    const std::string log =
        log_writer().eis(1, {.tachometer = 0x1234}).record(source_state, 2, "s").record(source_state, 3, "s").str();
    const std::string doc = decode_xml(log, o);
    EXPECT_EQ(count_of(doc, "<tachometer unit=\"rpm\">4660</tachometer>"), r.renderings) << doc;
    EXPECT_EQ(count_of(doc, "<tachometer unit=\"rpm\">"), r.renderings);
  }
}

TEST(EisRecord, ReportWithEisRecordsParsesAsXml) {
  for (const std::int32_t verbose : {0, 1}) {
    const library_options o = options_with([&](library_options& o) { o.verbose = verbose, o.eis = 1, o.summary_deciseconds = 0; });
    const std::uint8_t short_payload[] = {0, 0, 0, 0x09};
    const std::string log = log_writer()
                                .eis(10, cruise_snapshot())
                                .eis(20, {.outsidetemp = 0})
                                .record(source_eis, 30, short_payload)
                                .str();
    EXPECT_TRUE(is_well_formed_xml(decode_xml(log, o))) << "verbose " << verbose;
  }
}
