// The registry of the data exports: one row per format, with its name (orvexdecode-export's
// FORMAT), its line in the help, the extension of its files and the functions that write it.
// orvexdecode-export's list of formats, its help and its messages come from this table; a test
// holds the manual page's list and the bash completion to it. A new format is one file (its
// writer) and one row (export_formats.cpp).
//
// A format writes in one of two ways:
//   - a document per LOG: the driver (export_run.h) plans the LOG (a first pass for the units,
//     the clock, the window and, when the document follows the flights or names their
//     airports, the flights and where they went), begins
//     the format's pass and finishes it (flush, warnings); the format writes its head, takes
//     each sampled row (for_each_row) or runs its own steps over the records, and writes its
//     end;
//   - a row per flight across LOGs (a logbook): the driver reads each LOG's flight time line,
//     places its flights (airports, local times) as the other front ends do, and hands the
//     format every flight of every LOG in UTC order of takeoff, between one head and one end
//     for all; a LOG given twice counts once, and a flight the EFIS restarted into the next LOG
//     comes as one (joined_flights.h).
#pragma once

#include <span>
#include <string_view>

#include "analysis/log_summary.h"
#include "text/output_writer.h"

struct export_pass;
struct export_request;

// A document per LOG.
struct log_document {
  bool by_flight;                // the document follows the flights: the first pass finds them unless a window is asked
  std::string_view without_utc;  // what a LOG without GPS time leaves empty, told in its warning
  void (*write)(export_pass& pass);  // the document, on the pass the driver began
  // The document names the flights' airports: with a lookup, the first pass finds the flights
  // and their airports, whatever the window.
  bool names_places = false;
  // Its passes read only the ports' fixes and counts and do enough with each record that the
  // GPS sentences pay on the reading thread (decode/gps_ahead.h), while a processor is spare.
  // Measured: the CSVs and the GPX gain; the KML's light rows lose.
  bool gps_beside = false;
};

// One flight of a LOG, as a format of flights across LOGs receives it.
struct logged_flight {
  std::string_view log_name;  // the LOG as the document names it
  const log_summary& log;     // its flight time line
  const flight_record& flight;
  int number;  // 1 for the LOG's first flight
};

// A row per flight across LOGs.
struct flight_rows {
  void (*begin)(output_writer& out, const export_request& request);
  void (*row)(output_writer& out, const export_request& request, const logged_flight& flight);
  void (*end)(output_writer& out, const export_request& request);
};

struct export_format {
  std::string_view name;       // "csv": the FORMAT operand
  std::string_view summary;    // "one row per period of every decoded value (RFC 4180)"
  std::string_view extension;  // ".csv": of the files written with --output-dir
  log_document per_log;        // set (write) for a document per LOG,
  flight_rows per_flight;      // or (row) for a row per flight across LOGs

  bool is_per_log() const { return per_log.write != nullptr; }
};

// Every format, in the order the help lists them.
std::span<const export_format> export_formats();

// The format of a name, or nullptr.
const export_format* find_export_format(std::string_view name);
