// The flight report as one self-contained HTML5 page that a pilot opens from disk, prints or
// mails: nothing on it asks for anything outside the file (styles, script, charts and map are
// inline, the charts and the map are SVG written here).
//
// From top to bottom: a header (the LOG, its UTC date and span, the aircraft settings the LOG
// holds, the decoder's version); the flights table and the LOG's health in one line with its
// details on demand; the exceedances of the aircraft limits, each linking to its place on the
// charts; the charts on one shared time axis (altitude and speeds, engine speed and fuel flow,
// CHT, EGT, oil, bus voltage, pitch and roll, and the localiser and glideslope deviations when
// the LOG has them), the flight phases shaded; and the map of the track.
//
// A small inline script zooms all charts together (drag across one; double-click shows all
// again), reads every series out under the cursor and moves a marker along the map. Without
// it the page is complete and static; the print styles put each chart whole on an A4 or Letter
// page, on white. On a narrow screen (a phone) nothing scrolls sideways and no text is under
// 10 px: the tables become one block per row, the charts grow taller with larger labels.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/log_summary.h"
#include "report/html/report_data.h"
#include "text/output_writer.h"

struct html_report_input {
  std::string log_name;      // the LOG as the page names it
  std::string window_label;  // what the stretch is ("flight 1"); empty for the whole LOG
  const log_summary* summary = nullptr;
  const report_data* data = nullptr;
};

// Writes the page to out; returns out's result (negative after a failed write).
int write_html_report(output_writer& out, const html_report_input& input);

// The inline style sheet and script (report_page.css and report_page.js, built in).
extern const char* const report_page_css;
extern const char* const report_page_script;
