// The columns of the row exports: one row of the table per column, with its name, its unit and
// how its cell is read from a sampled row. A cell whose source has sent nothing yet is empty,
// never 0. So is a cell of a cylinder that is not fitted (a probe that is not there reads 0).
//
// The engine values are reported in the units the LOG's settings give (engine_units): their
// unit is a kind here, and the name or units line says the unit in force.
//
// A row is written into a buffer of its own and handed to the writer whole: each cell writes its
// text straight at the row's end, and a format whose table is in reach writes its cells in one
// unrolled sequence (write_csv_cells), so no cell costs a call through the table. A cell whose
// text costs a fixed-point formatting keeps its last text with the value it shows (kept_cell):
// most values stand still from one row to the next, and a value seen before is a copy.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "decode/engine_units.h"
#include "sampling/sampled_rows.h"
#include "text/output_writer.h"
#include "text/placeholder_text.h"

// The room one cell's text may need: a double of 309 integer digits, with the margin the C
// library's formatter is given for such a value.
constexpr std::size_t cell_text_max = fixed_format_max + 32;

// A value's text at `at`, as the line format "{}" writes it.
template <typename T>
char* put_cell(char* at, const T& value) {
  return placeholder_text::put<placeholder_kind::plain>(at, value);
}

// A cell's last text and the bits of the value it shows. Each column of a document's rows has
// one, kept from row to row while the document is written.
struct kept_cell {
  static constexpr std::size_t room = 16;  // a longer text is not kept (formatted every time)
  std::uint64_t value_bits = 0;
  std::uint8_t length = 0;  // 0: nothing kept (a number's text is never empty)
  char text[room];
};

// The text of a value whose text depends on nothing but the value's bits: the kept text when the
// value is the one kept, else the value's text from `put(at)`, kept for the next row.
template <typename Put>
[[gnu::always_inline]] inline char* put_kept(char* at, kept_cell& kept, std::uint64_t value_bits, Put put) {
  if (kept.length != 0 && kept.value_bits == value_bits) {
    std::memcpy(at, kept.text, kept_cell::room);  // the cell's room is larger
    return at + kept.length;
  }
  char* const end = put(at);
  const auto length = static_cast<std::size_t>(end - at);
  kept.length = length <= kept_cell::room ? static_cast<std::uint8_t>(length) : 0;
  kept.value_bits = value_bits;
  std::memcpy(kept.text, at, kept_cell::room);
  return end;
}

// "%.Nf" of a value, through the cell's kept text.
[[gnu::always_inline]] inline char* put_kept(char* at, kept_cell& kept, fixed_value f) {
  return put_kept(at, kept, std::bit_cast<std::uint64_t>(f.value), [f](char* to) { return put_cell(to, f); });
}

// The same for an exact decimal: a column's field keeps its scale, so the numerator says the text.
[[gnu::always_inline]] inline char* put_kept(char* at, kept_cell& kept, ratio_value r) {
  return put_kept(at, kept, static_cast<std::uint64_t>(r.numerator), [r](char* to) { return put_cell(to, r); });
}

// "YYYY-MM-DDThh:mm:ss.fffZ" as iso8601_utc_ms writes it; the date's text is kept for its day,
// so the rows of a day only write their time of day.
char* put_kept_utc(char* at, kept_cell& kept, std::int64_t utc_ms);

enum class column_unit : std::uint8_t {
  fixed,        // the unit text says it
  cht,          // cylinder-head temperatures
  temperature,  // the other engine temperatures
  fuel,         // a quantity of fuel
  fuel_flow,    // fuel per hour
};

struct export_column {
  std::string_view name;  // the plain CSV gives the engine units as a suffix ("cht1" -> "cht1_f")
  std::string_view unit;  // for column_unit::fixed
  column_unit kind;
  // Writes the cell's text at `at` (room for cell_text_max characters) and returns its end;
  // writes nothing when the row does not hold the value. `kept` is the column's own, for
  // put_kept().
  char* (*write)(char* at, const sampled_row& row, kept_cell& kept);
  // The cylinder of a CHT or EGT column, 1 to 6 (0 for the others): the cell stays empty for a
  // cylinder beyond those the LOG's setting says are fitted.
  std::size_t cylinder = 0;

  bool holds_data(std::size_t cylinders) const { return cylinder <= cylinders; }
};

// The columns of the plain CSV, every decoded value, in order.
std::span<const export_column> csv_columns();

// The room a plain CSV row needs: every cell, its comma and the line end.
std::size_t csv_row_room();

// Writes the cells of a plain CSV row at `at` (room for csv_row_room()), comma-separated, those
// of the cylinders beyond `cylinders` empty; returns the end. No line end. `kept` holds one
// kept_cell per column (csv_columns().size()), the same for every row of a document.
char* write_csv_cells(char* at, const sampled_row& row, std::size_t cylinders, kept_cell* kept);

// The unit suffix of a plain CSV column ("_f", "_gal", "_gph"), empty for a fixed column (whose
// name carries its unit).
std::string_view csv_unit_suffix(column_unit kind, const engine_units& units);

// Values several exports share, read from a row the same way everywhere.
namespace row_values {
// A GPS number: whole for the aviation format, up to two decimals for NMEA.
char* write_gps_number(char* at, double value);
// The same through the cell's kept text.
inline char* write_gps_number(char* at, kept_cell& kept, double value) {
  return put_kept(at, kept, std::bit_cast<std::uint64_t>(value), [value](char* to) { return write_gps_number(to, value); });
}
void write_gps_number(output_writer& out, double value);
}  // namespace row_values

// Writes a CSV field, quoted (with '"' doubled) when it holds a comma, a quote, a line break or
// a leading or trailing blank.
void write_csv_field(output_writer& out, std::string_view text);
