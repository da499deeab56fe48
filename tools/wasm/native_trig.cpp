// sinf and cosf for the module, in place of the WASI C library's, so that the KML's wingtips
// are the native bytes: the correctly rounded value, from the double-precision sine and cosine,
// except where the build machine's C library gives another (the table write_native_trig_table.cpp
// writes for every angle the KML can take). The library calls them by their C names; defined
// here, they are linked before the C library's.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "native_trig.h"

namespace {

float float_of(std::uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// The native value of x, when the table has one.
bool native_value(const native_trig_value* table, std::size_t count, float x, float& value) {
  std::uint32_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const native_trig_value* end = table + count;
  const native_trig_value* found =
      std::lower_bound(table, end, bits, [](const native_trig_value& e, std::uint32_t b) { return e.x < b; });
  if (found == end || found->x != bits) return false;
  value = float_of(found->value);
  return true;
}

// Through a pointer, so that the compiler does not turn the double call back into sinf.
double (*volatile double_sin)(double) = std::sin;
double (*volatile double_cos)(double) = std::cos;

}  // namespace

extern "C" float sinf(float x) {
  float value;
  if (native_value(native_sines, native_sines_count, x, value)) return value;
  return static_cast<float>(double_sin(x));
}

extern "C" float cosf(float x) {
  float value;
  if (native_value(native_cosines, native_cosines_count, x, value)) return value;
  return static_cast<float>(double_cos(x));
}
