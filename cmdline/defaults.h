// The decoder options and analog constants both front ends start from.
#pragma once

#include "orvexdecode.h"

library_options default_library_options();
analog_input_const default_analog_input_const();
