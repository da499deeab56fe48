// The native C library's sinf and cosf where the module's would differ (native_trig.cpp), in a
// table the build writes (write_native_trig_table.cpp): input and result as their IEEE bits, by input.
#pragma once

#include <cstddef>
#include <cstdint>

struct native_trig_value {
  std::uint32_t x;
  std::uint32_t value;
};

extern const native_trig_value native_sines[];
extern const std::size_t native_sines_count;
extern const native_trig_value native_cosines[];
extern const std::size_t native_cosines_count;
