// The path data the charts and the map write, and the page's script reads back (readPath in
// report_page.js): runs of points, a run's first point after "M", its second after "L" and each
// later one after a blank, x and y apart by a blank:
//
//   M12.5 -350L13 -351 13.5 -352M20 -340h0
//
// A run of one point ends in "h0" where it is drawn as a dot (the charts); the map's track
// leaves it bare. A chart's y is its value negated (SVG's y grows downwards), the map's the
// pixel row.
#pragma once

#include "text/output_writer.h"

class path_data_writer {
 public:
  path_data_writer(output_writer& out, int x_decimals, int y_decimals, bool dot_lone_points)
      : out_(out), x_decimals_(x_decimals), y_decimals_(y_decimals), dots_(dot_lone_points) {}

  // The next point starts a new run.
  void start_run() {
    end_run();
    points_ = 0;
  }

  void point(double x, double y) {
    const char* lead = points_ <= 0 ? "M" : points_ == 1 ? "L" : " ";
    out_.line(OUT_FORMAT("{}{} {}"), lead, shortest(x, x_decimals_), shortest(y, y_decimals_));
    ++points_;
  }

  // Ends the last run.
  void finish() {
    end_run();
    points_ = 0;
  }

 private:
  void end_run() {
    if (dots_ && points_ == 1) out_.text("h0");
  }

  output_writer& out_;
  int x_decimals_;
  int y_decimals_;
  bool dots_;
  int points_ = 0;  // of the open run
};
