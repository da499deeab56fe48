#include "report/xml/analog_xml.h"

#include <string_view>

namespace {

// The localiser_valid or glide_valid line, with the reading itself as the value attribute.
void print_valid_flag(output_writer& out, std::string_view element, analog_flag flag, std::uint16_t reading) {
  switch (flag) {
    case analog_flag::valid:
      out.line(OUT_FORMAT("\t\t<{}_valid state=\"valid\" value=\"{}\">Valid Flag</{}_valid>\n"), element, reading,
               element);
      break;
    case analog_flag::bad_data:
      out.line(OUT_FORMAT("\t\t<{}_valid value=\"{}\">BAD DATA</{}_valid>\n"), element, reading, element);
      break;
    case analog_flag::invalid:
      out.line(OUT_FORMAT("\t\t<{}_valid state=\"invalid\" value=\"{}\">Invalid Flag</{}_valid>\n"), element, reading,
               element);
      break;
  }
}

}  // namespace

int print_xml_analog_entry(output_writer& out, const analog_values& v, bool verbose) {
  out.line(OUT_FORMAT("\t<analog_input>\n"
                      "\t\t<voltage_1>{}</voltage_1>\n"
                      "\t\t<voltage_2>{}</voltage_2>\n"
                      "\t\t<voltage_3>{}</voltage_3>\n"
                      "\t\t<localiser_deviation>{}</localiser_deviation>\n"),
           fixed(v.voltage[0], 2), fixed(v.voltage[1], 2), fixed(v.voltage[2], 2),
           signed_fixed(v.localiser_deviation, 2));
  print_valid_flag(out, "localiser", v.localiser_flag, v.reading[4]);
  out.line(OUT_FORMAT("\t\t<glide_deviation>{}</glide_deviation>\n"), signed_fixed(v.glide_deviation, 2));
  print_valid_flag(out, "glide", v.glide_flag, v.reading[6]);
  out.line(OUT_FORMAT("\t\t<internaltemp>{}</internaltemp>\n"
                      "\t\t<scaledvalue1>{}</scaledvalue1>\n"
                      "\t\t<scaledvalue2>{}</scaledvalue2>\n"
                      "\t\t<scaledvalue3>{}</scaledvalue3>\n"
                      "\t\t<scaledvalue4>{}</scaledvalue4>\n"
                      "\t\t<scaledvalue5>{}</scaledvalue5>\n"
                      "\t\t<scaledvalue6>{}</scaledvalue6>\n"
                      "\t\t<scaledvalue7>{}</scaledvalue7>\n"
                      "\t\t<scaledvalue8>{}</scaledvalue8>\n"),
           fixed(v.internal_temp, 2), fixed(v.general[0], 2), fixed(v.general[1], 2), fixed(v.general[2], 2),
           fixed(v.general[3], 2), fixed(v.general[4], 2), fixed(v.general[5], 2), fixed(v.general[6], 2),
           fixed(v.general[7], 2));
  if (verbose) {
    for (std::size_t n = 1; n <= analog_layout::reading_count; ++n) {
      out.line(OUT_FORMAT("\t\t<value{}_raw>{}</value{}_raw>\n"), n, v.reading[n - 1], n);
    }
  }
  return out.text("\t</analog_input>\n");
}

int print_xml_analog_constants(output_writer& out, const analog_input_const& k) {
  const auto widened = [](float c) { return static_cast<double>(c); };
  out.text("<analog_input_constants>\n");
  out.line(OUT_FORMAT("\t<PWR_MON_SF_constant>{}</PWR_MON_SF_constant>\n"), fixed(widened(k.PWR_MON_SF), 6));
  out.line(OUT_FORMAT("\t<REF_5V_constant>{}</REF_5V_constant>\n"), fixed(widened(k.REF_5V), 6));
  out.line(OUT_FORMAT("\t<LOC_ZERO_constant>{}</LOC_ZERO_constant>\n"), fixed(widened(k.LOC_ZERO), 6));
  out.line(OUT_FORMAT("\t<LOC_SF_constant>{}</LOC_SF_constant>\n"), fixed(widened(k.LOC_SF), 6));
  out.line(OUT_FORMAT("\t<GS_ZERO_constant>{}</GS_ZERO_constant>\n"), fixed(widened(k.GS_ZERO), 6));
  out.line(OUT_FORMAT("\t<GS_SF_constant>{}</GS_SF_constant>\n"), fixed(widened(k.GS_SF), 6));
  out.line(OUT_FORMAT("\t<ANALOG_8_SF_constant>{}</ANALOG_8_SF_constant>\n"), fixed(widened(k.ANALOG_8_SF), 6));
  return out.text("</analog_input_constants>\n");
}
