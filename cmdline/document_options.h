// The options of the C API's document calls (orvexdecode.h) as the front ends fill them from
// their command lines.
#pragma once

#include <optional>
#include <string>

#include "analysis/flight_timeline.h"
#include "orvexdecode.h"
#include "sampling/log_window.h"

// The decode options, the constants, the detection, the gap limit and the UTC start of a
// parsed command line, with the limits file's text (read and checked by read_limits_file).
orvex_document_options document_options(const analysis_options& analysis, const std::string& limits_text);

// A bound of the stretch asked for; not given when there is none.
orvex_time_point time_point_option(const std::optional<time_point>& point);

// The stretch asked for: a flight and the bounds.
void set_window(orvex_document_options& options, const window_request& window);
