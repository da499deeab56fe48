#include "export/export_run.h"

#include <algorithm>
#include <memory>
#include <new>

#include "analysis/flight_local_times.h"
#include "analysis/flight_places.h"
#include "analysis/flight_timeline.h"
#include "analysis/joined_flights.h"

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
  o.gps_on_thread = request.gps_on_thread;
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
  analysis_options windows = analysis_of(request);
  windows.windows_only = true;  // the exports draw on the flights' windows and places, no figure
  log_summary summary = time_line ? analyse_log(ctx, windows, input) : summary_of_scan(ctx, request, input);
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

namespace {

// A LOG's content, to know a LOG given twice: its length and a 64-bit FNV-1a hash of its bytes
// from the input's position. The input goes back to that position; read_failed when it can't.
struct log_content_key {
  std::uint64_t bytes = 0;
  std::uint64_t hash = 14695981039346656037ull;
  bool read_failed = false;
  bool operator==(const log_content_key& o) const { return bytes == o.bytes && hash == o.hash; }
};

log_content_key content_key_of(FILE* input) {
  log_content_key key;
  const long start = std::ftell(input);
  unsigned char block[8192];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, input)) > 0;) {
    key.bytes += n;
    for (std::size_t i = 0; i < n; ++i) key.hash = (key.hash ^ block[i]) * 1099511628211ull;
  }
  key.read_failed = std::ferror(input) != 0 || start < 0 || std::fseek(input, start, SEEK_SET) != 0;
  return key;
}

// What the rows need of a LOG once its flights are placed.
struct read_log {
  std::string_view name;
  log_summary summary;  // the flights moved to flights below, the rest kept for the joins
  std::vector<flight_record> flights;
};

// A flight in the document's order: UTC of its takeoff, then the order the LOGs were given.
struct flight_at {
  std::size_t log;
  std::size_t flight;
  bool has_utc;
  std::int64_t takeoff_utc_ms;
};

bool takes_off_before(const flight_at& a, const flight_at& b) {
  if (a.has_utc != b.has_utc) return a.has_utc;
  if (a.has_utc && a.takeoff_utc_ms != b.takeoff_utc_ms) return a.takeoff_utc_ms < b.takeoff_utc_ms;
  return a.log != b.log ? a.log < b.log : a.flight < b.flight;
}

}  // namespace

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
  const time_zone* zone = request.local_time_zone ? &*request.local_time_zone : nullptr;
  std::vector<read_log> read;
  std::vector<std::pair<log_content_key, std::string_view>> seen;
  for (const export_input& log : logs) {
    const std::unique_ptr<FILE, int (*)(FILE*)> opened(
        log.input == nullptr && log.path != nullptr ? std::fopen(log.path, "rb") : nullptr, std::fclose);
    FILE* const input = log.input != nullptr ? log.input : opened.get();
    if (input == nullptr) {
      result.error = std::string(log.log_name) + ": the LOG can't be opened";
      return result;
    }
    const log_content_key key = content_key_of(input);
    if (key.read_failed) {
      result.error = std::string(log.log_name) + ": the LOG can't be read";
      return result;
    }
    const auto same = std::find_if(seen.begin(), seen.end(), [&key](const auto& s) { return s.first == key; });
    if (same != seen.end()) {
      const std::string earlier = same->second == log.log_name ? "given before" : "the same LOG as " + std::string(same->second);
      result.warnings.push_back(std::string(log.log_name) + ": " + earlier + "; its flights are written once");
      continue;
    }
    seen.emplace_back(key, log.log_name);
    read_log& r = read.emplace_back(read_log{log.log_name, analyse_log(ctx, options, input), {}});
    if (std::ferror(input)) {
      result.error = std::string(log.log_name) + ": the LOG can't be read";
      return result;
    }
    if (const std::string e = place_flights(r.summary, request.airports, request.lookup_options, zone); !e.empty()) {
      result.error = "Airports can't be read: " + e;
      return result;
    }
    r.flights = std::move(r.summary.flights);
  }

  std::vector<flight_at> order;
  for (std::size_t l = 0; l < read.size(); ++l) {
    for (std::size_t f = 0; f < read[l].flights.size(); ++f) {
      const std::optional<log_event>& takeoff = read[l].flights[f].takeoff;
      const bool has_utc = takeoff && takeoff->when.has_utc;
      order.push_back({l, f, has_utc, has_utc ? takeoff->when.utc_ms : 0});
    }
  }
  std::sort(order.begin(), order.end(), takes_off_before);

  rows.begin(*out, request);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const read_log& log = read[order[i].log];
    const flight_record* flight = &log.flights[order[i].flight];
    const int number = static_cast<int>(order[i].flight) + 1;
    // A flight whose EFIS restarted into the next LOG goes on there: one row.
    flight_record joined;
    for (; i + 1 < order.size(); ++i) {
      const read_log& next = read[order[i + 1].log];
      const read_log& last = read[order[i].log];
      if (order[i + 1].flight != 0 || order[i].flight + 1 != last.flights.size()) break;
      const std::optional<double> break_s =
          break_before_continued_flight(last.summary, last.flights[order[i].flight], next.summary, next.flights[0]);
      if (!break_s) break;
      if (flight != &joined) joined = *flight;
      join_flight(joined, next.flights[0], *break_s, options.logbook);
      flight = &joined;
    }
    rows.row(*out, request, {log.name, log.summary, *flight, number});
    ++result.items;
  }
  rows.end(*out, request);
  if (out->flush() != 0) result.write_failed = true;
  return result;
}
