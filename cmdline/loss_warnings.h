// Notes on standard error for data a LOG loses without a trace in the documents: a damaged
// record length that made the reader skip more than 1 MB, a GPS port whose sentence buffer
// filled without an end of sentence (the port reads nothing more), and a flight path that
// reached its 8192 points (the KML or track ends there). One line each, beginning "warning:";
// the exit status does not change.
#pragma once

#include "orvexdecode.h"

// path_document names what ends at the point limit ("KML", "track"), or is nullptr when the
// run wrote no flight path.
void print_loss_warnings(const orvex_log_health& health, const char* path_document);

// Why a LOG that was read to its end is not a LOG: "empty" when it held no byte, "no record
// could be read" when no record of a type the LOG format defines was read whole; nullptr when
// it is a LOG (or the read failed, which is an error of its own).
const char* not_a_log_reason(const orvex_log_health& health);
