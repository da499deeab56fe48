// The scenario simulator: flies a scenario and writes what its EFIS logs, and keeps the truth
// of what it planted.
//
//   AHRS high-rate 25 Hz, AHRS low-rate 1 Hz, EIS 3 Hz, analog inputs 1 Hz: as the classic
//     simulator writes them, stamped when the EFIS read them
//   GPS 1 and GPS 2        one fix a second at the scenario's epoch in the UTC second; each
//                          sentence reaches the EFIS after the scenario's delay (NMEA RMC as one
//                          record, the aviation format cut into records as the serial port
//                          delivers it); a receiver sends RMC without a position (status V)
//                          from each power-up until its fix
//   set menu and radios    at each power-up; the AHRS aligns for 20 s after it
//
// Within a segment (from a power-up to the EFIS going off) LOG time runs with true time and
// the records are written in timestamp order. A power-off leaves a gap; a clock restart
// starts the next segment's LOG time between 1 and 3 s.
#pragma once

#include <string>

#include "flight_simulator.h"
#include "scenario_file.h"
#include "scenario_truth.h"

// Writes the scenario's LOG to the sink; truth, when given, receives what was planted. false
// when a step could not be flown (error says which; line 0 for the scenario as a whole, such as
// one longer than the LOG timestamps cover) or the sink refused bytes (error's line is -1).
bool simulate_scenario(const scenario& s, const log_sink& sink, scenario_truth* truth = nullptr,
                       scenario_error* error = nullptr);

// The whole LOG in memory (empty when a step could not be flown).
std::string scenario_log(const scenario& s, scenario_truth* truth = nullptr, scenario_error* error = nullptr);
