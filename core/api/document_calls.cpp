// OrvexDecode_context_report_html, _summary_json, _summary_text and _export: the documents of the
// newer front ends on a caller's context, the LOG from a stream or from memory, the document to
// a stream or to a growing buffer.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "analysis/aircraft_profile.h"
#include "analysis/airport_lookup.h"
#include "analysis/flight_local_times.h"
#include "analysis/flight_places.h"
#include "analysis/time_zone.h"
#include "api/document_options_of.h"
#include "api/public_call.h"
#include "decode/spare_processor.h"
#include "export/export_run.h"
#include "report/html/flight_report.h"
#include "report/summary/summary_json.h"
#include "report/summary/summary_text.h"

namespace {

void put_text(char (&field)[ORVEX_DOCUMENT_MESSAGE_SIZE], std::string_view text) {
  const std::size_t n = std::min(text.size(), sizeof field - 1);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

// Adds a warning to the result's, each a line ended by '\n' (cut where the field is full).
void add_warning(char (&warnings)[ORVEX_DOCUMENT_MESSAGE_SIZE], std::string_view text) {
  if (text.empty()) return;
  std::string all(warnings);
  all.append(text) += '\n';
  put_text(warnings, all);
}

std::optional<time_point> time_of(const orvex_time_point& t) {
  if (t.given == 0) return std::nullopt;
  return time_point{t.is_utc != 0, t.utc_ms, t.log_ms};
}

window_request window_of(const orvex_document_options& o) {
  window_request w;
  if (o.flight != 0) w.flight = o.flight;
  w.from = time_of(o.from);
  w.to = time_of(o.to);
  return w;
}

std::optional<std::int64_t> utc_start_of(const orvex_document_options& o) {
  if (o.has_utc_start == 0) return std::nullopt;
  return o.utc_start_ms;
}

const char* text_or_empty(const char* text) { return text != nullptr ? text : ""; }

// The aircraft profile of the options: the default one, the profile text over it, then each
// setting; false (the error in message) when one of them is refused.
bool profile_of(const orvex_document_options& o, aircraft_profile& profile, orvex_document_result& result) {
  if (o.profile_text != nullptr) {
    const profile_parse_result parsed = read_aircraft_profile(std::string_view(o.profile_text, o.profile_size), profile);
    if (!parsed.ok()) {
      put_text(result.message, "profile line " + std::to_string(parsed.error_line) + ": " + parsed.error);
      return false;
    }
  }
  for (std::size_t i = 0; i < o.profile_setting_count && o.profile_settings != nullptr; ++i) {
    const char* const setting = text_or_empty(o.profile_settings[i]);
    const profile_parse_result parsed = read_aircraft_profile(setting, profile);
    if (!parsed.ok()) {
      put_text(result.message, "profile setting: " + parsed.error + ": " + setting);
      return false;
    }
  }
  return true;
}

// The analysis the options ask for; false (the error in message) when the limits or the profile
// are not read.
bool analysis_of(const orvex_document_options& o, analysis_options& a, orvex_document_result& result) {
  a = default_analysis_options();
  a.decode = o.decode;
  a.constants = o.constants;
  a.detection = {o.engine_rpm, o.engine_stop_s, o.takeoff_kt, o.takeoff_s, o.landing_kt, o.landing_s};
  a.gap_s = o.gap_s;
  a.utc_start_ms = utc_start_of(o);
  a.logbook.cross_country_nm = o.cross_country_nm;
  if (!profile_of(o, a.profile, result)) return false;
  std::vector<aircraft_limit> file_limits;
  if (o.limits_text != nullptr) {
    limits_parse_result parsed = parse_limits(std::string_view(o.limits_text, o.limits_size));
    if (!parsed.ok()) {
      put_text(result.message, "limits line " + std::to_string(parsed.error_line) + ": " + parsed.error);
      return false;
    }
    file_limits = std::move(parsed.limits);
  }
  a.limits = limits_to_check(a.profile, std::move(file_limits));
  return true;
}

// The zone of the options' local times, or none; false (the error in message) for a zone that
// can't be read.
bool zone_of(const orvex_document_options& o, std::optional<time_zone>& zone, orvex_document_result& result) {
  if (o.time_zone == nullptr) return true;
  time_zone_load load = load_time_zone(o.time_zone);
  if (!load.zone) {
    put_text(result.message, "time zone: " + load.error);
    return false;
  }
  zone = std::move(load.zone);
  return true;
}

// What a report or a summary needs beyond the analysis: the airports and the local times' zone.
struct places_request {
  airport_lookup lookup;
  airport_options options;
  std::optional<time_zone> zone;
};

// Opens the options' airports: ORVEX_DOCUMENT_WRITTEN, or the status of the failure (its error
// in message). The default table missing is a warning, and the lookups are off.
int airports_of(const orvex_document_options& o, airport_lookup& lookup, airport_options& options,
                orvex_document_result& result) {
  options.capture_radius_m = o.airport_radius_m;
  options.other_bases = o.heliports != 0;
  airport_lookup::opened opened = airport_lookup::open(o.airports != nullptr ? o.airports : "");
  if (!opened.error.empty()) {
    if (o.airports != nullptr) {
      put_text(result.message, opened.error);
      return ORVEX_DOCUMENT_AIRPORTS_FAILED;
    }
    add_warning(result.warnings, "airports are not looked up: " + opened.error);
  }
  lookup = std::move(opened.lookup);
  return ORVEX_DOCUMENT_WRITTEN;
}

// Opens the options' airports and zone, as airports_of tells.
int places_of(const orvex_document_options& o, places_request& places, orvex_document_result& result) {
  if (!zone_of(o, places.zone, result)) return ORVEX_DOCUMENT_REFUSED;
  return airports_of(o, places.lookup, places.options, result);
}

// The call's streams: the caller's, or streams over its memory made for the call.
class call_streams {
 public:
  call_streams(const orvex_log_input& in, orvex_document_output& out) : out_(out) {
    input = in.stream;
    if (input == nullptr) input = fmemopen(const_cast<void*>(in.data), in.size, "rb");
    if (in.stream == nullptr) own_input_ = input;
    output = out.stream;
    if (output == nullptr) output = own_output_ = open_memstream(&buffer_, &buffer_size_);
  }
  ~call_streams() {
    if (own_input_ != nullptr) std::fclose(own_input_);
    if (own_output_ != nullptr) std::fclose(own_output_);
    std::free(buffer_);
  }
  call_streams(const call_streams&) = delete;
  call_streams& operator=(const call_streams&) = delete;

  bool ready() const { return input != nullptr && output != nullptr; }

  // Appends what was written to a buffer to the caller's; false when that failed.
  bool deliver() {
    if (own_output_ == nullptr) return true;
    const bool written = std::fflush(own_output_) == 0 && !std::ferror(own_output_);
    if (!written) return false;
    char* grown = static_cast<char*>(std::realloc(out_.data, out_.size + buffer_size_ + 1));
    if (grown == nullptr) return false;
    std::memcpy(grown + out_.size, buffer_, buffer_size_);
    out_.data = grown;
    out_.size += buffer_size_;
    out_.data[out_.size] = '\0';
    return true;
  }

  FILE* input = nullptr;
  FILE* output = nullptr;

 private:
  orvex_document_output& out_;
  FILE* own_input_ = nullptr;
  FILE* own_output_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t buffer_size_ = 0;
};

// The door of every document call (public_call.h says what it checks), then write(ctx, options,
// streams, result) giving an ORVEX_DOCUMENT_* status.
template <typename Write>
int run_document_call(decode_context* context, const orvex_document_options* options, const orvex_log_input* input,
                      orvex_document_output* output, orvex_document_result* result, Write write) {
  orvex_document_result own_result;
  orvex_document_result& r = result != nullptr ? *result : own_result;
  r = orvex_document_result{};
  const orvex_document_options defaults = OrvexDecode_default_document_options();
  const orvex_document_options& o = options != nullptr ? *options : defaults;
  if (context == nullptr || input == nullptr || output == nullptr || (input->stream == nullptr && input->data == nullptr && input->size != 0) ||
      o.version < 1) {
    errno = EINVAL;
    return r.status = -1;
  }
  const context_claim claim(context);
  if (claim.refusal() != 0) {
    errno = claim.refusal();
    return r.status = -1;
  }
  note_path_point_limit(*context, false);
  call_streams streams(*input, *output);
  if (!streams.ready()) {
    errno = ENOMEM;
    return r.status = -1;
  }
  r.status = write(*context, o, streams, r);
  if (!streams.deliver() && r.status == ORVEX_DOCUMENT_WRITTEN) r.status = ORVEX_DOCUMENT_WRITE_FAILED;
  return r.status;
}

int write_report(decode_context& ctx, const orvex_document_options& o, call_streams& s, orvex_document_result& r) {
  flight_report_request request;
  if (!analysis_of(o, request.analysis, r)) return ORVEX_DOCUMENT_REFUSED;
  places_request places;
  if (const int status = places_of(o, places, r); status != ORVEX_DOCUMENT_WRITTEN) return status;
  request.airports = &places.lookup;
  request.lookup_options = places.options;
  if (places.zone) request.zone = &*places.zone;
  request.window = window_of(o);
  request.window_label = text_or_empty(o.window_label);
  request.every_ms = o.every_ms;
  request.log_name = text_or_empty(o.log_name);
  // The time line is the report's longest path: its phases and warnings go beside it where a
  // processor is spare (the gathering beside the time line takes no spare one).
  const spare_processor processor;
  request.analysis.phases_on_thread = processor.spare();
  const flight_report_result report = write_flight_report(ctx, request, s.input, s.output);
  r.read_errno = report.read_errno;
  add_warning(r.warnings, report.warning);
  switch (report.status) {
    case flight_report_status::written: return ORVEX_DOCUMENT_WRITTEN;
    case flight_report_status::read_failed: return ORVEX_DOCUMENT_READ_FAILED;
    case flight_report_status::not_a_log: put_text(r.message, report.not_a_log_reason); return ORVEX_DOCUMENT_NOT_A_LOG;
    case flight_report_status::window_refused: put_text(r.message, report.error); return ORVEX_DOCUMENT_REFUSED;
    case flight_report_status::rewind_failed: return ORVEX_DOCUMENT_REWIND_FAILED;
    case flight_report_status::airports_failed: put_text(r.message, report.error); return ORVEX_DOCUMENT_AIRPORTS_FAILED;
    case flight_report_status::write_failed: break;
  }
  return ORVEX_DOCUMENT_WRITE_FAILED;
}

template <bool json>
int write_summary(decode_context& ctx, const orvex_document_options& o, call_streams& s, orvex_document_result& r) {
  analysis_options analysis;
  if (!analysis_of(o, analysis, r)) return ORVEX_DOCUMENT_REFUSED;
  const spare_processor processor;
  analysis.phases_on_thread = analysis.gps_on_thread = processor.spare();
  analysis.read_on_this_thread = !processor.spare();
  places_request places;
  if (const int status = places_of(o, places, r); status != ORVEX_DOCUMENT_WRITTEN) return status;
  errno = 0;
  log_summary summary = analyse_log(ctx, analysis, s.input);
  r.read_errno = errno;
  if (summary.health.reader.input_error || std::ferror(s.input)) return ORVEX_DOCUMENT_READ_FAILED;
  if (const char* reason = not_a_log_reason(summary.health)) {
    put_text(r.message, reason);
    return ORVEX_DOCUMENT_NOT_A_LOG;
  }
  const time_zone* zone = places.zone ? &*places.zone : nullptr;
  if (const std::string e = place_flights(summary, &places.lookup, places.options, zone); !e.empty()) {
    put_text(r.message, e);
    return ORVEX_DOCUMENT_AIRPORTS_FAILED;
  }
  ctx.out.attach(s.output);
  const int last = json ? write_summary_json(ctx.out, text_or_empty(o.log_name), summary, analysis)
                        : write_summary_text(ctx.out, text_or_empty(o.log_name), summary);
  const int flushed = ctx.out.flush();
  ctx.out.attach(nullptr);
  return last < 0 || flushed < 0 ? ORVEX_DOCUMENT_WRITE_FAILED : ORVEX_DOCUMENT_WRITTEN;
}

}  // namespace

orvex_document_options document_options_of(const analysis_options& a) {
  orvex_document_options o{};
  o.version = ORVEX_DOCUMENT_OPTIONS_VERSION;
  o.decode = a.decode;
  o.constants = a.constants;
  o.engine_rpm = a.detection.engine_rpm;
  o.engine_stop_s = a.detection.engine_stop_s;
  o.takeoff_kt = a.detection.takeoff_kt;
  o.takeoff_s = a.detection.takeoff_s;
  o.landing_kt = a.detection.landing_kt;
  o.landing_s = a.detection.landing_s;
  o.gap_s = a.gap_s;
  o.has_utc_start = a.utc_start_ms ? 1 : 0;
  o.utc_start_ms = a.utc_start_ms.value_or(0);
  o.airport_radius_m = airport_options{}.capture_radius_m;
  o.cross_country_nm = a.logbook.cross_country_nm;
  return o;
}

orvex_document_options OrvexDecode_default_document_options(void) {
  return document_options_of(default_analysis_options());
}

int OrvexDecode_context_report_html(decode_context* context, const orvex_document_options* options,
                                    const orvex_log_input* input, orvex_document_output* output,
                                    orvex_document_result* result) {
  return run_document_call(context, options, input, output, result, write_report);
}

int OrvexDecode_context_summary_json(decode_context* context, const orvex_document_options* options,
                                     const orvex_log_input* input, orvex_document_output* output,
                                     orvex_document_result* result) {
  return run_document_call(context, options, input, output, result, write_summary<true>);
}

int OrvexDecode_context_summary_text(decode_context* context, const orvex_document_options* options,
                                     const orvex_log_input* input, orvex_document_output* output,
                                     orvex_document_result* result) {
  return run_document_call(context, options, input, output, result, write_summary<false>);
}

int OrvexDecode_context_export(decode_context* context, const char* format, const orvex_document_options* options,
                               const orvex_log_input* input, orvex_document_output* output,
                               orvex_document_result* result) {
  const export_format* const f = format != nullptr ? find_export_format(format) : nullptr;
  return run_document_call(
      context, options, input, output, result,
      [f](decode_context& ctx, const orvex_document_options& o, call_streams& s, orvex_document_result& r) {
        if (f == nullptr || !f->is_per_log()) return int{ORVEX_DOCUMENT_NO_FORMAT};
        export_request request = default_export_request();
        request.decode = o.decode;
        request.constants = o.constants;
        request.window = window_of(o);
        if (o.every_ms != 0) request.every_ms = o.every_ms;
        request.utc_start_ms = utc_start_of(o);
        aircraft_profile profile;
        if (!profile_of(o, profile, r)) return int{ORVEX_DOCUMENT_REFUSED};
        request.tail = o.tail != nullptr ? std::string(o.tail) : profile.tail;
        if (const auto aux = aux_input_of(profile, aux_quantity::manifold_pressure_inhg)) {
          request.manifold_pressure = aux_reading{*aux, profile.aux[*aux].scale};
        }
        request.local_time = o.local_time != 0;
        if (!zone_of(o, request.local_time_zone, r)) return int{ORVEX_DOCUMENT_REFUSED};
        // The airports, for a format that names places or a local time without a zone only.
        airport_lookup lookup;
        if (f->per_log.names_places || (request.local_time && !request.local_time_zone)) {
          if (const int status = airports_of(o, lookup, request.lookup_options, r); status != ORVEX_DOCUMENT_WRITTEN) {
            return status;
          }
          if (lookup.enabled()) request.airports = &lookup;
        }
        const spare_processor processor;  // a document per LOG counts as one pass
        request.gps_on_thread = f->per_log.gps_beside && processor.spare();
        errno = 0;
        const export_result e = export_log(*f, ctx, request, s.input, s.output);
        r.read_errno = errno;
        r.items = e.items;
        for (const std::string& w : e.warnings) add_warning(r.warnings, w);
        if (std::ferror(s.input)) return int{ORVEX_DOCUMENT_READ_FAILED};
        if (!e.error.empty()) {
          put_text(r.message, e.error);
          return int{ORVEX_DOCUMENT_REFUSED};
        }
        return int{e.write_failed ? ORVEX_DOCUMENT_WRITE_FAILED : ORVEX_DOCUMENT_WRITTEN};
      });
}

int OrvexDecode_check_document_options(const orvex_document_options* options, orvex_document_result* result) {
  orvex_document_result own_result;
  orvex_document_result& r = result != nullptr ? *result : own_result;
  r = orvex_document_result{};
  if (options == nullptr || options->version < 1) {
    errno = EINVAL;
    return r.status = -1;
  }
  std::optional<time_zone> zone;
  if (!zone_of(*options, zone, r)) return r.status = ORVEX_DOCUMENT_REFUSED;
  analysis_options analysis;
  if (!analysis_of(*options, analysis, r)) return r.status = ORVEX_DOCUMENT_REFUSED;
  places_request places;
  return r.status = places_of(*options, places, r);
}

// The formats of a document per LOG, those OrvexDecode_context_export writes (the logbook takes
// the flights of several LOGs).
const char* OrvexDecode_export_format(int index) {
  if (index < 0) return nullptr;
  for (const export_format& f : export_formats()) {
    if (f.is_per_log() && index-- == 0) return f.name.data();
  }
  return nullptr;
}

void OrvexDecode_free(void* data) { std::free(data); }
