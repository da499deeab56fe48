#include "export/export_formats.h"

#include <array>

#include "export/export_run.h"

// The writers, each in the file of its format.
void write_csv(export_pass& pass);           // csv_export.cpp
void write_avionics_csv(export_pass& pass);  // avionics_csv_export.cpp
void write_gpx(export_pass& pass);           // gpx_export.cpp
void write_kml_time(export_pass& pass);      // kml_time_export.cpp
void begin_logbook(output_writer& out, const export_request& request);  // logbook_export.cpp
void write_logbook_row(output_writer& out, const export_request& request, const logged_flight& flight);
void end_logbook(output_writer& out, const export_request& request);

namespace {

// clang-format off
constexpr std::array formats = {
    export_format{"csv", "one row per period of every decoded value (RFC 4180)", ".csv",
                  {false, "time_utc is empty", write_csv, false, true}, {}},
    export_format{"avionics-csv", "the avionics datalog CSV layout", ".csv",
                  {false, "Lcl Date and Lcl Time are empty", write_avionics_csv, false, true}, {}},
    export_format{"gpx", "GPX 1.1, a track per flight, a point per GPS 1 fix", ".gpx",
                  {true, "the track points have no time", write_gpx, true, true}, {}},
    export_format{"kml", "KML 2.2 with time, to replay the flight", ".kml",
                  {false, "the path has no times to replay", write_kml_time, true}, {}},
    export_format{"logbook", "a row per flight of all the LOGs, for a logbook to import (--layout)", ".csv",
                  {}, {begin_logbook, write_logbook_row, end_logbook}},
};
// clang-format on

}  // namespace

std::span<const export_format> export_formats() { return formats; }

const export_format* find_export_format(std::string_view name) {
  for (const export_format& f : formats) {
    if (f.name == name) return &f;
  }
  return nullptr;
}
