// Source type names, as written in the source_type_desc attribute of selected records.
#include <array>
#include <cstring>
#include <string_view>

#include "records/efis_record.h"

namespace {

constexpr std::array<std::string_view, 13> source_type_names = {
    "Unknown",      "AHRS_Input", "EIS_Input",   "GPS1_Input",    "ANALOG_Input",
    "SL30_1_Input", "SL30_2_Input", "Set_Menu",  "State",         "ARINC_Input",
    "Weather_Input", "GPS2_Input", "SL40_Input",
};

std::string_view source_type_name(std::uint32_t type) {
  if (type == source_summary) return "Summary Record";
  if (type >= 1 && type < source_type_names.size()) return source_type_names[type];
  return "Unknown";
}

}  // namespace

char* enum_value_source_type(char* dest, std::uint32_t type) {
  const std::string_view name = source_type_name(type);
  std::memcpy(dest, name.data(), name.size());
  dest[name.size()] = '\0';
  return dest;
}
