#include "decoders/analog.h"

namespace {

namespace f = analog_layout;

constexpr const layout_field* all_fields[] = {&f::value[0], &f::value[15]};
static_assert(layout_extent(all_fields) == f::size);

double widened(float constant) { return static_cast<double>(constant); }

analog_flag flag_of(std::uint16_t reading) {
  if (reading >= analog_flag_valid_from) return analog_flag::valid;
  return reading > analog_flag_invalid_up_to ? analog_flag::bad_data : analog_flag::invalid;
}

template <std::size_t... I>
void read_all(const std::uint8_t* p, std::uint16_t (&out)[f::reading_count], std::index_sequence<I...>) {
  ((out[I] = static_cast<std::uint16_t>(raw_value<f::value, I>(p))), ...);
}

}  // namespace

analog_values decode_analog(const std::uint8_t* p, const analog_input_const& k) {
  analog_values v;
  read_all(p, v.reading, std::make_index_sequence<f::reading_count>{});
  const auto value = [&v](std::size_t n) { return v.reading[n - 1]; };  // value1 .. value16
  const double pwr_mon_sf = widened(k.PWR_MON_SF);
  v.voltage[0] = value(3) * pwr_mon_sf;
  v.voltage[1] = value(2) * pwr_mon_sf;
  v.voltage[2] = value(1) * pwr_mon_sf;
  v.localiser_deviation = (value(4) - widened(k.LOC_ZERO)) * widened(k.LOC_SF) * 1000.0;
  v.localiser_flag = flag_of(value(5));
  v.glide_deviation = (value(6) - widened(k.GS_ZERO)) * widened(k.GS_SF) * 1000.0;
  v.glide_flag = flag_of(value(7));
  v.internal_temp = value(8) * (widened(k.REF_5V) / 1024.0) * 10.0;
  for (std::size_t i = 0; i < 8; ++i) v.general[i] = value(9 + i) * widened(k.ANALOG_8_SF);
  return v;
}
