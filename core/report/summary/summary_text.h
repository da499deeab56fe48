// orvexdecode-info's text report: a short block per LOG that a pilot reads at a glance, one
// part per flight and ground run, then the LOG's health in three lines.
#pragma once

#include <string>

#include "analysis/flight_timeline.h"

std::string render_info_text(const std::string& file, const log_summary& summary);
