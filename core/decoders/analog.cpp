// Analog inputs (source type 4).
//
// The payload carries sixteen unsigned 16-bit readings, big-endian in the LOG, at offsets
// 3, 5, ..., 33 (the first three bytes are not decoded):
//   value1..value3   power-monitor voltages, in reverse order (value3 is voltage_1)
//   value4, value5   localiser deviation and its valid flag
//   value6, value7   glideslope deviation and its valid flag
//   value8           internal temperature
//   value9..value16  eight general inputs
// Engineering values are computed in double precision from the reading and the analog input
// constants, each a stored 32-bit float widened to double.
#include "decoders/analog.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/byte_order.h"
#include "records/library_state.h"
#include "xml/fixed_format.h"

namespace {

constexpr std::size_t analog_reading_count = 16;

// Offset of value1 .. value16.
constexpr std::array<std::uint8_t, analog_reading_count> analog_u16_offsets = {
    3, 5, 7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 27, 29, 31, 33};
static_assert(analog_u16_offsets.back() + 2 == analog_entry_size);

constexpr std::size_t first_general_input = 9;  // value9 is scaledvalue1
constexpr std::size_t general_input_count = 8;

// A valid-flag reading of at least 20 means valid; 10 or less invalid; in between, bad data.
constexpr std::uint16_t flag_valid_from = 20;
constexpr std::uint16_t flag_invalid_up_to = 10;

// Reading n (value1 .. value16, counted from 1), in host byte order.
std::uint16_t reading(const std::uint8_t* payload, std::size_t n) {
  return u16_at(payload, analog_u16_offsets[n - 1]);
}

double widened(float constant) { return static_cast<double>(constant); }

// The localiser_valid or glide_valid line, with the reading itself as the value attribute.
void print_valid_flag(output_writer& out, std::string_view element, std::uint16_t flag) {
  if (flag >= flag_valid_from) {
    out.line(OUT_FORMAT("\t\t<{}_valid state=\"valid\" value=\"{}\">Valid Flag</{}_valid>\n"),
             element, flag, element);
  } else if (flag > flag_invalid_up_to) {
    out.line(OUT_FORMAT("\t\t<{}_valid value=\"{}\">BAD DATA</{}_valid>\n"), element, flag, element);
  } else {
    out.line(OUT_FORMAT("\t\t<{}_valid state=\"invalid\" value=\"{}\">Invalid Flag</{}_valid>\n"),
             element, flag, element);
  }
}

}  // namespace

void swapendian_analog_entry(std::uint8_t* payload) { swap16_fields(payload, analog_u16_offsets); }

int print_xml_analog_entry(const std::uint8_t* payload) {
  output_writer& out = lib.out;
  const analog_input_const& k = lib.constants;
  const double pwr_mon_sf = widened(k.PWR_MON_SF);

  out.text("\t<analog_input>\n");
  out.line(OUT_FORMAT("\t\t<voltage_1>{}</voltage_1>\n"), fixed(reading(payload, 3) * pwr_mon_sf, 2));
  out.line(OUT_FORMAT("\t\t<voltage_2>{}</voltage_2>\n"), fixed(reading(payload, 2) * pwr_mon_sf, 2));
  out.line(OUT_FORMAT("\t\t<voltage_3>{}</voltage_3>\n"), fixed(reading(payload, 1) * pwr_mon_sf, 2));
  out.line(OUT_FORMAT("\t\t<localiser_deviation>{}</localiser_deviation>\n"),
           signed_fixed((reading(payload, 4) - widened(k.LOC_ZERO)) * widened(k.LOC_SF) * 1000.0, 2));
  print_valid_flag(out, "localiser", reading(payload, 5));
  out.line(OUT_FORMAT("\t\t<glide_deviation>{}</glide_deviation>\n"),
           signed_fixed((reading(payload, 6) - widened(k.GS_ZERO)) * widened(k.GS_SF) * 1000.0, 2));
  print_valid_flag(out, "glide", reading(payload, 7));
  out.line(OUT_FORMAT("\t\t<internaltemp>{}</internaltemp>\n"),
           fixed(reading(payload, 8) * (widened(k.REF_5V) / 1024.0) * 10.0, 2));
  for (std::size_t i = 1; i <= general_input_count; ++i) {
    out.line(OUT_FORMAT("\t\t<scaledvalue{}>{}</scaledvalue{}>\n"), i,
             fixed(reading(payload, first_general_input + i - 1) * widened(k.ANALOG_8_SF), 2), i);
  }
  if (lib.options.verbose != 0) {
    for (std::size_t n = 1; n <= analog_reading_count; ++n) {
      out.line(OUT_FORMAT("\t\t<value{}_raw>{}</value{}_raw>\n"), n, reading(payload, n), n);
    }
  }
  return out.text("\t</analog_input>\n");
}

int print_xml_analog_constants() {
  output_writer& out = lib.out;
  const analog_input_const& k = lib.constants;
  out.text("<analog_input_constants>\n");
  out.line(OUT_FORMAT("\t<PWR_MON_SF_constant>{}</PWR_MON_SF_constant>\n"),
           fixed(widened(k.PWR_MON_SF), 6));
  out.line(OUT_FORMAT("\t<REF_5V_constant>{}</REF_5V_constant>\n"), fixed(widened(k.REF_5V), 6));
  out.line(OUT_FORMAT("\t<LOC_ZERO_constant>{}</LOC_ZERO_constant>\n"), fixed(widened(k.LOC_ZERO), 6));
  out.line(OUT_FORMAT("\t<LOC_SF_constant>{}</LOC_SF_constant>\n"), fixed(widened(k.LOC_SF), 6));
  out.line(OUT_FORMAT("\t<GS_ZERO_constant>{}</GS_ZERO_constant>\n"), fixed(widened(k.GS_ZERO), 6));
  out.line(OUT_FORMAT("\t<GS_SF_constant>{}</GS_SF_constant>\n"), fixed(widened(k.GS_SF), 6));
  out.line(OUT_FORMAT("\t<ANALOG_8_SF_constant>{}</ANALOG_8_SF_constant>\n"),
           fixed(widened(k.ANALOG_8_SF), 6));
  return out.text("</analog_input_constants>\n");
}
