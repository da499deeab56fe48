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

#include <cstdint>

#include "text/output_writer.h"
#include "text/readable_text.h"

// The text shortest(ms / 1000.0, decimals) gives for a time of the charts' axis in seconds,
// worked out from the whole milliseconds: the decimal nearest the quotient, trailing zeros and
// point dropped. A tie at the decimals asked (1.25 s to one decimal) lies between two decimals
// only in the exact quotient; the double of it lies on one side, so it takes the double's text.
inline char* put_axis_seconds(char* out, std::uint32_t ms, int decimals) {
  constexpr std::uint32_t half_unit[] = {500, 50, 5};  // of the last decimal, by decimals
  if (decimals < 0 || decimals > 3 || (decimals < 3 && ms % (2 * half_unit[decimals]) == half_unit[decimals])) {
    return put_shortest(out, shortest(ms / 1000.0, decimals));
  }
  char* end = format_ratio(out, fixed_ratio(ms, 1000, decimals));
  if (decimals > 0) {
    while (end[-1] == '0') --end;
    if (end[-1] == '.') --end;
  }
  return end;
}

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
    out_.line(OUT_FORMAT("{}{} {}"), lead(), shortest(x, x_decimals_), shortest(y, y_decimals_));
    ++points_;
  }

  // A point whose x is a time of the charts' axis: the same text as point(ms / 1000.0, y).
  void point_at_ms(std::uint32_t ms, double y) {
    char x[ratio_format_max + shortest_text_max + 1];
    char* const end = put_axis_seconds(x + 1, ms, x_decimals_);
    x[0] = *lead();  // with the lead ("M", "L" or a blank) before it
    out_.text(std::string_view(x, static_cast<std::size_t>(end - x)));
    out_.line(OUT_FORMAT(" {}"), shortest(y, y_decimals_));
    ++points_;
  }

  // Ends the last run.
  void finish() {
    end_run();
    points_ = 0;
  }

 private:
  const char* lead() const { return points_ <= 0 ? "M" : points_ == 1 ? "L" : " "; }

  void end_run() {
    if (dots_ && points_ == 1) out_.text("h0");
  }

  output_writer& out_;
  int x_decimals_;
  int y_decimals_;
  bool dots_;
  int points_ = 0;  // of the open run
};
