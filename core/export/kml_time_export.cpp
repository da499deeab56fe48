// KML 2.2 with time, to replay a flight on a globe viewer's time slider: one row per period
// becomes a sample of a gx:Track (its time, its position and its attitude), and each wingtip a
// line of time-stamped segments that move with it.
//
//   <Placemark><name>Flight path</name><styleUrl>#path</styleUrl><gx:Track>
//     <altitudeMode>absolute</altitudeMode>
//     <when>2026-03-11T22:22:46Z</when> ...              every sample's UTC
//     <gx:coord>-122.2056656 47.3908348 376.1</gx:coord> ...   longitude latitude metres
//     <gx:angles>123.45 2.10 -15.30</gx:angles> ...     heading, tilt (pitch), roll
//     <ExtendedData><SchemaData schemaUrl="#efis"><gx:SimpleArrayData name="ias_kt">...
//   </gx:Track></Placemark>
//   <Folder><name>Left wingtip</name><Placemark><TimeSpan><begin/><end/></TimeSpan>
//     <styleUrl>#left</styleUrl><LineString>...</LineString></Placemark> ...</Folder>
//
// A gx:Track lists all its times, then all its positions, then all its angles, so the samples
// are held until the track is written: a track ends at a gap in the rows, at the end of a segment
// of the LOG, or after samples_per_track samples, and the next one follows, which keeps memory
// flat for any LOG. The tracks follow the LOG's order; within each their times rise.
// Where the flights' airports were looked up, a folder of placemarks names them first: each
// flight's departure and arrival (export_places.h), at the airport's reference point.
//
//   <Folder><name>Airports</name><Placemark><name>KRNT</name>
//     <description>Renton Municipal Airport: departure of flight 1 from runway 34</description>
//     <Point><coordinates>-122.2160030,47.4930990,0</coordinates></Point></Placemark></Folder>
//
// A sample needs a valid GPS 1 position; its altitude is the GPS altitude item, else the AHRS
// pressure altitude; its attitude the AHRS (the GPS track as heading without it). Where a segment
// of the LOG has no GPS time its path and wingtips are plain line strings.
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "decoders/gps/position_rules.h"
#include "export/export_columns.h"
#include "export/export_places.h"
#include "export/export_run.h"
#include "path/kml.h"
#include "text/utc_text.h"
#include "text/utf8_text.h"

namespace {

constexpr std::size_t samples_per_track = 4096;
constexpr double metres_per_foot = 0.3048;

struct kml_sample {
  std::uint32_t log_ms;
  bool has_utc;
  std::int64_t utc_ms;
  utc_text when;  // its UTC's text, which the track and both wingtips give (written once)
  double longitude;
  double latitude;
  double height;  // metres
  double heading;
  double tilt;
  double roll;
  wingtip_coordinates wingtips;
  bool has_ias;
  bool has_engine;
  double ias_kt;
  int rpm;
  double cht_max;
};

kml_sample sample_of(const sampled_row& r) {
  kml_sample s{};
  s.log_ms = r.log_ms;
  s.has_utc = r.has_utc;
  s.utc_ms = r.utc_ms;
  if (r.has_utc) s.when = iso8601_utc_ms(r.utc_ms);
  s.longitude = r.gps_1->longitude_deg;
  s.latitude = r.gps_1->latitude_deg;
  if (r.gps_1->has_altitude) {
    s.height = r.gps_1->altitude_ft * metres_per_foot;
  } else if (r.ahrs != nullptr) {
    s.height = r.ahrs->pressure_alt_ft * metres_per_foot;
  }
  float roll = 0.0f;
  float pitch = 0.0f;
  float yaw = 0.0f;
  if (r.ahrs != nullptr) {
    const ahrs_hr_values& a = *r.ahrs;
    roll = static_cast<float>(a.roll.value());
    pitch = static_cast<float>(a.pitch.value());
    yaw = static_cast<float>(a.yaw.value());
    s.heading = a.heading_deg();
    s.tilt = a.pitch.value();
    s.roll = a.roll.value();
    s.has_ias = true;
    s.ias_kt = r.ahrs->ias_kt();
  } else if (r.gps_1->has_track) {
    s.heading = r.gps_1->track_deg;
    yaw = static_cast<float>(r.gps_1->track_deg);
  }
  s.wingtips = wingtips_around(s.longitude, s.latitude, s.height, roll, pitch, yaw);
  if (r.eis != nullptr) {
    s.has_engine = true;
    s.rpm = r.eis->rpm;
    s.cht_max = r.units->cht(*std::max_element(r.eis->cht, r.eis->cht + 6));
  }
  return s;
}

class kml_track_writer {
 public:
  kml_track_writer(output_writer& out, export_result& result) : out_(out), result_(result) {
    samples_.reserve(samples_per_track);
  }

  void take(const sampled_row& r) {
    if (r.gps_1 == nullptr || !has_position(*r.gps_1)) {
      end_track(false);
      return;
    }
    const bool gap = !samples_.empty() && !r.continues;
    if (gap) end_track(false);
    if (samples_.size() == samples_per_track) end_track(true);
    samples_.push_back(sample_of(r));
    ++result_.items;
  }

  void finish() { end_track(false); }

 private:
  // Writes the held samples as one track. continued: the next track goes on from the last
  // sample, so its wingtips start with the segment between the two.
  void end_track(bool continued) {
    if (samples_.empty()) return;
    if (samples_.front().has_utc) {  // a track lies in one segment: its samples all have UTC or none
      write_timed_track();
    } else {
      write_line_strings();
    }
    bridge_ = continued ? std::optional<kml_sample>(samples_.back()) : std::nullopt;
    samples_.clear();
  }

  void write_coordinate(const kml_coordinate& c) {
    out_.line(OUT_FORMAT("{},{},{}"), fixed(c.longitude, 7), fixed(c.latitude, 7), fixed(c.height, 2));
  }

  void write_timed_track() {
    out_.text(
        "  <Placemark>\n    <name>Flight path</name>\n    <styleUrl>#path</styleUrl>\n    <gx:Track>\n"
        "      <altitudeMode>absolute</altitudeMode>\n");
    for (const kml_sample& s : samples_)
      out_.line(OUT_FORMAT("      <when>{}</when>\n"), s.when.view());
    for (const kml_sample& s : samples_) {
      out_.line(OUT_FORMAT("      <gx:coord>{} {} {}</gx:coord>\n"), fixed(s.longitude, 7), fixed(s.latitude, 7),
                fixed(s.height, 1));
    }
    for (const kml_sample& s : samples_) {
      out_.line(OUT_FORMAT("      <gx:angles>{} {} {}</gx:angles>\n"), fixed(s.heading, 2), fixed(s.tilt, 2),
                fixed(s.roll, 2));
    }
    out_.text("      <ExtendedData>\n        <SchemaData schemaUrl=\"#efis\">\n");
    write_array("ias_kt", [this](const kml_sample& s) {
      if (s.has_ias) out_.line(OUT_FORMAT("{}"), fixed(s.ias_kt, 1));
    });
    write_array("rpm", [this](const kml_sample& s) {
      if (s.has_engine) out_.line(OUT_FORMAT("{}"), s.rpm);
    });
    write_array("cht_max", [this](const kml_sample& s) {
      if (s.has_engine) out_.line(OUT_FORMAT("{}"), static_cast<long long>(std::llround(s.cht_max)));
    });
    out_.text("        </SchemaData>\n      </ExtendedData>\n    </gx:Track>\n  </Placemark>\n");
    write_wingtip_segments("Left wingtip", "#left", [](const kml_sample& s) { return s.wingtips.left; });
    write_wingtip_segments("Right wingtip", "#right", [](const kml_sample& s) { return s.wingtips.right; });
  }

  template <typename Cell>
  void write_array(std::string_view name, Cell cell) {
    out_.line(OUT_FORMAT("          <gx:SimpleArrayData name=\"{}\">\n"), name);
    for (const kml_sample& s : samples_) {
      out_.text("            <gx:value>");
      cell(s);
      out_.text("</gx:value>\n");
    }
    out_.text("          </gx:SimpleArrayData>\n");
  }

  // One placemark per segment between two samples, shown from the first sample's time to the
  // second's.
  template <typename Tip>
  void write_wingtip_segments(std::string_view name, std::string_view style, Tip tip) {
    out_.line(OUT_FORMAT("  <Folder>\n    <name>{}</name>\n"), name);
    const kml_sample* previous = bridge_ ? &*bridge_ : nullptr;
    for (const kml_sample& s : samples_) {
      if (previous != nullptr) {
        out_.line(OUT_FORMAT("    <Placemark><name>{}</name><TimeSpan><begin>{}</begin><end>{}</end></TimeSpan>"
                             "<styleUrl>{}</styleUrl><LineString><altitudeMode>absolute</altitudeMode><coordinates>"),
                  name, previous->when.view(), s.when.view(), style);
        write_coordinate(tip(*previous));
        out_.text(" ");
        write_coordinate(tip(s));
        out_.text("</coordinates></LineString></Placemark>\n");
      }
      previous = &s;
    }
    out_.text("  </Folder>\n");
  }

  // Without time: the path and each wingtip as one line string.
  void write_line_strings() {
    write_line_string("Flight path", "#path", [](const kml_sample& s) {
      return kml_coordinate{s.longitude, s.latitude, s.height};
    });
    write_line_string("Left wingtip", "#left", [](const kml_sample& s) { return s.wingtips.left; });
    write_line_string("Right wingtip", "#right", [](const kml_sample& s) { return s.wingtips.right; });
  }

  template <typename Point>
  void write_line_string(std::string_view name, std::string_view style, Point point) {
    out_.line(OUT_FORMAT("  <Placemark>\n    <name>{}</name>\n    <styleUrl>{}</styleUrl>\n    <LineString>\n"
                         "      <altitudeMode>absolute</altitudeMode>\n      <coordinates>\n"),
              name, style);
    if (bridge_) {
      out_.text("        ");
      write_coordinate(point(*bridge_));
      out_.text("\n");
    }
    for (const kml_sample& s : samples_) {
      out_.text("        ");
      write_coordinate(point(s));
      out_.text("\n");
    }
    out_.text("      </coordinates>\n    </LineString>\n  </Placemark>\n");
  }

  output_writer& out_;
  export_result& result_;
  std::vector<kml_sample> samples_;
  std::optional<kml_sample> bridge_;
};

void write_document_head(output_writer& out, const export_request& request, const engine_units& units) {
  out.text(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
      "<Document>\n  <name>");
  if (!request.tail.empty()) {
    write_escaped_utf8(out, request.tail);
    out.text(" ");
  }
  out.text("flight</name>\n");
  out.text(
      "  <Style id=\"path\"><LineStyle><color>ffff0000</color><width>2</width></LineStyle></Style>\n"
      "  <Style id=\"left\"><LineStyle><color>ff0000ff</color><width>2</width></LineStyle></Style>\n"
      "  <Style id=\"right\"><LineStyle><color>ff00ff00</color><width>2</width></LineStyle></Style>\n");
  out.line(OUT_FORMAT("  <Schema id=\"efis\" name=\"efis\">\n"
                      "    <gx:SimpleArrayField name=\"ias_kt\" type=\"float\"><displayName>IAS (kt)</displayName>"
                      "</gx:SimpleArrayField>\n"
                      "    <gx:SimpleArrayField name=\"rpm\" type=\"int\"><displayName>RPM</displayName>"
                      "</gx:SimpleArrayField>\n"
                      "    <gx:SimpleArrayField name=\"cht_max\" type=\"int\"><displayName>Hottest CHT ({})"
                      "</displayName></gx:SimpleArrayField>\n  </Schema>\n"),
           unit_symbol(units.cht));
}

void write_places(output_writer& out, const std::vector<export_place>& places) {
  if (places.empty()) return;
  out.text("  <Folder>\n    <name>Airports</name>\n");
  for (const export_place& place : places) {
    out.text("    <Placemark>\n      <name>");
    write_escaped_utf8(out, place.name());
    out.text("</name>\n      <description>");
    write_escaped_utf8(out, place.description());
    const geo_point p = place.point();
    out.line(OUT_FORMAT("</description>\n      <Point><coordinates>{},{},0</coordinates></Point>\n    </Placemark>\n"),
             fixed(p.longitude_deg, 7), fixed(p.latitude_deg, 7));
  }
  out.text("  </Folder>\n");
}

}  // namespace

void write_kml_time(export_pass& pass) {
  output_writer& out = pass.out;
  write_document_head(out, pass.request, pass.plan.units);
  write_places(out, export_places(pass.plan));
  kml_track_writer tracks(out, pass.result);
  for_each_row(pass, [&tracks](const sampled_row& r) { tracks.take(r); });
  tracks.finish();
  out.text("</Document>\n</kml>\n");
}
