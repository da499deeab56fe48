// The text summary of a LOG (orvexdecode-info): a short block per LOG that a pilot reads at a
// glance, one part per flight and ground run, then the LOG's health in three lines.
//
//   samples/demo_flight.LOG   900,339 bytes
//   Time          2024-05-18 15:00:42Z to 15:11:42Z  (0:11:00), UTC from GPS
//   Flight 1
//     Engine      15:01:05Z to 15:11:20Z   engine 0:10:15, block 0:10:15
//   ...
//   Health        23,844 records, none dropped, time never went back
#pragma once

#include <string_view>

#include "analysis/log_summary.h"
#include "text/output_writer.h"

// Writes the summary of a LOG; file is the name it is told by (made safe for a terminal by the
// caller). Returns the writer's result (negative after a failed write).
int write_summary_text(output_writer& out, std::string_view file, const log_summary& summary);
