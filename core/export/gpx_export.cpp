// GPX 1.1 for logbooks and maps: one track per detected flight (one for the whole LOG when it
// holds no flight, or for the window asked for), one point per accepted GPS 1 fix, a new segment
// after a gap in the fixes or a fix the receiver marks invalid.
//
//   <trk><name>Flight 1</name><number>1</number><trkseg>
//     <trkpt lat="47.3908348" lon="-122.2056656"><ele>376.1</ele><time>2026-03-11T22:22:46Z</time>
//       <extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>51.44</gpxtpx:speed>
//       <gpxtpx:course>123</gpxtpx:course></gpxtpx:TrackPointExtension></extensions></trkpt>
//
// ele is the aviation sentence's altitude item in metres, time the fix's UTC where the LOG has
// GPS time; ground speed (m/s) and course (degrees true) only in the track-point extension.
#include "decode/record_loop.h"
#include "decoders/gps/position_rules.h"
#include "export/export_columns.h"
#include "export/export_run.h"
#include "text/utc_text.h"
#include "text/utf8_text.h"

namespace {

constexpr std::uint32_t segment_gap_ms = 5000;  // fixes further apart start a new segment
constexpr double metres_per_foot = 0.3048;
constexpr double metres_per_second_per_knot = 1852.0 / 3600.0;

// One track: a flight's window, or the window asked for.
struct gpx_track {
  std::uint32_t from_ms;  // LOG time, start included
  std::uint32_t to_ms;    // end excluded
  int number;             // the flight's number; 0 for a track that is no detected flight
};

class gpx_steps {
 public:
  gpx_steps(decode_context& ctx, const export_plan& plan, std::vector<gpx_track> tracks, const std::string& tail,
            export_result& result)
      : ctx_(ctx), out_(ctx.out), tracks_(std::move(tracks)), tail_(tail), result_(result) {
    if (plan.sampling.clock_source != utc_source::none) {
      ctx.follow.clock.start_from(plan.sampling.clock_source, plan.sampling.clock_first);
    }
  }

  void after_dispatch(const efis_record& record, const record_effect& effect) {
    if (effect.new_fix_port == 0) take_fix(ctx_.summary.gps_1.fix, record.timestamp);
  }

  void finish() { close_track(); }

 private:
  void take_fix(const gps_fix& fix, std::uint32_t t) {
    while (next_track_ < tracks_.size() && t >= tracks_[next_track_].to_ms) {
      close_track();
      ++next_track_;
    }
    if (next_track_ == tracks_.size() || t < tracks_[next_track_].from_ms) return;
    // An invalid fix ends the segment; a position the schema cannot hold is left out.
    if (!fits_gpx(fix)) {
      close_segment();
      return;
    }
    if (!track_open_) open_track(tracks_[next_track_]);
    if (segment_open_ && t - last_point_ms_ > segment_gap_ms) close_segment();
    if (!segment_open_) {
      out_.text("    <trkseg>\n");
      segment_open_ = true;
    }
    last_point_ms_ = t;
    write_point(fix, t);
    ++result_.items;
  }

  void write_point(const gps_fix& fix, std::uint32_t t) {
    out_.line(OUT_FORMAT("      <trkpt lat=\"{}\" lon=\"{}\">"), fixed(static_cast<double>(fix.latitude_deg), 7),
              fixed(static_cast<double>(fix.longitude_deg), 7));
    if (fix.has_altitude) out_.line(OUT_FORMAT("<ele>{}</ele>"), fixed(fix.altitude_ft * metres_per_foot, 1));
    const utc_clock& clock = ctx_.follow.clock;
    if (clock.known()) out_.line(OUT_FORMAT("<time>{}</time>"), iso8601_utc_ms(clock.utc_ms_at(t)).view());
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
      out_.line(OUT_FORMAT("flight {}</name>\n    <number>{}</number>\n"), track.number, track.number);
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
  bool track_open_ = false;
  bool segment_open_ = false;
  std::uint32_t last_point_ms_ = 0;
};

// The tracks: the window asked for, else one per detected flight, else the whole LOG.
std::vector<gpx_track> tracks_of(const export_plan& plan, const export_request& request) {
  if (plan.window_asked) {
    return {{plan.window.from_ms, plan.window.to_ms, request.window.flight.value_or(0)}};
  }
  if (plan.flights.empty()) return {{0, UINT32_MAX, 0}};
  std::vector<gpx_track> tracks;
  int number = 0;
  for (const flight_record& f : plan.flights) {
    const std::uint32_t end = f.end_ms == UINT32_MAX ? UINT32_MAX : f.end_ms + 1;  // its last sample included
    tracks.push_back({f.start_ms, end, ++number});
  }
  return tracks;
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
  gpx_steps steps(pass.ctx, pass.plan, tracks_of(pass.plan, request), request.tail, pass.result);
  run_record_loop(pass.ctx, steps);
  steps.finish();
  out.text("</gpx>\n");
}
