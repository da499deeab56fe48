// The plain CSV: RFC 4180, a header row of ASCII snake_case names with the unit as suffix, then
// one row per period of every decoded value as it stands at that instant, lines ended by CRLF.
//
//   time_utc,log_time_s,latitude_deg,longitude_deg,...,cht1_f,...
//   2026-03-11T22:22:46Z,754.000,47.390835,-122.205666,...,352,...
#include "decode/record_loop.h"
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

export_result export_csv(decode_context& ctx, const export_request& request, FILE* input, FILE* output) {
  export_result result;
  export_plan plan;
  result.error = plan_export(ctx, request, input, false, plan);
  if (!result.error.empty()) return result;
  if (!plan.has_utc) result.warnings.push_back(no_utc_warning("time_utc is empty"));

  begin_export_pass(ctx, request, input, output, plan);
  output_writer& out = ctx.out;
  write_header(out, plan.units);
  const auto write_row = [&out, &result](const sampled_row& r) {
    bool first = true;
    for (const export_column& c : csv_columns()) {
      if (!first) out.text(",");
      first = false;
      c.write(out, r);
    }
    out.text("\r\n");
    ++result.items;
  };
  row_sampler sampler(ctx, plan.sampling, write_row);
  run_record_loop(ctx, sampler);
  finish_export(ctx, plan, result);
  return result;
}
