// A chart's x written from whole milliseconds reads as the seconds' double does.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "report/html/path_data.h"

namespace {

TEST(PathData, AxisSecondsFromMillisecondsReadAsTheirDouble) {
  // Every millisecond of the first ten minutes, then the far end of the axis, where the ties at
  // each count of decimals (x.x50 s to one decimal) are rounded by the double's binary value.
  const auto text = [](char* buffer, char* end) { return std::string(buffer, static_cast<std::size_t>(end - buffer)); };
  for (int decimals = 0; decimals <= 3; ++decimals) {
    for (const std::uint32_t from : {0u, UINT32_MAX - 600'000u}) {
      for (std::uint32_t ms = from; ms < from + 600'000u; ++ms) {
        char ours[96];
        char theirs[96];
        const std::string a = text(ours, put_axis_seconds(ours, ms, decimals));
        const std::string b = text(theirs, put_shortest(theirs, shortest(ms / 1000.0, decimals)));
        ASSERT_EQ(a, b) << ms << " ms to " << decimals << " decimals";
      }
    }
  }
}

}  // namespace
