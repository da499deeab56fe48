// Local date and time texts from an instant and the offset of the zone's clocks then: ISO 8601
// with the offset ("2026-05-08T20:45:12-07:00") for documents a program reads, and short forms a
// person reads beside UTC ("2026-05-08", "20:45:12 PDT").
//
// Offsets are written to the minute, as ISO 8601 and RFC 3339 allow; an offset with seconds
// (local mean time before standard time) is rounded to its minute and the local time follows
// the rounded offset, so that the text still names the instant exactly.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/utc_text.h"

// "YYYY-MM-DDThh:mm:ss+hh:mm"; UTC is "+00:00".
utc_text iso8601_local(std::int64_t utc_seconds, std::int32_t utc_offset_s);

// "2026-05-08": the local date of an instant in milliseconds (whole seconds, rounded).
std::string local_date_text(std::int64_t utc_ms, std::int32_t utc_offset_s);
// "20:45:12 PDT": the local time and the zone's abbreviation, or the offset ("05:15:12 +05:45")
// when the abbreviation is a number or missing.
std::string local_time_text(std::int64_t utc_ms, std::int32_t utc_offset_s, std::string_view abbreviation);
