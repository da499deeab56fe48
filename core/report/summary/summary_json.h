// The JSON summary of a LOG (orvexdecode-info --json): one object on one line, as the JSON
// Schema schemas/info.schema.json describes it.
#pragma once

#include <string_view>

#include "analysis/flight_timeline.h"
#include "text/output_writer.h"

// The version of the shape, in every object and in the schema. A version only adds keys: none is
// ever renamed or removed, nor does a key's meaning change.
constexpr int summary_schema_version = 1;

// Writes the object of one LOG and its newline. Returns the writer's result (negative after a
// failed write).
int write_summary_json(output_writer& out, std::string_view file, const log_summary& summary,
                       const analysis_options& options);
