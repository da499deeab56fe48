// Numbers, counts, durations and UTC times as a person reads them, for the flight summary
// and the HTML report.
#pragma once

#include <cstdint>
#include <string>

// The shortest text of value rounded to `decimals` decimals: no trailing zeros, no point
// without decimals, "0" for a negative zero ("12.5", "-3", "1650").
void append_number(std::string& out, double value, int decimals);
std::string number_text(double value, int decimals);
// value with exactly `decimals` decimals ("1.0"), as the flight summary writes its figures.
std::string fixed_text(double value, int decimals);

// 23,844
std::string with_commas(std::uint64_t n);
// "1,652.5": a number with its thousands separated, for text a person reads.
std::string grouped_number(double value, int decimals);

// h:mm:ss of a number of seconds (rounded; negative counts as 0).
std::string duration_text(double seconds);

// "2024-05-18" and "15:04:56Z" of a UTC instant in milliseconds (whole seconds, rounded).
std::string utc_date_text(std::int64_t utc_ms);
std::string utc_time_text(std::int64_t utc_ms);
