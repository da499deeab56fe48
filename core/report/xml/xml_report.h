// The XML report document: prologue, options block, per-record elements, periodic summaries.
#pragma once

#include <cstdint>

#include "decode/decode_context.h"
#include "decode/record_effect.h"
#include "records/efis_record.h"
#include "text/decode_time.h"

// The report's steps around each record of the read loop. A summary is due once a record lies
// more than one period past the reference: the first timestamp read (even of a record then
// dropped), then the time of the last summary.
//
// A summary shows a GPS port once it has a fix: an aviation port repeats its last fix in every
// summary, an NMEA port is shown only when a sentence was accepted since the previous summary.
// What each port has shown is the report's own state; the cache is only read.
struct xml_report_steps {
  decode_context& ctx;
  bool summaries;
  std::uint32_t summary_period;
  std::uint32_t summary_reference;
  bool gps_fix_to_show[2] = {false, false};  // GPS 1, GPS 2: a fix the next summary writes
  bool records_selected = true;              // the options select some source's records

  // A record stamped later needs a look (0 until the first reference is taken, then the time a
  // summary falls due; never with summaries off), so the usual record costs one comparison.
  std::uint32_t look_after = 0;

  void take_first_reference(const efis_record& record) {
    if (summary_reference == 0) summary_reference = record.timestamp;
    look_after = summary_reference == 0 ? 0 : summaries ? summary_reference + summary_period : UINT32_MAX;
  }
  void dropped(const efis_record& record) { take_first_reference(record); }
  // Inline: the read loop runs them for every record.
  void before_dispatch(const efis_record& record) {
    if (record.timestamp > look_after) look(record);
  }
  void look(const efis_record& record) {
    take_first_reference(record);
    if (summaries && record.timestamp > summary_reference + summary_period) {
      print_summary();
      summary_reference = record.timestamp;
      look_after = summary_reference + summary_period;
    }
  }
  void unknown(const efis_record& record);
  // Without summaries or selected records the report writes only the unknown entries.
  bool only_health_left() const { return !summaries && !records_selected; }
  void after_dispatch(const efis_record& record, const record_effect& effect);

  // Writes one summary_log_entry element from the latest-value cache.
  int print_summary();
};

// Writes the prologue, the options block and (when asked for) the constants of a pass that has
// begun; the steps then write the records and summaries.
xml_report_steps begin_xml_report(decode_context& ctx, const char* description, const decode_time_text& now);

// Closes the document and flushes the writer; 0, or -1 when a write failed.
int end_xml_report(decode_context& ctx);

// Writes the options block and, when verbose, the verbose header.
int print_xml_header(decode_context& ctx);

// Writes one selected record: its orvex_efis_log_entry element and the body its source writes.
int print_selected_record(decode_context& ctx, const efis_record& record);

inline void xml_report_steps::after_dispatch(const efis_record& record, const record_effect& effect) {
  if (effect.new_fix_port >= 0) gps_fix_to_show[effect.new_fix_port] = true;
  if (effect.selected) print_selected_record(ctx, record);
}
