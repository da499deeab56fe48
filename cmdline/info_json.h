// orvexdecode-info --json: one JSON object per LOG on one line (schemas/info.schema.json).
#pragma once

#include <string>

#include "analysis/flight_timeline.h"

// The version of the shape, in every object and in the schema. A version only adds keys: none is
// ever renamed or removed, nor does a key's meaning change.
constexpr int info_schema_version = 1;

// The object of one LOG and its newline.
std::string render_info_json(const std::string& file, const log_summary& summary, const analysis_options& options);
