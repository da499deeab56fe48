// The coordinate texts are read the way the C library's formatted input reads "%c %2d %2d%2d"
// (aviation) and "%2d%f" (NMEA): numbers skip leading white space, take an optional sign
// within their width, and a number that cannot be read leaves it and every later one at 0.
// They run for every record of the flight-path pass, so they are plain loops over the text.
#include "decoders/gps/coordinates.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "text/char_class.h"
#include "text/float_from_chars.h"

namespace {

const char* skip_white_space(const char* p) {
  while (is_white_space(*p)) ++p;
  return p;
}

// A %Nd conversion: optional sign and digits, at most width characters together. Leaves
// value alone and returns nullptr when no digit can be read. Inline: the coordinates read it
// with constant widths.
inline const char* read_int(const char* p, int width, int* value) {
  p = skip_white_space(p);
  bool negative = false;
  int used = 0;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
    ++used;
  }
  if (used == width || !is_digit(*p)) return nullptr;
  int v = 0;
  while (used < width && is_digit(*p)) {
    v = v * 10 + (*p++ - '0');
    ++used;
  }
  *value = negative ? -v : v;
  return p;
}

// The digits of a decimal text from p, the point's dropped, as one number (it may wrap past 19
// digits: the callers read at most 15), how many there are, how many follow the point, and
// where the text goes on.
struct decimal_digits {
  std::uint64_t digits = 0;
  std::ptrdiff_t count = 0;
  std::ptrdiff_t decimals = 0;
  const char* end = nullptr;
};

inline decimal_digits gather_digits(const char* p) {
  decimal_digits d;
  const char* whole = p;
  for (; is_digit(*p); ++p) d.digits = d.digits * 10 + static_cast<std::uint64_t>(*p - '0');
  d.count = p - whole;
  if (*p == '.') {
    const char* fraction = ++p;
    for (; is_digit(*p); ++p) d.digits = d.digits * 10 + static_cast<std::uint64_t>(*p - '0');
    d.decimals = p - fraction;
    d.count += d.decimals;
  }
  d.end = p;
  return d;
}

// The usual minutes text, digits with at most one point and no exponent, whose digits make at
// most 2^24 with at most 10 of them after the point: the digits and the power of ten are then
// both exact floats, so one division rounds once, to the value the full reading gives. False
// (value untouched) for anything else.
bool read_short_decimal(const char* p, float* value) {
  static constexpr float powers[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f};
  constexpr std::uint64_t exact_below = std::uint64_t{1} << 24;
  constexpr std::ptrdiff_t most_digits = 9;
  // Every digit is gathered; a text of more than nine (whose number may have wrapped) is not
  // read here.
  const decimal_digits d = gather_digits(p);
  const std::uint64_t digits = d.digits;
  const std::ptrdiff_t count = d.count;
  const std::ptrdiff_t decimals = d.decimals;
  p = d.end;
  if (count == 0 || count > most_digits || *p == 'e' || *p == 'E' || digits > exact_below) return false;
  *value = static_cast<float>(digits) / powers[decimals];
  return true;
}

// A %f conversion into a 32-bit float, rounded once from the decimal text as the C library
// does; value is left alone when no number can be read. The NMEA fields hold only digits and
// '.', for which this is exactly the C library's reading.
void read_float(const char* p, float* value) {
  p = skip_white_space(p);
  if (read_short_decimal(p, value)) return;
  const char* end = p;
  while (*end != '\0') ++end;
  const bool plus = *p == '+';
  if (plus && (p[1] == '-' || p[1] == '+')) return;
  float v = 0.0f;
  const auto result = float_from_chars(p + (plus ? 1 : 0), end, v, std::chars_format::general);
  if (result.ec == std::errc()) *value = v;
}

// "%c %Nd %2d%2d": hemisphere letter, degrees, minutes, hundredths of a minute.
template <int degree_width, char negative_upper>
float aviation_decimal(const char* text) {
  if (*text == '\0') return 0.0f;
  const char hemisphere = *text;
  int degrees = 0;
  int minutes = 0;
  int hundredths = 0;
  const char* p = skip_white_space(text + 1);
  p = read_int(p, degree_width, &degrees);
  if (p != nullptr) p = read_int(skip_white_space(p), 2, &minutes);
  if (p != nullptr) p = read_int(p, 2, &hundredths);
  float value = static_cast<float>(degrees + (minutes + hundredths / 100.0) / 60.0);
  if (hemisphere == negative_upper || hemisphere == negative_upper + ('a' - 'A')) value = -value;
  return value;
}

// "%Nd%f": whole degrees, then minutes with their fraction.
template <int degree_width, char negative_upper>
float nmea_decimal(const char* text, const char* hemisphere) {
  int degrees = 0;
  float minutes = 0.0f;
  const char* p = read_int(text, degree_width, &degrees);
  if (p != nullptr) read_float(p, &minutes);
  float value = static_cast<float>(degrees + minutes / 60.0);
  const char h = hemisphere[0];
  if (h == negative_upper || h == negative_upper + ('a' - 'A')) value = -value;
  return value;
}

}  // namespace

float aviation_latitude_decimal(const char* latitude) { return aviation_decimal<2, 'S'>(latitude); }

float aviation_longitude_decimal(const char* longitude) { return aviation_decimal<3, 'W'>(longitude); }

float nmea_latitude_decimal(const char* latitude, const char* hemisphere) {
  return nmea_decimal<2, 'S'>(latitude, hemisphere);
}

float nmea_longitude_decimal(const char* longitude, const char* hemisphere) {
  return nmea_decimal<3, 'W'>(longitude, hemisphere);
}

double decimal_number(const char* text) {
  // The usual field, an optional sign, up to 15 digits and a point, is read directly: its
  // digits are an exact double and so is every power of ten up to 10^22, so one division
  // rounds once, to the value strtod gives. Anything else (blanks, exponents, hexadecimal,
  // longer numbers) goes to strtod.
  static constexpr double powers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  const char* p = text;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  // Every digit is gathered; a text of more than fifteen (whose number may have wrapped) goes
  // to strtod.
  const decimal_digits d = gather_digits(p);
  const std::uint64_t digits = d.digits;
  const std::ptrdiff_t count = d.count;
  const std::ptrdiff_t decimals = d.decimals;
  p = d.end;
  if (count == 0 || count > 15 || *p == 'e' || *p == 'E' || *p == 'x' || *p == 'X') return std::strtod(text, nullptr);
  const double magnitude = static_cast<double>(digits) / powers[decimals];
  return negative ? -magnitude : magnitude;
}

int whole_number(const char* text) {
  // The usual item, a few digits and nothing before them: no sign, no saturation to mind.
  if (is_digit(text[0])) {
    int v = text[0] - '0';
    const char* p = text + 1;
    for (int digits = 1; digits < 9 && is_digit(*p); ++digits) v = v * 10 + (*p++ - '0');
    if (!is_digit(*p)) return v;
  }
  const char* p = skip_white_space(text);
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulate as the C library's strtol does, saturating at the range of long, then keep
  // the low 32 bits as its atoi does.
  constexpr unsigned long long limit = static_cast<unsigned long long>(LONG_MAX) + 1;
  unsigned long long v = 0;
  // Eighteen digits cannot reach the limit; only longer runs need the saturating step.
  for (int digits = 0; digits < 18 && is_digit(*p); ++digits) v = v * 10 + static_cast<unsigned long long>(*p++ - '0');
  while (is_digit(*p)) {
    const auto digit = static_cast<unsigned long long>(*p++ - '0');
    v = v > (limit - digit) / 10 ? limit : v * 10 + digit;
  }
  long result;
  if (negative) {
    result = v == limit ? LONG_MIN : -static_cast<long>(v);
  } else {
    result = v == limit ? LONG_MAX : static_cast<long>(v);
  }
  return static_cast<int>(result);
}
