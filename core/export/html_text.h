// Text for the HTML report: escaped free text, compact numbers for SVG data, and the times,
// durations and counts a person reads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Free text (a file name, a limit) for HTML content and double-quoted attributes: & < > "
// escaped, control characters shown as their control pictures, and bytes that do not form
// UTF-8 characters replaced by U+FFFD, so the page stays well-formed whatever a name holds.
std::string html_escaped(std::string_view text);

// The shortest text of value rounded to `decimals` decimals: no trailing zeros, no point
// without decimals, "0" for a negative zero ("12.5", "-3", "1650").
void append_number(std::string& out, double value, int decimals);
std::string number_text(double value, int decimals);
// value with exactly `decimals` decimals ("1.0"), as orvexdecode-info writes its figures.
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
