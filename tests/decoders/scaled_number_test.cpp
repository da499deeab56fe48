// Scaled numbers: the exact decimals a document prints are the text printf gives for the double
// the figures take, for every stored number of the scaled fields the documents print exactly.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "decoders/ahrs.h"
#include "decoders/eis.h"

namespace {

std::string printf_text(double v, int precision) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", precision, v);
  return text;
}

// Every stored number from `from` to `to` of a field's scaled number.
template <typename Number>
void expect_exact(const char* name, int precision, int from, int to) {
  for (int stored = from; stored <= to; ++stored) {
    const Number n{stored};
    char text[ratio_format_max + 8];
    const std::string exact(text, format_ratio(text, decimals(n, precision)));
    ASSERT_EQ(exact, printf_text(n.value(), precision)) << name << " " << stored;
  }
}

}  // namespace

TEST(ScaledNumber, ExactDecimalsAreThePrintfTextOfTheValue) {
  expect_exact<scaled_field<eis_layout::primaryvoltage>>("volts", 1, 0, 65535);
  expect_exact<scaled_field<eis_layout::fuelqty>>("fuel quantity", 1, 0, 65535);
  expect_exact<scaled_field<eis_layout::elapsed_time>>("elapsed time", 2, 0, 65535);
  expect_exact<scaled_field<eis_layout::baroset>>("baroset", 2, 0, 65535);
  expect_exact<ahrs_hr_values::angle>("roll", 2, -32768, 32767);
  expect_exact<scaled_field_at<ahrs_lr_layout::voltage, 0>>("AHRS voltage", 2, -32768, 32767);
}
