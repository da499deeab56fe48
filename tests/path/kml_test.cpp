// The KML document: head, LookAt, the three placemarks and the wingtip geometry.
#include <gtest/gtest.h>

#include <cstring>

#include "path/kml.h"
#include "path/path_logs.h"
#include "support/xml_check.h"

namespace {

decode_time_text fixed_time() {
  decode_time_text t{};
  std::strcpy(t.text, "Thu Jan  1 00:00:00 1970");
  return t;
}

path_point level_point(float latitude, float longitude, std::int16_t pressure_alt) {
  path_point p{};
  p.latitude = latitude;
  p.longitude = longitude;
  p.pressure_alt = pressure_alt;
  return p;
}

// The last slot of points is the unstored candidate: count is one less than the slots.
std::string kml_of(const std::vector<path_point>& points, const char* description = "f.LOG") {
  return capture_output([&](output_writer& out) {
    print_kml_document(out, points.data(), static_cast<std::int32_t>(points.size()) - 1, fixed_time(),
                       description);
  });
}

std::string coordinate_text(const kml_coordinate& c) {
  return decimal_text(c.longitude) + "," + decimal_text(c.latitude) + "," + decimal_text(c.height);
}

std::string description_of(const std::string& kml) {
  const std::string open = "<description>Generated info Thu Jan  1 00:00:00 1970 - ";
  const std::size_t from = kml.find(open);
  const std::size_t to = kml.find("</description>");
  if (from == std::string::npos || to == std::string::npos) return "<no description>";
  return kml.substr(from + open.size(), to - from - open.size());
}

const char* const expected_document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<kml xmlns=\"http://earth.google.com/kml/2.0\">\n"
    "<Document>\n"
    "\t<name>OrvexDecode Flight path</name>\n"
    "\t<description>Generated info Thu Jan  1 00:00:00 1970 - f.LOG</description>\n"
    "\t<LookAt>\n"
    "\t\t<longitude>-122.250000</longitude>\n"
    "\t\t<latitude>47.500000</latitude>\n"
    "\t\t<range>10000</range>\n"
    "\t\t<tilt>45</tilt>\n"
    "\t\t<heading>-90</heading>\n"
    "\t</LookAt>\n"
    "<Placemark>\n"
    "\t<name>Main flightpath</name>\n"
    "\t<visibility>1</visibility>\n"
    "\t<open>1</open>\n"
    "\t<Style>\n"
    "\t\t<LineStyle>\n"
    "\t\t\t<color>ffff0000</color>\n"
    "\t\t\t<width>2</width>\n"
    "\t\t</LineStyle>\n"
    "\t\t<PolyStyle>\n"
    "\t\t\t<color>b2ff0000</color>\n"
    "\t\t\t<outline>0</outline>\n"
    "\t\t</PolyStyle>\n"
    "\t</Style>\n"
    "\t<LineString>\n"
    "\t\t<extrude>1</extrude>\n"
    "\t\t<tessellate>0</tessellate>\n"
    "\t\t<altitudeMode>absolute</altitudeMode>\n"
    "\t\t<coordinates>\n"
    "\t\t\t-122.250000,47.500000,304.800000\n"
    "\t\t\t-122.000000,47.750000,-1523.999998\n"
    "\t\t</coordinates>\n"
    "\t</LineString>\n"
    "</Placemark><Placemark>\n"
    "\t<name>Left Wingtip</name>\n"
    "\t<visibility>1</visibility>\n"
    "\t<open>0</open>\n"
    "\t<Style>\n"
    "\t\t<LineStyle>\n"
    "\t\t\t<color>ff0000ff</color>\n"
    "\t\t\t<width>2</width>\n"
    "\t\t</LineStyle>\n"
    "\t</Style>\n"
    "\t<LineString>\n"
    "\t\t<extrude>0</extrude>\n"
    "\t\t<tessellate>0</tessellate>\n"
    "\t\t<altitudeMode>absolute</altitudeMode>\n"
    "\t\t<coordinates>\n"
    "\t\t\t-122.250040,47.500000,304.800000\n"
    "\t\t\t-122.000040,47.750000,-1523.999998\n"
    "\t\t</coordinates>\n"
    "\t</LineString>\n"
    "</Placemark><Placemark>\n"
    "\t<name>Right Wingtip</name>\n"
    "\t<visibility>1</visibility>\n"
    "\t<open>0</open>\n"
    "\t<Style>\n"
    "\t\t<LineStyle>\n"
    "\t\t\t<color>ff00ff00</color>\n"
    "\t\t\t<width>2</width>\n"
    "\t\t</LineStyle>\n"
    "\t</Style>\n"
    "\t<LineString>\n"
    "\t\t<extrude>0</extrude>\n"
    "\t\t<tessellate>0</tessellate>\n"
    "\t\t<altitudeMode>absolute</altitudeMode>\n"
    "\t\t<coordinates>\n"
    "\t\t\t-122.249960,47.500000,304.800000\n"
    "\t\t\t-121.999960,47.750000,-1523.999998\n"
    "\t\t</coordinates>\n"
    "\t</LineString>\n"
    "</Placemark></Document></kml>\n";

}  // namespace

TEST(KmlDocument, WritesPointsOneToCountMinusTwo) {
  // Three stored points and the unstored candidate: the last stored point is not written.
  std::vector<path_point> points(5);
  points[1] = level_point(47.5f, -122.25f, 1000);
  points[1].track = -90;
  points[2] = level_point(47.75f, -122.0f, -5000);
  points[3] = level_point(48.0f, -121.0f, 0);
  points[4] = level_point(49.0f, -120.0f, 0);
  const std::string kml = kml_of(points);
  EXPECT_EQ(kml, expected_document);
  EXPECT_TRUE(is_well_formed_xml(kml));
}

TEST(KmlDocument, EmptyPathIsStillComplete) {
  // No stored point: the LookAt shows the candidate left in slot 1, the lists are empty.
  for (const std::size_t slots : {std::size_t{2}, std::size_t{3}}) {
    std::vector<path_point> points(slots);
    points[1] = level_point(0.0f, 12.5f, -5000);
    points[1].track = 45;
    const std::string kml = kml_of(points);
    EXPECT_NE(kml.find("\t\t<longitude>12.500000</longitude>\n\t\t<latitude>0.000000</latitude>\n"),
              std::string::npos);
    EXPECT_NE(kml.find("<heading>45</heading>"), std::string::npos);
    EXPECT_EQ(kml.find("\t\t\t-"), std::string::npos);
    EXPECT_EQ(kml.find("\t\t\t0"), std::string::npos);
    EXPECT_NE(kml.find("<coordinates>\n\t\t</coordinates>"), std::string::npos);
    EXPECT_TRUE(kml.ends_with("</Placemark></Document></kml>\n"));
    EXPECT_TRUE(is_well_formed_xml(kml));
  }
}

TEST(KmlDocument, PressureAltitudeIsWrittenInMetres) {
  const struct {
    std::int16_t feet;
    const char* metres;
  } rows[] = {{1000, "304.800000"}, {-5000, "-1523.999998"}, {0, "0.000000"}, {32767, "9987.381585"}};
  for (const auto& r : rows) {
    EXPECT_EQ(decimal_text(metres_of_feet(r.feet)), r.metres) << r.feet;
  }
}

TEST(KmlDocument, WingtipsLieAcrossTheHeadingAndTiltWithTheRoll) {
  struct row {
    const char* what;
    float yaw, roll, pitch;
    const char* left;
    const char* right;
  };
  const row rows[] = {
      {"heading 0: west and east", 0, 0, 0, "19.999960,10.000000,0.000000",
       "20.000040,10.000000,0.000000"},
      {"heading 90: north and south", 90, 0, 0, "20.000000,10.000040,0.000000",
       "20.000000,9.999960,0.000000"},
      {"roll 30: 1.5 m above and below, 0.866 of the offset", 0, 30, 0,
       "19.999965,10.000000,1.500000", "20.000035,10.000000,-1.500000"},
      {"roll -30 pitch 60: the height offset halves", 0, -30, 60, "19.999965,10.000000,-0.750000",
       "20.000035,10.000000,0.750000"},
      {"heading -90: south and north", -90, 0, 0, "20.000000,9.999960,0.000000",
       "20.000000,10.000040,0.000000"},
  };
  for (const row& r : rows) {
    path_point p = level_point(10.0f, 20.0f, 0);
    p.yaw_angle = r.yaw;
    p.roll_angle = r.roll;
    p.pitch_angle = r.pitch;
    const wingtip_coordinates w = wingtips_of(p);
    EXPECT_EQ(coordinate_text(w.left), r.left) << r.what;
    EXPECT_EQ(coordinate_text(w.right), r.right) << r.what;
  }
}

TEST(KmlDocument, WingtipTrigonometryIsSinglePrecision) {
  // 90 degrees as a 32-bit float is a little over pi/2, so the cosine is about -4.37e-8 and
  // the east-west offset of the wingtips is not exactly zero.
  path_point p = level_point(0.0f, 0.0f, 0);
  p.yaw_angle = 90.0f;
  const wingtip_coordinates w = wingtips_of(p);
  EXPECT_GT(w.left.longitude, 0.0);
  EXPECT_NEAR(w.left.longitude, 0.00004 * 4.371139e-8, 1e-18);
}

TEST(KmlDocument, DescriptionIsEscapedAndKeptUtf8) {
  const struct {
    const char* description;
    const char* written;
  } rows[] = {
      {"flight.LOG", "flight.LOG"},
      {"a&b<c>\"d'.LOG", "a&amp;b&lt;c&gt;&quot;d'.LOG"},
      {"caf\xC3\xA9.LOG", "caf\xC3\xA9.LOG"},
      {"caf\xE9.LOG", "caf\xEF\xBF\xBD.LOG"},
      {"\xE2\x82<", "\xEF\xBF\xBD\xEF\xBF\xBD&lt;"},
      {"\x01tab\t", "&#x2401;tab\t"},
      {"", ""},
  };
  for (const auto& r : rows) {
    std::vector<path_point> points(2);
    const std::string kml = kml_of(points, r.description);
    EXPECT_EQ(description_of(kml), r.written) << r.description;
    EXPECT_TRUE(is_well_formed_xml(kml)) << r.description;
  }
}

TEST(KmlExport, DecodesALogIntoTheDocument) {
  log_writer log;
  log.gps1(10, aviation_fix("N 47 2345", "W 122 1234", "270"));
  log.ahrs_hr(20, {.yaw_angle = 0x4000, .pressure_alt = 6000});
  log.gps1(30, aviation_fix("N 47 2400", "W 122 1234", "271"));
  log.record(13, 40, "x");
  log.record(13, 50, "y");
  const std::string kml = decode_kml(log.str(), default_options());
  EXPECT_TRUE(is_well_formed_xml(kml));
  const std::string masked = mask_decode_time(kml);
  // Stored: fix 1 at -5000 feet (time 0), fix 1 at 1000 feet heading 90 (time 20), fix 2.
  // The second point is spread toward fix 2, logged at the same time 20: onto fix 2 itself.
  EXPECT_NE(masked.find("\t<description>Generated info <decode time> - test.LOG</description>\n"
                        "\t<LookAt>\n\t\t<longitude>-122.205666</longitude>\n"
                        "\t\t<latitude>47.390835</latitude>\n"),
            std::string::npos);
  EXPECT_NE(masked.find("<heading>270</heading>"), std::string::npos);
  for (const char* coordinates : {
           "-122.205666,47.390835,-1523.999998\n\t\t\t-122.205666,47.400002,304.800000\n",
           "-122.205706,47.390835,-1523.999998\n\t\t\t-122.205666,47.400042,304.800000\n",
           "-122.205626,47.390835,-1523.999998\n\t\t\t-122.205666,47.399962,304.800000\n",
       }) {
    EXPECT_NE(masked.find(std::string("<coordinates>\n\t\t\t") + coordinates + "\t\t</coordinates>"),
              std::string::npos)
        << coordinates;
  }
}

TEST(KmlExport, ResultIsTheClosingLineOrAFailure) {
  const analog_input_const c = default_constants();
  const library_options o = default_options();
  FILE* in = stream_with("");
  FILE* out = std::tmpfile();
  EXPECT_EQ(OrvexDecode_LOG_to_KML(&c, &o, in, out, stderr, "x"), 18);
  std::fclose(out);
  std::rewind(in);
  FILE* full = std::fopen("/dev/full", "wb");
  ASSERT_NE(full, nullptr);
  EXPECT_LT(OrvexDecode_LOG_to_KML(&c, &o, in, full, stderr, "x"), 0);
  std::fclose(full);
  std::fclose(in);
}
