// The documents beyond the classic entry points, over one LOG: every export of the registry, the
// HTML report, the JSON and text summaries; the limits and aircraft profile the second input
// holds are checked against the flights of each, whose airports (and so local times) come from
// a few airports in tests/fuzz/airports, read as their CSV or as a table made from it.
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/aircraft_profile.h"
#include "analysis/airport_csv.h"
#include "analysis/airport_lookup.h"
#include "analysis/flight_places.h"
#include "analysis/flight_local_times.h"
#include "analysis/limits.h"
#include "analysis/time_zone.h"
#include "export/export_formats.h"
#include "export/export_request.h"
#include "export/export_run.h"
#include "fuzz/document_checks.h"
#include "fuzz/log_checks.h"
#include "fuzz/log_source.h"
#include "report/html/flight_report.h"
#include "report/summary/summary_json.h"
#include "report/summary/summary_text.h"

namespace {

// A report may hold this much beside what grows with the LOG's bytes.
constexpr std::size_t report_allowance_bytes = 1 << 20;

struct fuzz_airports {
  airport_lookup csv;
  airport_lookup table;
};

// The airports as their CSV, and as a table written once and unlinked (the lookup keeps it open).
const fuzz_airports& airports() {
  static const fuzz_airports* const loaded = [] {
    auto* a = new fuzz_airports;
    const std::string csv = std::string(ORVEX_SOURCE_DIR) + "/tests/fuzz/airports/airports.csv";
    a->csv = airport_lookup::open(csv).lookup;
    std::vector<airport_entry> entries;
    csv_read_counts counts;
    if (FILE* in = std::fopen(csv.c_str(), "rb")) {
      read_airports_csv(
          in, [](const geo_point&) { return true; }, [&](airport_entry&& e) { entries.push_back(std::move(e)); },
          counts);
      std::fclose(in);
    }
    const std::string table = "/tmp/orvexdecode-fuzz-airports-" + std::to_string(getpid()) + ".idx";
    if (write_airport_table(std::move(entries), table).empty()) a->table = airport_lookup::open(table).lookup;
    std::remove(table.c_str());
    return a;
  }();
  return *loaded;
}

const airport_lookup& airports_for(std::size_t log_size) {
  return log_size % 2 == 0 ? airports().csv : airports().table;
}

// A zone chosen by name, as --time-zone gives it: odd offsets and daylight saving time.
const time_zone* chosen_zone() {
  static const std::optional<time_zone> zone = load_time_zone("Pacific/Chatham").zone;
  return zone ? &*zone : nullptr;
}

decode_context& document_context() {
  static decode_context* const context = OrvexDecode_context_new();
  return *context;
}

// Runs write(input, output) on the LOG (seekable, read in pieces when chunked) and returns the
// bytes written.
template <typename Write>
std::string written_by(std::span<const std::uint8_t> log, bool chunked, Write write) {
  log_source source{log.data(), log.size()};
  source.chunked = chunked;
  FILE* input = open_log(source);
  char* text = nullptr;
  std::size_t length = 0;
  FILE* output = open_memstream(&text, &length);
  if (input == nullptr || output == nullptr) std::abort();
  write(input, output);
  std::fclose(input);
  std::fclose(output);
  std::string bytes(text, length);
  std::free(text);
  return bytes;
}

std::string check_document(const export_format& format, const std::string& doc) {
  if (format.extension == ".csv") return csv_cell_count_error(doc);
  if (format.extension == ".gpx") return gpx_error(doc);
  if (format.extension == ".kml") return parses_as_xml(doc) ? "" : "the KML is not well-formed";
  if (format.extension == ".json") return json_summary_error(doc);
  return "";
}

std::string check_exports(std::span<const std::uint8_t> log, int gps_format) {
  export_request request = default_export_request();
  request.decode.gps_1_type = gps_format;
  request.local_time = gps_format != ORVEX_GPS_FORMAT_AVIATION;
  if (gps_format == ORVEX_GPS_FORMAT_AVIATION_STX && chosen_zone() != nullptr) request.local_time_zone = *chosen_zone();
  for (const export_format& format : export_formats()) {
    const std::string name(format.name);
    // The logbook in both layouts by turns; the sectioned one is checked from its flights' table.
    const bool sectioned = !format.is_per_log() && log.size() % 2 == 1;
    request.layout = sectioned ? logbook_layout::foreflight : logbook_layout::myflightbook;
    export_result result;
    const std::string doc = written_by(log, gps_format == ORVEX_GPS_FORMAT_AVIATION, [&](FILE* in, FILE* out) {
      if (format.is_per_log()) {
        result = export_log(format, document_context(), request, in, out);
      } else {
        const export_input input{in, "fuzz.LOG"};
        result = export_flights(format, document_context(), request, std::span(&input, 1), out);
      }
    });
    if (result.write_failed) return name + " export: a write failed";
    if (!result.error.empty()) continue;  // the LOG can't give this document (no GPS time for a flight)
    const std::size_t flights_table = sectioned ? doc.find("Flights Table\r\n") : std::string::npos;
    const std::string checked = flights_table == std::string::npos ? doc : doc.substr(flights_table + 15);
    if (std::string e = check_document(format, checked); !e.empty()) return name + " export: " + e;
  }
  return "";
}

std::string check_report(std::span<const std::uint8_t> log, const analysis_options& analysis, bool first_flight) {
  flight_report_request request;
  request.analysis = analysis;
  request.log_name = "fuzz.LOG";
  request.airports = &airports_for(log.size());
  if (log.size() % 3 == 0) request.zone = chosen_zone();
  if (first_flight) {
    request.window.flight = 1;
    request.window_label = "flight 1";
  }
  flight_report_result result;
  const std::string page = written_by(log, first_flight, [&](FILE* in, FILE* out) {
    result = write_flight_report(document_context(), request, in, out);
  });
  if (result.status == flight_report_status::write_failed) return "report: a write failed";
  if (result.status != flight_report_status::written) return "";
  if (page.size() > report_allowance_bytes + log.size()) {
    return "report: " + std::to_string(page.size()) + " bytes for a LOG of " + std::to_string(log.size());
  }
  if (std::string e = html_markup_error(page); !e.empty()) return "report: " + e;
  return "";
}

std::string check_summaries(std::span<const std::uint8_t> log, const analysis_options& analysis) {
  log_summary summary;
  written_by(log, false, [&](FILE* in, FILE*) { summary = analyse_log(document_context(), analysis, in); });
  if (!locate_flights(summary, airports_for(log.size()), airport_options{}).empty()) return "airports: no answer";
  give_flights_local_times(summary, log.size() % 3 == 0 ? chosen_zone() : nullptr);
  static output_writer out;  // its buffer is large
  std::string json;
  std::string text;
  out.attach(json);
  write_summary_json(out, "fuzz.LOG", summary, analysis);
  out.flush();
  out.attach(text);
  write_summary_text(out, "fuzz.LOG", summary);
  out.flush();
  out.attach(nullptr);
  if (std::string e = json_summary_error(json); !e.empty()) return "JSON summary: " + e;
  return "";
}

}  // namespace

std::string check_every_document(std::span<const std::uint8_t> log, std::string_view settings) {
  analysis_options analysis = default_analysis_options();
  if (!settings.empty()) {
    const limits_parse_result limits = parse_limits(settings);
    if (limits.ok()) analysis.limits = limits.limits;
    aircraft_profile profile = analysis.profile;
    if (read_aircraft_profile(settings, profile).ok()) analysis.profile = profile;
  }
  // One GPS format per input, chosen by its size, keeps the documents' pass quick.
  const int gps_format = static_cast<int>(log.size() % 3) + 1;
  analysis.decode.gps_1_type = gps_format;
  std::string failure = check_exports(log, gps_format);
  if (failure.empty()) failure = check_report(log, analysis, gps_format == ORVEX_GPS_FORMAT_NMEA);
  if (failure.empty()) failure = check_summaries(log, analysis);
  return failure;
}
