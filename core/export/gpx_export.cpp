// GPX 1.1 for logbooks and maps: one track per detected flight (one for the whole LOG when it
// holds no flight, or for the window asked for), one point per accepted GPS 1 fix (two fixes in
// the same millisecond of LOG time give one), a new segment after a gap in the fixes or a fix the
// receiver marks invalid. Each segment of the LOG starts a new track, and the tracks come in the
// order of their UTC: where the LOG's segments are not in that order (LOGs joined out of order),
// the pass reads them one by one in that order.
//
//   <trk><name>Flight 1</name><number>1</number><trkseg>
//     <trkpt lat="47.3908348" lon="-122.2056656"><ele>376.1</ele><time>2026-03-11T22:22:46Z</time>
//       <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>51.44</gpxtpx:speed>
//       <gpxtpx:course>123</gpxtpx:course></gpxtpx:TrackPointExtension></extensions></trkpt>
//
// ele is the aviation sentence's altitude item in metres, time the fix's UTC where the LOG has
// GPS time; ground speed (m/s) and course (degrees true) only in the track-point extension.
//
// Where the flights' airports were looked up, a flight's track says its route in its description
// and the places of the flights come first as waypoints, at the airport's reference point and
// elevation (off airport: where the aircraft was), with the time of the takeoff or landing:
//
//   <wpt lat="47.4930990" lon="-122.2160030"><ele>9.8</ele><time>2026-05-09T17:00:41Z</time>
//     <name>KRNT</name><desc>Renton Municipal Airport: departure of flight 1 from runway 34</desc>
//     <type>departure</type></wpt>
//   <trk><name>flight 1</name><desc>KRNT - KPAE</desc><number>1</number>...
#include <algorithm>
#include <cmath>

#include "decode/record_loop.h"
#include "decoders/gps/position_rules.h"
#include "analysis/flight_places.h"
#include "export/export_columns.h"
#include "export/export_places.h"
#include "export/export_run.h"
#include "text/utc_text.h"
#include "text/utf8_text.h"

namespace {

constexpr std::uint32_t segment_gap_ms = 5000;  // fixes further apart start a new segment
constexpr double metres_per_foot = 0.3048;
constexpr double metres_per_second_per_knot = 1852.0 / 3600.0;

// One track: a flight's window, or the window asked for.
struct gpx_track {
  row_window bounds;
  int number;  // the flight's number; 0 for a track that is no detected flight
  std::string route;  // the flight's, where its airports were looked up
};

class gpx_steps {
 public:
  gpx_steps(decode_context& ctx, std::vector<gpx_track> tracks, const std::string& tail, export_result& result)
      : ctx_(ctx), out_(ctx.out), tracks_(std::move(tracks)), tail_(tail), result_(result) {}

  void after_dispatch(const efis_record& record, const record_effect& effect) {
    if (ctx_.follow.segments.index() != segment_) {
      if (visiting_) {
        done_ = true;  // the segment visited has ended
        return;
      }
      close_track();
      segment_ = ctx_.follow.segments.index();
    }
    if (effect.new_fix_port == 0) take_fix(ctx_.summary.gps_1.fix, record.timestamp);
  }
  bool finished() const { return done_; }

  // Reads the segments one by one from here on, each from the start of the tracks.
  void visit(std::uint32_t segment) {
    close_track();
    visiting_ = true;
    done_ = false;
    segment_ = segment;
    next_track_ = 0;
  }

  void finish() { close_track(); }

 private:
  void take_fix(const gps_fix& fix, std::uint32_t t) {
    const utc_clock& clock = ctx_.follow.clock;
    const bool has_utc = clock.known();
    const std::int64_t utc = has_utc ? clock.utc_ms_at(t) : 0;
    while (next_track_ < tracks_.size() && tracks_[next_track_].bounds.to_order <= log_order(segment_, t)) {
      close_track();
      ++next_track_;
    }
    if (next_track_ == tracks_.size() || !tracks_[next_track_].bounds.holds(segment_, t, has_utc, utc)) return;
    // A fix that is no position ends the segment.
    if (!has_position(fix)) {
      close_segment();
      return;
    }
    // A second fix at the same moment is the same point.
    if (track_open_ && (t == last_point_ms_ || (has_utc && utc <= last_point_utc_))) return;
    if (!track_open_) open_track(tracks_[next_track_]);
    if (segment_open_ && t - last_point_ms_ > segment_gap_ms) close_segment();
    if (!segment_open_) {
      out_.text("    <trkseg>\n");
      segment_open_ = true;
    }
    last_point_ms_ = t;
    last_point_utc_ = utc;
    write_point(fix, has_utc, utc);
    ++result_.items;
  }

  void write_point(const gps_fix& fix, bool has_utc, std::int64_t utc) {
    // The schema's longitudes stop short of 180: the antimeridian is written as -180.
    const double longitude = fix.longitude_deg == 180.0f ? -180.0 : static_cast<double>(fix.longitude_deg);
    out_.line(OUT_FORMAT("      <trkpt lat=\"{}\" lon=\"{}\">"), fixed(static_cast<double>(fix.latitude_deg), 7),
              fixed(longitude, 7));
    if (fix.has_altitude) out_.line(OUT_FORMAT("<ele>{}</ele>"), fixed(fix.altitude_ft * metres_per_foot, 1));
    if (has_utc) out_.line(OUT_FORMAT("<time>{}</time>"), iso8601_utc_ms(utc).view());
    const bool speed = fix.has_ground_speed && fix.ground_speed_kt >= 0.0;
    const bool course = fix.has_track && fix.track_deg >= 0.0 && fix.track_deg < 360.0;
    if (speed || course) {
      out_.text("<extensions><gpxtpx:TrackPointExtension>");
      if (speed) {
        out_.line(OUT_FORMAT("<gpxtpx:speed>{}</gpxtpx:speed>"),
                  fixed(fix.ground_speed_kt * metres_per_second_per_knot, 2));
      }
      if (course) {
        out_.text("<gpxtpx:course>");
        row_values::write_gps_number(out_, fix.track_deg);
        out_.text("</gpxtpx:course>");
      }
      out_.text("</gpxtpx:TrackPointExtension></extensions>");
    }
    out_.text("</trkpt>\n");
  }

  void open_track(const gpx_track& track) {
    out_.text("  <trk>\n    <name>");
    if (!tail_.empty()) {
      write_escaped_utf8(out_, tail_);
      out_.text(" ");
    }
    if (track.number > 0) {
      out_.text("flight ");
      out_.line(OUT_FORMAT("{}</name>\n"), track.number);
      if (!track.route.empty()) {
        out_.text("    <desc>");
        write_escaped_utf8(out_, track.route);
        out_.text("</desc>\n");
      }
      out_.line(OUT_FORMAT("    <number>{}</number>\n"), track.number);
    } else {
      out_.text("track</name>\n");
    }
    track_open_ = true;
  }

  void close_segment() {
    if (segment_open_) out_.text("    </trkseg>\n");
    segment_open_ = false;
  }

  void close_track() {
    close_segment();
    if (track_open_) out_.text("  </trk>\n");
    track_open_ = false;
  }

  decode_context& ctx_;
  output_writer& out_;
  std::vector<gpx_track> tracks_;
  const std::string& tail_;
  export_result& result_;
  std::size_t next_track_ = 0;
  std::uint32_t segment_ = 0;  // of the LOG, where the fixes are now
  bool visiting_ = false;
  bool done_ = false;
  bool track_open_ = false;
  bool segment_open_ = false;
  std::uint32_t last_point_ms_ = 0;
  std::int64_t last_point_utc_ = 0;
};

// The tracks: the window asked for, else one per detected flight, else the whole LOG.
std::vector<gpx_track> tracks_of(const export_plan& plan, const export_request& request) {
  const auto route_of = [&plan](int number) {
    const auto i = static_cast<std::size_t>(number - 1);
    return plan.places_known && number > 0 && i < plan.flights.size() ? route_text(plan.flights[i]) : std::string();
  };
  if (plan.window_asked) {
    const int number = request.window.flight.value_or(0);
    return {{plan.window.bounds, number, route_of(number)}};
  }
  if (plan.flights.empty()) return {{row_window{}, 0, {}}};
  std::vector<gpx_track> tracks;
  int number = 0;
  for (const flight_record& f : plan.flights) {
    row_window bounds;
    bounds.from_order = f.start_order();
    bounds.to_order = f.end_order() + 1;  // its last sample included
    ++number;
    tracks.push_back({bounds, number, route_of(number)});
  }
  return tracks;
}

// The waypoint of a place of the flights.
void write_waypoint(output_writer& out, const export_place& place) {
  const geo_point p = place.point();
  if (!(std::abs(p.latitude_deg) <= 90.0 && p.longitude_deg >= -180.0 && p.longitude_deg < 180.0)) return;
  out.line(OUT_FORMAT("  <wpt lat=\"{}\" lon=\"{}\">"), fixed(p.latitude_deg, 7), fixed(p.longitude_deg, 7));
  const runway_contact& c = place.contact();
  if (c.airport && c.airport->has_elevation) {
    out.line(OUT_FORMAT("<ele>{}</ele>"), fixed(c.airport->elevation_ft * metres_per_foot, 1));
  }
  if (c.event.when.has_utc) out.line(OUT_FORMAT("<time>{}</time>"), iso8601_utc_ms(c.event.when.utc_ms).view());
  out.text("<name>");
  write_escaped_utf8(out, place.name());
  out.text("</name><desc>");
  write_escaped_utf8(out, place.description());
  out.text("</desc><type>");
  out.text(place.departure == nullptr ? "arrival" : place.arrival == nullptr ? "departure" : "departure and arrival");
  out.text("</type></wpt>\n");
}

// The order to read the segments in when it is not the LOG's: by UTC, those without it after the
// one they follow. Empty when the LOG's order is that order.
std::vector<std::size_t> segments_by_utc(const std::vector<log_segment>& segments) {
  std::vector<std::size_t> order(segments.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::vector<std::int64_t> key(segments.size());
  std::int64_t last = INT64_MIN;
  for (std::size_t i = 0; i < segments.size(); ++i) {
    key[i] = segments[i].first.has_utc ? segments[i].first.utc_ms : last;
    last = key[i];
  }
  std::stable_sort(order.begin(), order.end(), [&key](std::size_t a, std::size_t b) { return key[a] < key[b]; });
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (order[i] != i) return order;
  }
  return {};
}

}  // namespace

void write_gpx(export_pass& pass) {
  output_writer& out = pass.out;
  const export_request& request = pass.request;
  out.text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
  out.text(
      "<gpx version=\"1.1\" creator=\"OrvexDecode\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n");
  out.text("  <metadata><name>");
  write_escaped_utf8(out, request.tail.empty() ? std::string_view("EFIS LOG") : std::string_view(request.tail));
  out.text("</name></metadata>\n");
  decode_context& ctx = pass.ctx;
  const export_plan& plan = pass.plan;
  for (const export_place& place : export_places(plan)) write_waypoint(out, place);
  gpx_steps steps(ctx, tracks_of(plan, request), request.tail, pass.result);
  const std::vector<std::size_t> order = segments_by_utc(plan.segments);
  if (order.empty()) {
    run_record_loop(ctx, steps);
  } else {
    for (const std::size_t i : order) {
      const log_segment& segment = plan.segments[i];
      const auto index = static_cast<std::uint32_t>(i);
      if (!resume_pass_at(ctx, segment.first_offset, index, segment.cause)) break;
      steps.visit(index);
      run_record_loop(ctx, steps);
    }
  }
  steps.finish();
  out.text("</gpx>\n");
}
