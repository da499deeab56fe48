// orvexdecode-info --json: one JSON object per LOG on one line (schemas/info.schema.json).
#pragma once

#include <string>

#include "analysis/flight_timeline.h"

// The object of one LOG and its newline.
std::string render_info_json(const std::string& file, const log_summary& summary, const analysis_options& options);
