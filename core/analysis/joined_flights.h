// A flight the EFIS split across two LOGs: it restarted in flight and wrote the rest of the
// flight into a new LOG. As the flight time line does with a restart inside one LOG, the flight
// goes on across the break when the first LOG ends airborne, the second begins airborne (its
// first takeoff within restart_decision_ms of its first record, before which no aircraft taxies
// out and takes off) and less than restart_in_flight_ms pass between the two by UTC.
//
// The two LOGs' instants count LOG time in segments of their own LOG, so the joined flight's
// durations across the break come from UTC alone.
#pragma once

#include <optional>

#include "analysis/log_summary.h"

// The break between flight a, the last of LOG a_log, and flight b, the first of LOG b_log, in
// seconds, when b goes on from a; none when it does not.
std::optional<double> break_before_continued_flight(const log_summary& a_log, const flight_record& a,
                                                    const log_summary& b_log, const flight_record& b);

// Makes a the one flight: its start, its takeoff and the times up to the break stay; the
// landings, the stop and the times after the break are b's, whose own takeoff (the start of its
// LOG) is no takeoff. The distances of b's landings are taken again from a's lift-off; the flight
// is cross-country when one reaches options.cross_country_nm.
void join_flight(flight_record& a, const flight_record& b, double break_s, const logbook_options& options);
