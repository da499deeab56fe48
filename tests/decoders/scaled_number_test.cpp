// Scaled numbers: the exact decimals a document prints are the text printf gives for the double
// the figures take, for every stored number of the scaled fields the documents print exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "decoders/ahrs.h"
#include "decoders/eis.h"

namespace {

std::string exact_text(const scaled_number& n, int precision) {
  char text[ratio_format_max + 8];
  return std::string(text, format_ratio(text, decimals(n, precision)));
}

std::string printf_text(double v, int precision) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", precision, v);
  return text;
}

}  // namespace

TEST(ScaledNumber, ExactDecimalsAreThePrintfTextOfTheValue) {
  const struct {
    const char* name;
    const layout_field& field;
    int precision;
    int from, to;  // the stored numbers
  } rows[] = {
      {"volts", eis_layout::primaryvoltage, 1, 0, 65535},
      {"fuel quantity", eis_layout::fuelqty, 1, 0, 65535},
      {"elapsed time", eis_layout::elapsed_time, 2, 0, 65535},
      {"baroset", eis_layout::baroset, 2, 0, 65535},
      {"roll", ahrs_hr_layout::roll_angle, 2, -32768, 32767},
      {"AHRS voltage", ahrs_lr_layout::voltage[0], 2, -32768, 32767},
  };
  for (const auto& r : rows) {
    for (int stored = r.from; stored <= r.to; ++stored) {
      const scaled_number n = scaled_number_with(stored, r.field.scale);
      ASSERT_EQ(exact_text(n, r.precision), printf_text(n.value(), r.precision)) << r.name << " " << stored;
    }
  }
}
