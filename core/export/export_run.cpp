#include "export/export_run.h"

#include <memory>
#include <new>

#include "analysis/flight_local_times.h"
#include "analysis/flight_places.h"
#include "analysis/flight_timeline.h"

namespace {

// The short first pass: the first records, up to the first unit settings of both kinds, the
// number of cylinders and the first segment's clock (all of the LOG when one of them never
// comes). The units and the clock are the context's followers, which the flight time line reads
// too, so the scan finds the same reporting units and first anchor.
struct units_and_clock_scan {
  chain_clock_scan clock;
  bool has_records = false;
  std::uint32_t first_ms = 0;
  std::uint32_t last_ms = 0;

  void before_dispatch(const efis_record& record) {
    if (!has_records) first_ms = record.timestamp;
    has_records = true;
    last_ms = record.timestamp;
    clock.before_dispatch(record);
  }
  void after_dispatch(const efis_record& record, const record_effect& effect) { clock.after_dispatch(record, effect); }
  bool finished() const {
    const engine_units& units = clock.ctx.follow.units.report();
    return clock.done && !units.temperature_assumed && !units.fluid_assumed &&
           clock.ctx.summary.settings.cylinders > 0;
  }
};

analysis_options analysis_of(const export_request& request) {
  analysis_options o = default_analysis_options();
  o.decode = request.decode;
  o.constants = request.constants;
  o.utc_start_ms = request.utc_start_ms;
  return o;
}

// The time line's summary, or as much of one as the short scan gives: the first record, the
// first segment's clock and, when the scan read to the end, the last record.
log_summary summary_of_scan(decode_context& ctx, const export_request& request, FILE* input) {
  begin_pass(ctx, &request.constants, &request.decode, input, nullptr);
  units_and_clock_scan scan{chain_clock_scan{ctx}};
  run_record_loop(ctx, scan);
  const bool read_to_end = !scan.finished();
  scan.clock.end_of_log();
  clock_mapping first = scan.clock.found;
  if (!first.known() && request.utc_start_ms && scan.has_records) {
    first = clock_mapping::through(utc_source::user, {*request.utc_start_ms, scan.first_ms});
  }
  log_summary s;
  s.units = ctx.follow.units.report();
  s.cylinders = ctx.summary.settings.cylinders;
  s.time.has_records = scan.has_records;
  s.time.first.log_ms = scan.first_ms;
  // Stopped early, the scan does not know where the LOG ends.
  s.time.last.log_ms = read_to_end ? scan.last_ms : UINT32_MAX;
  s.time.source = first.source;
  s.time.first_anchor = {first.utc_ms_at(first.from_ms), first.from_ms};
  // Where the first segments have no clock, a later one may have (a restart ended the scan).
  if (s.time.source == utc_source::none && (scan.clock.saw_gps_time || !read_to_end)) s.time.source = utc_source::gps;
  if (scan.has_records) s.segments.emplace_back().start = first;
  return s;
}

std::string no_utc_warning(std::string_view what) {
  return std::string("the LOG has no GPS time (no NMEA fix with a date): ") + std::string(what) +
         " (give --utc-start for the UTC of the first record)";
}

// The zone of each flight's departure airport, for the avionics CSV's local time.
void find_departure_zones(export_plan& plan) {
  bool any = false;
  for (const flight_record& f : plan.flights) {
    const runway_contact* departure = departure_contact(f);
    const time_zone* zone = departure != nullptr && departure->airport ? plan.zones.find(departure->airport->time_zone)
                                                                         : nullptr;
    plan.departure_zones.emplace_back(plan.departure_zones.empty() ? 0 : f.start_order(), zone);
    any = any || zone != nullptr;
  }
  if (!any) plan.departure_zones.clear();
}

}  // namespace

export_request default_export_request() {
  export_request r;
  r.decode = OrvexDecode_default_options();
  r.decode.gps_2_type = ORVEX_GPS_FORMAT_NMEA;
  r.constants = OrvexDecode_default_constants();
  return r;
}

std::string plan_export(decode_context& ctx, const export_request& request, FILE* input, bool need_flights,
                        export_plan& plan) {
  if (request.every_ms == 0) return "the row period must be at least 1 ms";
  const long start = std::ftell(input);
  if (start < 0) return "the LOG can't be read twice (it is not a regular file)";
  const bool time_line = need_flights || request.window.flight.has_value();
  log_summary summary =
      time_line ? analyse_log(ctx, analysis_of(request), input) : summary_of_scan(ctx, request, input);
  if (std::fseek(input, start, SEEK_SET) != 0) return "the LOG can't be rewound for the second pass";
  if (time_line && request.airports != nullptr && request.airports->enabled()) {
    const std::string error = locate_flights(summary, *request.airports, request.lookup_options);
    if (!error.empty()) return "the airports can't be read: " + error;
    plan.places_known = true;
  }

  plan.units = summary.units;
  plan.cylinders = cylinders_taken(summary.cylinders);
  plan.has_utc = summary.time.source != utc_source::none;
  plan.window = resolve_window(request.window, summary);
  plan.window_asked = request.window.flight || request.window.from || request.window.to;
  if (!plan.window.error.empty()) return plan.window.error;
  plan.sampling.every_ms = request.every_ms;
  plan.sampling.window = plan.window.bounds;

  segment_clock_hints& hints = plan.hints;
  for (const log_segment& s : summary.segments) hints.segments.push_back(s.start);
  if (!hints.segments.empty()) hints.first = hints.segments.front();
  hints.input = input;
  hints.start = start;
  hints.decode = request.decode;
  hints.constants = request.constants;
  if (time_line) {
    plan.flights = std::move(summary.flights);  // the window's flight moves with its vector
    plan.segments = std::move(summary.segments);
  }
  if (request.local_time && !request.local_time_zone && plan.places_known) find_departure_zones(plan);
  return "";
}

export_result export_log(const export_format& format, decode_context& ctx, const export_request& request, FILE* input,
                         FILE* output) {
  const log_document& document = format.per_log;
  export_result result;
  export_plan plan;
  const bool window_asked = request.window.flight || request.window.from || request.window.to;
  const bool lookup = request.airports != nullptr && request.airports->enabled();
  const bool need_places = lookup && (document.names_places || (request.local_time && !request.local_time_zone));
  result.error = plan_export(ctx, request, input, (document.by_flight && !window_asked) || need_places, plan);
  if (!result.error.empty()) return result;
  if (!plan.has_utc) result.warnings.push_back(no_utc_warning(document.without_utc));

  begin_pass(ctx, &request.constants, &request.decode, input, output);
  plan.hints.pass = &ctx;
  ctx.follow.hints = &plan.hints;
  plan.sampling.hints = &plan.hints;
  export_pass pass{ctx, ctx.out, request, plan, result};
  document.write(pass);
  if (ctx.out.flush() != 0) result.write_failed = true;
  if (!plan.window.warning.empty()) {
    result.warnings.push_back(plan.window.warning);
  } else if (plan.window_asked && result.items == 0) {
    result.warnings.push_back("the time window holds no record of the LOG");
  }
  return result;
}

export_result export_flights(const export_format& format, decode_context& ctx, const export_request& request,
                             std::span<const export_input> logs, FILE* output) {
  const flight_rows& rows = format.per_flight;
  export_result result;
  // The document's own writer: each LOG's pass uses the context's.
  const std::unique_ptr<output_writer> out(new (std::nothrow) output_writer);
  if (out == nullptr) {
    result.error = "no memory for the document";
    return result;
  }
  out->attach(output);
  const analysis_options options = analysis_of(request);
  rows.begin(*out, request);
  for (const export_input& log : logs) {
    log_summary summary = analyse_log(ctx, options, log.input);
    if (std::ferror(log.input)) {
      result.error = std::string(log.log_name) + ": the LOG can't be read";
      return result;
    }
    if (request.airports != nullptr && request.airports->enabled()) {
      if (const std::string e = locate_flights(summary, *request.airports, request.lookup_options); !e.empty()) {
        result.error = "the airports can't be read: " + e;
        return result;
      }
    }
    give_flights_local_times(summary, request.local_time_zone ? &*request.local_time_zone : nullptr);
    int number = 0;
    for (const flight_record& flight : summary.flights) {
      rows.row(*out, request, {log.log_name, summary, flight, ++number});
      ++result.items;
    }
  }
  rows.end(*out, request);
  if (out->flush() != 0) result.write_failed = true;
  return result;
}
