// Numbers, counts, durations and UTC times as a person reads them, for the flight summary
// and the HTML report. Each has a form for the line formats of the writer (OUT_FORMAT), a
// value that the placeholder writes in place, and a form that gives a string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The shortest text of value rounded to `decimals` decimals: no trailing zeros, no point
// without decimals, "0" for a negative zero ("12.5", "-3", "1650"); "0" for a value that is
// not finite or is too large for the text.
struct shortest_value {
  double value;
  int decimals;
};
constexpr shortest_value shortest(double value, int decimals) { return {value, decimals}; }
constexpr std::size_t shortest_text_max = 64;
char* put_shortest(char* out, const shortest_value& v);

// The same with the thousands separated by commas ("1,652.5").
struct grouped_value {
  double value;
  int decimals;
};
constexpr grouped_value grouped(double value, int decimals) { return {value, decimals}; }
constexpr std::size_t grouped_text_max = shortest_text_max + shortest_text_max / 3;
char* put_grouped(char* out, const grouped_value& v);

// A count with its thousands separated by commas ("23,844").
struct grouped_count {
  std::uint64_t count;
};
constexpr grouped_count with_commas_of(std::uint64_t n) { return {n}; }
constexpr std::size_t grouped_count_max = 26;
char* put_grouped_count(char* out, grouped_count n);

// value as printf's "%g" writes it: six significant digits, exponent form for the very small
// and very large ("5", "2.5", "1e-05").
struct general_value {
  double value;
};
constexpr general_value general(double value) { return {value}; }
constexpr std::size_t general_text_max = 32;
char* put_general(char* out, general_value v);

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
