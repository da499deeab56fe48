// The C API's document options that carry a set of analysis options: the decode options, the
// constants, the detection, the gap limit, the UTC start and the cross-country distance, the rest
// at their defaults.
#pragma once

#include "analysis/flight_timeline.h"
#include "orvexdecode.h"

orvex_document_options document_options_of(const analysis_options& analysis);
