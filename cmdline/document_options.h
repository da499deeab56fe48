// The options of the C API's document calls (orvexdecode.h) as the front ends fill them from
// their command lines.
#pragma once

#include <optional>
#include <string>

#include "airport_option.h"
#include "analysis/flight_timeline.h"
#include "analysis/time_zone.h"
#include "limits_file.h"
#include "orvexdecode.h"
#include "sampling/log_window.h"

// What the report's and the summaries' command lines give beyond the analysis options, read and
// checked before any LOG is: the texts the document options point into, kept while they run.
struct document_sources {
  std::string limits_text;  // the limits file's text; empty: none given
  profile_source profile;
  airport_choice airports;
  airport_lookup lookup;          // opened from the choice, to tell its failures once
  std::optional<time_zone> zone;  // --time-zone: the local time of every flight
};

// The decode options, the constants, the detection, the gap limit, the UTC start and the
// cross-country distance of a parsed command line, with its limits, profile, airports and zone.
// The airports go as the source the lookup opened ("none" when it is off: a missing default
// table was told once when it was opened).
orvex_document_options document_options(const analysis_options& analysis, const document_sources& sources);

// The profile's text and settings (none when no profile was given).
void set_profile(orvex_document_options& options, const profile_source& profile);

// A bound of the stretch asked for; not given when there is none.
orvex_time_point time_point_option(const std::optional<time_point>& point);

// The stretch asked for: a flight and the bounds.
void set_window(orvex_document_options& options, const window_request& window);

// Calls write(line) for each line of a result's warnings.
template <typename Write>
void for_each_warning(const orvex_document_result& result, Write write) {
  for (std::string_view w = result.warnings; !w.empty();) {
    const std::size_t end = w.find('\n');
    write(std::string(w.substr(0, end)));
    w.remove_prefix(end == std::string_view::npos ? w.size() : end + 1);
  }
}
