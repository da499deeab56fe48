// The map's grid over extents a damaged position could give: never more than a screenful of
// lines per axis, whatever the track's span.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "report/html/svg_track_map.h"

namespace {

struct grid_lines {
  int latitudes = 0;
  int longitudes = 0;
};

grid_lines count_grid_lines(const std::string& page) {
  const std::size_t from = page.find("<g class=\"grid\">");
  const std::size_t to = page.find("</g>", from);
  const std::string grid = page.substr(from, to - from);
  grid_lines n;
  for (std::size_t at = grid.find("<path d=\"M"); at != std::string::npos; at = grid.find("<path d=\"M", at + 1)) {
    ++(grid.compare(at, 12, "<path d=\"M0 ") == 0 ? n.latitudes : n.longitudes);
  }
  return n;
}

}  // namespace

TEST(TrackMap, TheGridDrawsAtMostTwentyLinesPerAxisWhateverTheExtent) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double latitude[2], longitude[2];
    int at_least;  // lines on each axis
  } rows[] = {
      {{47.50, 47.60}, {-122.30, -122.10}, 2},
      {{-90.0, 90.0}, {-180.0, 180.0}, 1},
      {{89.99, 90.0}, {-180.0, 180.0}, 1},  // the whole earth seen from the pole
      {{-1.7e8, 1.7e8}, {-3.0e8, 3.0e8}, 1},
      {{0.0, 1e300}, {0.0, 1.0}, 0},
      {{-inf, inf}, {-inf, inf}, 0},
  };
  time_axis axis;
  axis.span_ms = 2000;
  axis.pieces.push_back({});
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << r.latitude[0] << " " << r.longitude[0]);
    std::vector<track_point> track;
    for (int i = 0; i < 2; ++i) track.push_back({1000u * i, 0, 1000u * i, r.latitude[i], r.longitude[i], false, 0.0, i == 0});
    std::string page;
    output_writer out;
    out.attach(page);
    write_svg_track_map(out, track, {}, axis);
    out.flush();
    const grid_lines n = count_grid_lines(page);
    EXPECT_LE(n.latitudes, 20);
    EXPECT_LE(n.longitudes, 20);
    EXPECT_GE(std::min(n.latitudes, n.longitudes), r.at_least);
    EXPECT_LT(page.size(), 20'000u);
  }
}
