// The plain CSV: RFC 4180, a header row of ASCII snake_case names with the unit as suffix, then
// one row per period of every decoded value as it stands at that instant, lines ended by CRLF.
//
//   time_utc,log_time_s,latitude_deg,longitude_deg,...,cht1_f,...
//   2026-03-11T22:22:46Z,754.000,47.390835,-122.205666,...,352,...
#include <vector>

#include "export/export_columns.h"
#include "export/export_run.h"

namespace {

void write_header(output_writer& out, const engine_units& units) {
  bool first = true;
  for (const export_column& c : csv_columns()) {
    if (!first) out.text(",");
    first = false;
    write_csv_field(out, c.name);
    out.text(csv_unit_suffix(c.kind, units));
  }
  out.text("\r\n");
}

}  // namespace

void write_csv(export_pass& pass) {
  output_writer& out = pass.out;
  export_result& result = pass.result;
  const std::size_t cylinders = pass.plan.cylinders;
  write_header(out, pass.plan.units);
  std::vector<char> text(csv_row_room());  // one row's text
  std::vector<kept_cell> kept(csv_columns().size());
  char* const start = text.data();
  kept_cell* const kept_cells = kept.data();
  for_each_row(pass, [&out, &result, cylinders, start, kept_cells](const sampled_row& r) {
    char* end = write_csv_cells(start, r, cylinders, kept_cells);
    *end++ = '\r';
    *end++ = '\n';
    out.text(std::string_view(start, static_cast<std::size_t>(end - start)));
    ++result.items;
  });
}
