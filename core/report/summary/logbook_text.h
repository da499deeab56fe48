// A flight's logbook row as lines of orvexdecode-info's text: the date, out, off, on and in in
// local time beside UTC, the totals, and the landings.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/logbook_row.h"

using labelled_line = std::pair<std::string, std::string>;

// utc_text writes a moment's UTC as the rest of the summary does; airborne_s is the flight's
// time in the air.
std::vector<labelled_line> logbook_text_lines(const logbook_row& row, double airborne_s,
                                              const std::function<std::string(const log_instant&)>& utc_text);
