// A cell that keeps its last text must write, row after row, exactly what formatting the value
// afresh writes: a value that comes back, a text that grows or shrinks, the two zeros, a text
// too long to keep.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "export/export_columns.h"
#include "text/utc_text.h"

namespace {

std::string text_of(char* (*put)(char*, double), double v) {
  char text[cell_text_max];
  return std::string(text, put(text, v));
}

}  // namespace

TEST(KeptCell, EveryRowReadsAsIfFormattedAfresh) {
  const std::vector<double> rows = {
      12.5, 12.5, 12.5000001, 12.5, 1234567.891, 3.0,  -0.0, 0.0, -0.0, 0.005, 0.015,
      1e300, 1e300, 3.0, std::numeric_limits<double>::quiet_NaN(), 3.0, -7.25, -7.25,
  };
  using put = char* (*)(char*, double);
  struct column {
    const char* name;
    put fresh;
    put kept;
  };
  static kept_cell fixed_cell, gps_cell;
  const column columns[] = {
      {"fixed 2", [](char* at, double v) { return put_cell(at, fixed(v, 2)); },
       [](char* at, double v) { return put_kept(at, fixed_cell, fixed(v, 2)); }},
      {"gps number", [](char* at, double v) { return row_values::write_gps_number(at, v); },
       [](char* at, double v) { return row_values::write_gps_number(at, gps_cell, v); }},
  };
  for (const column& c : columns) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(text_of(c.kept, rows[i]), text_of(c.fresh, rows[i])) << c.name << ", row " << i;
    }
  }
}

// The rows of a day share the date's text: each must still read as the whole text does, across
// midnight, before 1970, with and without milliseconds, and where the years clamp.
TEST(KeptCell, UtcTimeReadsAsTheWholeText) {
  constexpr std::int64_t day = 86400000;
  const std::int64_t rows[] = {
      1715950801000, 1715950802000, 1715990399999, 1715990400000, 1715990400001, 1715990400000 + day,
      0, -1, -day, -day - 1, 1715950801000, -62167219200000, -62167219200001, 253402300799999,
      253402300800000, 951782400000 - 1, 951782400000,  // 2000-02-29
  };
  kept_cell kept;
  for (const std::int64_t utc_ms : rows) {
    char text[cell_text_max];
    EXPECT_EQ(std::string(text, put_kept_utc(text, kept, utc_ms)), std::string(iso8601_utc_ms(utc_ms).view()))
        << utc_ms;
  }
}
