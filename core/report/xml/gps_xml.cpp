// The GPS composite elements of the periodic summary: the last accepted fix of one port. Text
// fields are printed as stored, right-aligned to their minimum widths; longer texts
// print whole.
#include "report/xml/gps_xml.h"

#include <string_view>

#include "decoders/gps/coordinates.h"
#include "text/stored_text.h"

namespace {

// Debug only: the raw sentence buffer up to its first zero byte. Aviation sentences carry
// STX and arbitrary bytes, so the text goes through the escaper.
void print_rawdata(output_writer& out, std::string_view port, const gps_composite_state& state) {
  out.line(OUT_FORMAT("\t<gps_{}_rawdata_char>"), port);
  out.escaped(stored_text(state.sentence));
  out.line(OUT_FORMAT("</gps_{}_rawdata_char>\n"), port);
}

// Items that carry tenths: the whole number of the text divided by 10, printed from integers.
ratio_value tenths(const char* text, int width) { return fixed_ratio(whole_number(text), 10, 1, width); }

}  // namespace

int print_xml_gps_composite_entry(output_writer& out, const char* port, const gps_composite_state& state, bool verbose,
                                  bool debug) {
  switch (state.format) {
    case gps_format_aviation:
    case gps_format_aviation_stx: return print_xml_gps_composite_aviation_entry(out, port, state, verbose, debug);
    case gps_format_nmea: return print_xml_gps_composite_nmea_entry(out, port, state, verbose, debug);
    default: return 0;
  }
}

int print_xml_gps_composite_aviation_entry(output_writer& out, const char* port_name, const gps_composite_state& state,
                                           bool verbose, bool debug) {
  const std::string_view port(port_name);
  const gps_aviation_fields& f = state.fields.aviation;

  out.line(OUT_FORMAT("\t<gps_{}_composite_entry format=\"aviation\">\n"), port);
  if (debug) print_rawdata(out, port, state);
  if (f.latitude[0] != '\0') {
    const double decimal = state.fix.latitude_deg;
    out.line(OUT_FORMAT("\t\t<gps_{}_latitude_decimal>{}</gps_{}_latitude_decimal>\n"), port, fixed(decimal, 6, 2),
             port);
    out.line(OUT_FORMAT("\t\t<gps_{}_latitude>{}</gps_{}_latitude>\n"), port, right_aligned(stored_text(f.latitude), 9),
             port);
  }
  if (f.longitude[0] != '\0') {
    const double decimal = state.fix.longitude_deg;
    out.line(OUT_FORMAT("\t\t<gps_{}_longitude_decimal>{}</gps_{}_longitude_decimal>\n"), port, fixed(decimal, 6, 3),
             port);
    out.line(OUT_FORMAT("\t\t<gps_{}_longitude>{}</gps_{}_longitude>\n"), port,
             right_aligned(stored_text(f.longitude), 10), port);
  }
  if (f.track[0] != '\0') {
    // The ground speed goes with the track, even when it is empty.
    out.line(OUT_FORMAT("\t\t<gps_{}_track>{}</gps_{}_track>\n"), port, right_aligned(stored_text(f.track), 3), port);
    out.line(OUT_FORMAT("\t\t<gps_{}_ground_speed units=\"knots\">{}</gps_{}_ground_speed>\n"), port,
             right_aligned(stored_text(f.ground_speed), 3), port);
  }
  if (f.mag_variation[0] != '\0') {
    // Direction letter, then tenths of a degree.
    out.line(OUT_FORMAT("\t\t<gps_{}_mag_variation>{} {}</gps_{}_mag_variation>\n"), port, f.mag_variation[0],
             tenths(f.mag_variation + 1, 2), port);
  }
  if (f.altitude[0] != '\0') {
    out.line(OUT_FORMAT("\t\t<gps_{}_altitude>{:5}</gps_{}_altitude>\n"), port, whole_number(f.altitude), port);
  }
  out.line(OUT_FORMAT("\t\t<gps_{}_desired_track>{}</gps_{}_desired_track>\n"
                      "\t\t<gps_{}_bearing_to_wpt>{}</gps_{}_bearing_to_wpt>\n"
                      "\t\t<gps_{}_wpt_ident>{}</gps_{}_wpt_ident>\n"),
           port, tenths(f.desired_track, 3), port, port, tenths(f.bearing_to_wpt, 3), port, port,
           right_aligned(stored_text(f.wpt_ident), 5), port);
  if (f.wpt_dist[0] != '\0') {
    out.line(OUT_FORMAT("\t\t<gps_{}_wpt_dist units=\"nm\">{}</gps_{}_wpt_dist>\n"), port, tenths(f.wpt_dist, 4), port);
  }
  if (f.dist_to_wpt[0] != '\0') {
    out.line(OUT_FORMAT("\t\t<gps_{}_dist_to_wpt units=\"nm\">{}</gps_{}_dist_to_wpt>\n"), port,
             tenths(f.dist_to_wpt, 4), port);
  }
  out.line(OUT_FORMAT("\t\t<gps_{}_nav_flag>{}</gps_{}_nav_flag>\n"), port, right_aligned(stored_text(f.nav_flag), 5),
           port);
  if (verbose) {
    out.line(OUT_FORMAT("\t\t<gps_{}_warning_status>{}</gps_{}_warning_status>\n"
                        "\t\t<gps_{}_bearing_to_wpt_raw>{}</gps_{}_bearing_to_wpt_raw>\n"
                        "\t\t<gps_{}_dist_to_wpt_raw>{}</gps_{}_dist_to_wpt_raw>\n"
                        "\t\t<gps_{}_desired_track_raw>{}</gps_{}_desired_track_raw>\n"
                        "\t\t<gps_{}_wpt_dist_raw>{}</gps_{}_wpt_dist_raw>\n"
                        "\t\t<gps_{}_mag_variation_raw>{}</gps_{}_mag_variation_raw>\n"),
             port, right_aligned(stored_text(f.warning_status), 5), port, port,
             right_aligned(stored_text(f.bearing_to_wpt), 4), port, port, right_aligned(stored_text(f.dist_to_wpt), 5),
             port, port, right_aligned(stored_text(f.desired_track), 4), port, port,
             right_aligned(stored_text(f.wpt_dist), 5), port, port, right_aligned(stored_text(f.mag_variation), 4),
             port);
  }
  return out.line(OUT_FORMAT("\t</gps_{}_composite_entry>\n"), port);
}

int print_xml_gps_composite_nmea_entry(output_writer& out, const char* port_name, const gps_composite_state& state,
                                       bool verbose, bool debug) {
  const std::string_view port(port_name);
  const gps_nmea_fields& f = state.fields.nmea;

  out.line(OUT_FORMAT("\t<gps_{}_composite_entry format=\"nmea\">\n"), port);
  if (debug) print_rawdata(out, port, state);
  out.line(OUT_FORMAT("\t\t<gps_{}_latitude>{} {}</gps_{}_latitude>\n"
                      "\t\t<gps_{}_longitude>{} {}</gps_{}_longitude>\n"
                      "\t\t<gps_{}_latitude_decimal>{}</gps_{}_latitude_decimal>\n"
                      "\t\t<gps_{}_longitude_decimal>{}</gps_{}_longitude_decimal>\n"
                      "\t\t<gps_{}_track>{}</gps_{}_track>\n"
                      "\t\t<gps_{}_ground_speed units=\"knots\">{}</gps_{}_ground_speed>\n"
                      "\t\t<gps_{}_mag_variation>{} {}</gps_{}_mag_variation>\n"
                      "\t\t<gps_{}_utc_date>{}</gps_{}_utc_date>\n"
                      "\t\t<gps_{}_utc_time>{}</gps_{}_utc_time>\n"),
           port, right_aligned(stored_text(f.latitude_hemisphere), 1), right_aligned(stored_text(f.latitude), 9), port,
           port, right_aligned(stored_text(f.longitude_hemisphere), 1), right_aligned(stored_text(f.longitude), 10),
           port, port, fixed(state.fix.latitude_deg, 6, 2), port, port, fixed(state.fix.longitude_deg, 6, 3), port,
           port, right_aligned(stored_text(f.track), 5), port, port, right_aligned(stored_text(f.ground_speed), 5),
           port, port, right_aligned(stored_text(f.mag_variation_direction), 1),
           fixed(decimal_number(f.mag_variation), 1, 2), port, port, right_aligned(stored_text(f.utc_date), 6), port,
           port, right_aligned(stored_text(f.utc_time), 6), port);
  if (verbose) {
    out.line(OUT_FORMAT("\t\t<gps_{}_status>{}</gps_{}_status>\n"), port, right_aligned(stored_text(f.status), 1),
             port);
  }
  return out.line(OUT_FORMAT("\t</gps_{}_composite_entry>\n"), port);
}
