// memchr for the module, sixteen bytes at a time with WebAssembly's SIMD instructions, in place of
// the WASI C library's (a word at a time): the GPS sentences are searched for their ends and
// their terminating zero once or twice a record. Defined here, it is linked before the C
// library's. It reads only the n bytes it is given.
#include <wasm_simd128.h>

#include <cstddef>

extern "C" void* memchr(const void* bytes, int c, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  const auto wanted = static_cast<unsigned char>(c);
  const v128_t each = wasm_i8x16_splat(static_cast<signed char>(wanted));
  for (; n >= 16; p += 16, n -= 16) {
    const auto found = static_cast<unsigned>(wasm_i8x16_bitmask(wasm_i8x16_eq(wasm_v128_load(p), each)));
    if (found != 0) return const_cast<unsigned char*>(p + __builtin_ctz(found));
  }
  for (; n > 0; ++p, --n) {
    if (*p == wanted) return const_cast<unsigned char*>(p);
  }
  return nullptr;
}
