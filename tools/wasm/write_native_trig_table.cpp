// Built and run on the build machine by the WebAssembly build (tools/wasm/CMakeLists.txt): writes
// the table of native_trig.cpp, the single-precision sines and cosines this machine's C library
// gives for every angle the classic KML's wingtips can take, where they are not the value the
// module computes.
//
// The KML's angles are the AHRS roll, pitch and yaw: a 16-bit count of half turns (decoders/ahrs.h),
// as a double, then a float in the flight path (path/summary_path.cpp), in radians as a float
// (radians_of in path/kml.cpp): 65536 values. The C library's sinf and cosf are not always
// correctly rounded, and the module's C library rounds differently. The module computes the
// correctly rounded value from its double-precision sine and cosine; this table gives the native
// value wherever that is not it, and wherever the exact value lies too close to a rounding
// boundary for a double to settle it.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

constexpr double pi = 3.141592653589793;

std::uint32_t bits_of(float f) {
  std::uint32_t b;
  std::memcpy(&b, &f, sizeof b);
  return b;
}

// Whether the float nearest exact is unsettled by a relative error of 2^-45 (a double's sine
// is within 2^-52).
bool near_a_boundary(long double exact) {
  const long double margin = std::ldexp(1.0L, -45);
  const float nearest = static_cast<float>(exact);
  return static_cast<float>(exact * (1 + margin)) != nearest || static_cast<float>(exact * (1 - margin)) != nearest;
}

void note(std::map<std::uint32_t, std::uint32_t>& table, float x, float native, long double exact) {
  if (bits_of(native) != bits_of(static_cast<float>(exact)) || near_a_boundary(exact)) {
    table[bits_of(x)] = bits_of(native);
  }
}

void print_table(const char* name, const std::map<std::uint32_t, std::uint32_t>& table) {
  std::printf("const native_trig_value %s[] = {\n", name);
  for (const auto& [x, value] : table) std::printf("    {0x%08xu, 0x%08xu},\n", x, value);
  std::printf("};\nconst std::size_t %s_count = %zu;\n\n", name, table.size());
}

}  // namespace

int main() {
  std::map<std::uint32_t, std::uint32_t> sines;
  std::map<std::uint32_t, std::uint32_t> cosines;
  for (int raw = -32768; raw <= 32767; ++raw) {
    double degrees_read = raw;
    degrees_read *= 180.0;
    degrees_read /= 32768.0;
    const auto degrees = static_cast<float>(degrees_read);
    const auto x = static_cast<float>(degrees * pi / 180);
    // The compiler may take both from one sincosf call where the code asks for both: that must
    // give what sinf and cosf give.
    float sine;
    float cosine;
    sincosf(x, &sine, &cosine);
    if (bits_of(sine) != bits_of(sinf(x)) || bits_of(cosine) != bits_of(cosf(x))) {
      std::fprintf(stderr, "write_native_trig_table: sincosf and sinf, cosf disagree at %a\n", static_cast<double>(x));
      return 1;
    }
    note(sines, x, sine, sinl(x));
    note(cosines, x, cosine, cosl(x));
  }
  std::printf("// Written by tools/wasm/write_native_trig_table.cpp on the build machine.\n");
  std::printf("#include \"native_trig.h\"\n\n");
  print_table("native_sines", sines);
  print_table("native_cosines", cosines);
  return 0;
}
