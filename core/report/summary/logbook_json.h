// A flight's logbook row in orvexdecode-info's JSON: the "logbook" object of a flight.
#pragma once

#include "analysis/logbook_row.h"
#include "text/json_writer.h"

// The object, as a value (its key written before).
void write_logbook_json(json_writer& json, const logbook_row& row, const logbook_options& options);
