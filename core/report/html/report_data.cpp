#include "report/html/report_data.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "decode/record_loop.h"
#include "decode/samples.h"
#include "sampling/sampled_rows.h"
#include "sampling/segment_clocks.h"

namespace {

constexpr std::size_t track_instants = 6000;

double nan_unless(bool valid, double value) { return valid ? value : std::nan(""); }

// Where the records of the current segment lie on the axis: the piece of the axis it has.
class axis_place {
 public:
  explicit axis_place(const report_axis& axis) : axis_(axis) {}

  void begin_segment(std::uint32_t segment) {
    piece_ = nullptr;
    for (const axis_piece& p : axis_.pieces) {
      if (p.segment == segment) piece_ = &p;
    }
  }
  // The position of a LOG time of the segment; nothing outside its piece.
  std::optional<std::uint32_t> of(std::uint32_t t) const {
    if (piece_ == nullptr || t < piece_->from_ms || t >= piece_->to_ms) return std::nullopt;
    return piece_->axis_ms + (t - piece_->from_ms);
  }

 private:
  const report_axis& axis_;
  const axis_piece* piece_ = nullptr;
};

// Folds every record of the stretch into the series, beside the rows that sample the track.
class series_folder {
 public:
  series_folder(decode_context& ctx, report_data& data, const aircraft_profile& profile)
      : ctx_(ctx), data_(data), place_(data.axis) {
    if (const auto input = aux_input_of(profile, aux_quantity::manifold_pressure_inhg)) {
      map_input_ = static_cast<int>(*input);
      map_scale_ = profile.aux[*input].scale;
    }
  }

  void before_dispatch(const efis_record&) {
    if (!ctx_.follow.segments.began()) return;
    place_.begin_segment(ctx_.follow.segments.index());
    for (chart_series& s : data_.series) s.break_run();
  }

  void after_dispatch(const efis_record& record, const record_effect& effect) {
    const std::optional<std::uint32_t> at = place_.of(record.timestamp);
    const bool inside = at.has_value();
    const std::uint32_t t = inside ? *at : 0;
    if (inside) bucket_ = bucket_of(t);
    if (effect.slot == cache_slot::ahrs_high_rate) ahrs_.note(record.timestamp);
    switch (effect.slot) {
      case cache_slot::eis:
        if (inside) take_eis(t);
        break;
      case cache_slot::ahrs_high_rate:
        if (inside) take_air_data(t);
        break;
      case cache_slot::analog:
        if (inside) take_analog(t);
        break;
      default: break;
    }
    if (effect.new_fix_port >= 0 && inside) take_fix(effect.new_fix_port, t);
  }

  const last_heard& ahrs() const { return ahrs_; }

 private:
  // The bucket of an axis position. Records come in time order, dozens to a bucket: the last
  // bucket found is kept with its stretch, so a division is made only when a record leaves it.
  std::size_t bucket_of(std::uint32_t t) {
    if (t - last_bucket_from_ < last_bucket_width_) return last_bucket_;  // t before from wraps round
    const time_buckets& b = data_.buckets;
    const std::size_t i = b.index_of(t);
    if (i < b.count) {
      last_bucket_ = i;
      last_bucket_from_ = static_cast<std::uint32_t>(b.origin_ms + std::uint64_t{b.width_ms} * i);
      last_bucket_width_ = b.width_ms;
    }
    return i;
  }

  // Every series has the report's buckets: the record's bucket is found once for all of them.
  void put(series_id id, std::uint32_t t, double v) { data_.series[static_cast<std::size_t>(id)].take_in(bucket_, t, v); }

  // The same sample of the EIS record as the flight figures take.
  void take_eis(std::uint32_t t) {
    const engine_sample s = engine_sample_of(ctx_.summary.eis, ctx_.follow.units);
    put(series_id::rpm, t, s.rpm);
    for (std::size_t i = 0; i < cylinder_count; ++i) {
      put(cht_series(i), t, s.cht[i]);
      put(egt_series(i), t, s.egt[i]);
    }
    put(series_id::oil_temperature, t, s.oil_temperature);
    put(series_id::oil_pressure, t, s.oil_pressure_psi);
    put(series_id::bus_voltage, t, s.bus_voltage);
    put(series_id::fuel_flow, t, s.fuel_flow);
    if (map_input_ >= 0) put(series_id::manifold_pressure, t, aux_inputs_of(ctx_.summary.eis).value[map_input_] * map_scale_);
  }

  void take_air_data(std::uint32_t t) {
    const air_data_sample s = air_data_sample_of(ctx_.summary.ahrs_hr);
    put(series_id::pressure_altitude, t, s.pressure_altitude_ft);
    put(series_id::ias, t, s.ias_kt);
    put(series_id::pitch, t, s.pitch_deg);
    put(series_id::roll, t, s.bank_deg);
  }

  void take_analog(std::uint32_t t) {
    const analog_values& v = ctx_.summary.analog.values();
    put(series_id::localiser, t, nan_unless(v.localiser_flag == analog_flag::valid, v.localiser_deviation));
    put(series_id::glideslope, t, nan_unless(v.glide_flag == analog_flag::valid, v.glide_deviation));
  }

  // The ground speed and GPS altitude come from the fixes of the port the position comes from.
  void take_fix(int port, std::uint32_t t) {
    if (!ctx_.follow.position.moved()) return;
    const gps_fix& fix = (port == 0 ? ctx_.summary.gps_1 : ctx_.summary.gps_2).fix;
    if (fix.has_ground_speed) put(series_id::ground_speed, t, fix.ground_speed_kt);
    if (fix.has_altitude) put(series_id::gps_altitude, t, fix.altitude_ft);
  }

  decode_context& ctx_;
  report_data& data_;
  axis_place place_;
  last_heard ahrs_;  // the latest AHRS high-rate record
  std::size_t bucket_ = 0;  // of the record being folded
  std::size_t last_bucket_ = 0;  // the bucket found last, from its first position over its width
  std::uint32_t last_bucket_from_ = 0;
  std::uint32_t last_bucket_width_ = 0;  // 0 until one is found
  int map_input_ = -1;  // the aux input carrying the manifold pressure, and its scale
  double map_scale_ = 1.0;
};

// Takes a track point at each sampled instant where the position source has a fix not yet on
// the track, with the altitude as it stands then.
struct track_sampler {
  decode_context& ctx;
  const series_folder& folder;
  report_data& data;
  std::uint32_t gap_ms;
  bool has_last = false;
  std::uint32_t last_fix_ms = 0;
  std::uint32_t last_segment = 0;

  void operator()(const sampled_row& row) { take_at(row.log_ms); }

  void take_at(std::uint32_t t) {
    const position_source& where = ctx.follow.position;
    const int port = where.port_at(t);
    if (port < 0) return;
    const timed_position& fix = where.latest(port);
    const std::uint32_t segment = ctx.follow.segments.index();
    if (has_last && fix.log_ms == last_fix_ms && segment == last_segment) return;
    const std::optional<std::uint32_t> at = data.axis.position_of(segment, fix.log_ms);
    if (!at) return;
    track_point p{};
    p.log_ms = fix.log_ms;
    p.segment = segment;
    p.axis_ms = *at;
    p.latitude_deg = fix.latitude_deg;
    p.longitude_deg = fix.longitude_deg;
    const gps_fix& gps = (port == 0 ? ctx.summary.gps_1 : ctx.summary.gps_2).fix;
    const double pressure_altitude_ft =
        folder.ahrs().fresh_at(t) ? air_data_sample_of(ctx.summary.ahrs_hr).pressure_altitude_ft : std::nan("");
    if (!std::isnan(pressure_altitude_ft)) {
      p.has_altitude = true;
      p.altitude_ft = pressure_altitude_ft;
    } else if (gps.has_altitude) {
      p.has_altitude = true;
      p.altitude_ft = gps.altitude_ft;
    }
    p.starts_run =
        !has_last || segment != last_segment || fix.log_ms < last_fix_ms || fix.log_ms - last_fix_ms > gap_ms;
    has_last = true;
    last_fix_ms = fix.log_ms;
    last_segment = segment;
    data.track.push_back(p);
  }
};

struct report_steps {
  row_sampler<track_sampler&>& rows;
  series_folder& folder;
  const decode_context& ctx;
  const gathering_stop& stop;

  void before_dispatch(const efis_record& record) {
    rows.before_dispatch(record);
    folder.before_dispatch(record);
  }
  void after_dispatch(const efis_record& record, const record_effect& effect) { folder.after_dispatch(record, effect); }
  bool finished() const {
    return (stop.at_second_segment && ctx.follow.segments.index() != 0) ||
           (stop.cancelled != nullptr && stop.cancelled->load(std::memory_order_relaxed));
  }
};

}  // namespace

report_data gather_report_data(decode_context& ctx, const library_options& options, const analog_input_const& constants,
                               const log_summary& summary, const report_gathering& request, FILE* input,
                               const gathering_stop& stop) {
  report_data data;
  data.axis = lay_report_axis(summary, request.bounds);
  const std::uint32_t span = data.axis.span_ms;
  data.buckets = buckets_over(0, span, request.buckets, request.min_bucket_ms);
  for (chart_series& s : data.series) s = chart_series(data.buckets, request.gap_ms);
  data.track_every_ms = request.track_every_ms;
  if (data.track_every_ms == 0)
    data.track_every_ms = buckets_over(0, span, track_instants, request.min_bucket_ms).width_ms;

  begin_pass(ctx, &constants, &options, input, nullptr);
  series_folder folder(ctx, data, summary.profile);
  track_sampler track{ctx, folder, data, request.gap_ms};
  segment_clock_hints hints;
  for (const log_segment& s : summary.segments) hints.segments.push_back(s.start);
  if (!hints.segments.empty()) hints.first = hints.segments.front();
  sampling_options sampling;
  sampling.every_ms = data.track_every_ms;
  sampling.window = request.bounds;
  sampling.hints = &hints;
  row_sampler<track_sampler&> rows(ctx, sampling, track);
  report_steps steps{rows, folder, ctx, stop};
  run_record_loop(ctx, steps);
  // The rows end with the LOG's last full period: the fixes after it join the track here.
  if (summary.time.has_records && ctx.follow.segments.any()) track.take_at(ctx.follow.segments.last_ms());
  // The track in the axis's order, each segment a run of its own.
  std::stable_sort(data.track.begin(), data.track.end(),
                   [](const track_point& a, const track_point& b) { return a.axis_ms < b.axis_ms; });
  return data;
}
