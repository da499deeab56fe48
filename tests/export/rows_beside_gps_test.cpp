// The row exports put the GPS sentences together on a thread of their own when the LOG is a
// regular file; from a stream that can't be opened again they assemble them in the pass. The
// documents must be the same, across restarts (whose clock is read ahead) and segments without
// fixes (the thread sanitizer build runs the ConcurrentDecode tests).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "export/export_run.h"
#include "support/capture.h"
#include "support/flown_scenario.h"

namespace {

std::string document_of(const char* format, const std::string& log, bool regular_file) {
  const context_ptr ctx = make_context();
  FILE* in = regular_file ? stream_with(log) : fmemopen(const_cast<char*>(log.data()), log.size(), "rb");
  FILE* out = std::tmpfile();
  export_request request = default_export_request();
  request.gps_on_thread = true;
  export_log(*find_export_format(format), *ctx, request, in, out);
  std::fclose(in);
  return drain_stream(out);
}

}  // namespace

TEST(ConcurrentDecode, RowExportsAreTheSameWithTheGpsOnAThreadOfItsOwn) {
  for (const char* scenario : {"krnt_to_kpae", "in_flight_clock_restart", "segment_without_fixes", "joined_logs"}) {
    const std::string& log = fly(scenario).log;
    for (const char* format : {"csv", "avionics-csv", "kml"}) {
      const std::string threaded = document_of(format, log, true);
      EXPECT_GT(threaded.size(), 1000u) << scenario << ", " << format;
      EXPECT_EQ(threaded, document_of(format, log, false)) << scenario << ", " << format;
    }
  }
}
