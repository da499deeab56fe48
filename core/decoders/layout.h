// Payload layouts: each field of a source's payload declared once, with where it lies, how it is
// stored and how its raw number becomes an engineering value. A decoder reads every field
// through its declaration, so the byte order, the signedness and the scale of a field are
// stated in one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "records/byte_order.h"
#include "text/fixed_format.h"

// value = raw * multiply / divide + bias, worked out in double precision in that order (or in
// integers when the scale is a whole multiplier and bias: see whole_value).
struct field_scale {
  double multiply = 1.0;
  double divide = 1.0;
  int bias = 0;
};

struct layout_field {
  std::string_view name;
  std::uint8_t offset;
  std::uint8_t width;  // 1 byte, or 2 bytes big-endian
  bool is_signed;
  field_scale scale;
  std::string_view unit;
};

constexpr layout_field u8_field(std::string_view name, std::uint8_t offset, std::string_view unit = {},
                                field_scale scale = {}) {
  return {name, offset, 1, false, scale, unit};
}
constexpr layout_field s8_field(std::string_view name, std::uint8_t offset, std::string_view unit = {},
                                field_scale scale = {}) {
  return {name, offset, 1, true, scale, unit};
}
constexpr layout_field u16_field(std::string_view name, std::uint8_t offset, std::string_view unit = {},
                                 field_scale scale = {}) {
  return {name, offset, 2, false, scale, unit};
}
constexpr layout_field s16_field(std::string_view name, std::uint8_t offset, std::string_view unit = {},
                                 field_scale scale = {}) {
  return {name, offset, 2, true, scale, unit};
}

// The field's stored number, widened to int.
template <const layout_field& F>
inline int raw_value(const std::uint8_t* payload) {
  if constexpr (F.width == 1) {
    return F.is_signed ? int{s8_at(payload, F.offset)} : int{u8_at(payload, F.offset)};
  } else {
    static_assert(F.width == 2, "fields are one byte or two");
    return F.is_signed ? int{be_s16_at(payload, F.offset)} : int{be_u16_at(payload, F.offset)};
  }
}

// The engineering value of a field with a whole multiplier and divisor 1, in int arithmetic.
template <const layout_field& F>
inline int whole_value(const std::uint8_t* payload) {
  static_assert(F.scale.divide == 1.0 && F.scale.multiply == static_cast<int>(F.scale.multiply),
                "a whole value has a whole multiplier and no divisor");
  return raw_value<F>(payload) * static_cast<int>(F.scale.multiply) + F.scale.bias;
}

// The engineering value of a field in double precision.
template <const layout_field& F>
inline double scaled_value(const std::uint8_t* payload) {
  double v = raw_value<F>(payload);
  if constexpr (F.scale.multiply != 1.0) v *= F.scale.multiply;
  if constexpr (F.scale.divide != 1.0) v /= F.scale.divide;
  if constexpr (F.scale.bias != 0) v += F.scale.bias;
  return v;
}

// A value exactly: numerator / denominator.
struct exact_decimal {
  std::int64_t numerator;
  std::uint32_t denominator;
};

// "%.Nf" and "%+.Nf" of an exact value, worked out in integers: the renderer chooses the decimals.
inline ratio_value decimals(const exact_decimal& x, int precision) {
  return fixed_ratio(x.numerator, x.denominator, precision);
}
inline ratio_value signed_decimals(const exact_decimal& x, int precision) {
  return signed_fixed_ratio(x.numerator, x.denominator, precision);
}

// A scaled field as one record holds it: the stored number, with the field's scale (whole
// numbers) in its type, value = stored * Multiply / Divide + Bias. A document prints the value
// exactly from integers (exact(), decimals()); the figures take value(), the double
// scaled_value gives.
template <int Multiply, int Divide, int Bias>
struct scaled_number {
  static_assert(Multiply >= 1 && Divide >= 1);
  std::int32_t stored;

  double value() const {
    double v = stored;
    if constexpr (Multiply != 1) v *= Multiply;
    if constexpr (Divide != 1) v /= Divide;
    if constexpr (Bias != 0) v += Bias;
    return v;
  }
  // The value of a field without a divisor.
  int whole() const requires(Divide == 1) { return stored * Multiply + Bias; }
  exact_decimal exact() const {
    return {std::int64_t{stored} * Multiply + std::int64_t{Bias} * Divide, static_cast<std::uint32_t>(Divide)};
  }
};

template <int M, int D, int B>
ratio_value decimals(const scaled_number<M, D, B>& n, int precision) {
  return decimals(n.exact(), precision);
}
template <int M, int D, int B>
ratio_value signed_decimals(const scaled_number<M, D, B>& n, int precision) {
  return signed_decimals(n.exact(), precision);
}

// A scale of whole numbers, which a scaled number can carry.
constexpr bool is_whole_scale(const field_scale& s) {
  return s.multiply == static_cast<int>(s.multiply) && s.divide == static_cast<int>(s.divide) && s.divide >= 1.0;
}

// The scaled number of a field.
template <const layout_field& F>
using scaled_field = scaled_number<static_cast<int>(F.scale.multiply), static_cast<int>(F.scale.divide), F.scale.bias>;

// The field read as a scaled number.
template <const layout_field& F>
inline scaled_field<F> scaled_number_of(const std::uint8_t* payload) {
  static_assert(is_whole_scale(F.scale), "a scaled number has a whole multiplier and divisor");
  return {raw_value<F>(payload)};
}

// The same reads for field I of an array of fields: clang 14 takes a whole array as a template
// argument, but not one of its elements.
template <const auto& Fields, std::size_t I>
inline int raw_value(const std::uint8_t* payload) {
  constexpr const layout_field& f = Fields[I];
  if constexpr (f.width == 1) {
    return f.is_signed ? int{s8_at(payload, f.offset)} : int{u8_at(payload, f.offset)};
  } else {
    static_assert(f.width == 2, "fields are one byte or two");
    return f.is_signed ? int{be_s16_at(payload, f.offset)} : int{be_u16_at(payload, f.offset)};
  }
}

template <const auto& Fields, std::size_t I>
inline double scaled_value(const std::uint8_t* payload) {
  constexpr const layout_field& f = Fields[I];
  double v = raw_value<Fields, I>(payload);
  if constexpr (f.scale.multiply != 1.0) v *= f.scale.multiply;
  if constexpr (f.scale.divide != 1.0) v /= f.scale.divide;
  if constexpr (f.scale.bias != 0) v += f.scale.bias;
  return v;
}

template <const auto& Fields, std::size_t I>
using scaled_field_at = scaled_number<static_cast<int>(Fields[I].scale.multiply),
                                      static_cast<int>(Fields[I].scale.divide), Fields[I].scale.bias>;

template <const auto& Fields, std::size_t I>
inline scaled_field_at<Fields, I> scaled_number_of(const std::uint8_t* payload) {
  static_assert(is_whole_scale(Fields[I].scale), "a scaled number has a whole multiplier and divisor");
  return {raw_value<Fields, I>(payload)};
}

// The payload bytes a layout reads: its highest field end.
template <std::size_t N>
constexpr std::size_t layout_extent(const layout_field* const (&fields)[N]) {
  std::size_t extent = 0;
  for (const layout_field* f : fields) extent = f->offset + f->width > extent ? f->offset + f->width : extent;
  return extent;
}
