// The chart data gathered while the flight time line reads the LOG, on a thread and a context
// of their own, so the report's second read of the LOG runs beside its first instead of after.
//
// What the gathering needs from the time line can be known before it for the common case: the
// whole LOG drawn (no window asked), the LOG one segment. The axis is then the segment's span,
// which the LOG's first record and the records framed from its last bytes tell, and the pass's
// clock starts from the segment's first anchor, which a short scan finds as an export's first
// pass does. The data is taken only where the time line's summary gives exactly the axis, the
// clock hints and the buckets it was gathered with: the gathering is a function of those and of
// the LOG's bytes, so its data is then the data a gathering after the time line would give.
// Otherwise (a second segment, which also ends the gathering early, or a span the two ends
// told wrong) the report gathers after the time line, as without this.
//
// Memory: one more decode context and one more set of chart buffers while both passes run.
#pragma once

#include <cstdio>
#include <memory>
#include <optional>

#include "report/html/report_data.h"

struct flight_report_request;

class gathering_ahead {
 public:
  // Starts the gathering of the LOG in input from start (the time line's own position) when
  // the request draws the whole LOG and the input can be read a second time on its own.
  gathering_ahead(const flight_report_request& request, const report_gathering& gathering, FILE* input, long start);
  ~gathering_ahead();  // waits for the thread
  gathering_ahead(const gathering_ahead&) = delete;
  gathering_ahead& operator=(const gathering_ahead&) = delete;

  // Waits for the gathering, and gives its data when it was gathered with what the summary
  // gives for the gathering asked (the axis laid anew from the summary); nothing otherwise.
  std::optional<report_data> take(const log_summary& summary, const report_gathering& gathering);

 private:
  struct state;
  std::unique_ptr<state> state_;
};
