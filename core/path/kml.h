// The KML flight path document: the path at pressure altitude and one line per wingtip.
#pragma once

#include <cstdint>

#include "path/summary_path.h"
#include "text/decode_time.h"
#include "text/output_writer.h"

// One coordinate of a line string: degrees, degrees, metres.
struct kml_coordinate {
  double longitude;
  double latitude;
  double height;
};

struct wingtip_coordinates {
  kml_coordinate left;
  kml_coordinate right;
};

// Pressure altitude in metres.
double metres_of_feet(std::int16_t feet);

// The wingtips of a point: 0.00004 degrees to each side, across the heading and shortened by
// the roll, and 3 metres times the sine of the roll above (left) or below (right) the path.
wingtip_coordinates wingtips_of(const path_point& point);

// The same for a point at height metres with the attitude in degrees (the KML with time places
// its wingtips with it).
wingtip_coordinates wingtips_around(double longitude, double latitude, double height, float roll_deg, float pitch_deg,
                                    float yaw_deg);

// Writes the whole document for the stored points (slots 1 to count - 1); the LookAt comes
// from slot 1. Returns the result of the closing line's write.
int print_kml_document(output_writer& out, const path_point* points, std::int32_t count, const decode_time_text& now,
                       const char* description);
