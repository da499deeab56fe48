// The track of the aircraft as an SVG map that stands on its own (no tiles): a local
// projection about the middle of the track (east-west distances shrunk by the cosine of its
// latitude, so a small area is true to scale and north is up), a latitude/longitude grid with
// labels, a scale bar in nautical miles, a north arrow, the path coloured by altitude (a scale
// of eight colours that reads in grey and for colour-blind eyes), takeoffs and landings marked,
// and a marker the page's script moves to the point under the charts' cursor.
#pragma once

#include <string>
#include <vector>

#include "report/html/report_data.h"
#include "report/html/svg_chart.h"
#include "text/output_writer.h"

struct map_mark {
  double latitude_deg;
  double longitude_deg;
  bool takeoff;       // else a landing
  std::string label;  // "Takeoff 15:02:42Z"
  bool airport = false;  // an airport's reference point instead, named by the label
};

// The map's frame in degrees and its projection onto the image.
struct map_projection {
  double latitude_0 = 0.0;  // the middle of the track
  double longitude_0 = 0.0;
  double pixels_per_degree = 1.0;  // of latitude; of longitude times cos(latitude_0)
  double cos_latitude = 1.0;
  double width = 1000.0;
  double height = 640.0;

  double x_of(double longitude) const {
    return width / 2 + (longitude - longitude_0) * cos_latitude * pixels_per_degree;
  }
  double y_of(double latitude) const { return height / 2 - (latitude - latitude_0) * pixels_per_degree; }
};

// The projection that fits the points (and marks) into the image with a margin.
map_projection fit_projection(const std::vector<track_point>& track, const std::vector<map_mark>& marks, double width,
                              double height);

// Writes the <figure> of the map; a stretch without positions gives a figure saying so.
void write_svg_track_map(output_writer& out, const std::vector<track_point>& track, const std::vector<map_mark>& marks,
                         const time_axis& axis);
