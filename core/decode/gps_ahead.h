// The GPS ports' sentences put together on a thread of their own, from a second reading of the
// LOG, while the pass reads on: the pass's GPS records then only take what the thread made of
// them (the fix, the counts) instead of assembling their sentences themselves.
//
// The thread reads the same bytes from the same place with the same framing, and assembles every
// GPS record read whole as the dispatch does, so each of its outcomes is the one the pass would
// have had; the pass checks that each outcome is of the record it is at (its offset and port).
// When the thread's reading ended before the pass's (a LOG still being written), the pass goes
// on from the ports as the thread left them, assembling the rest itself. When an outcome is not
// of the record (the file changed under the readings), the pass gives up the thread and
// assembles the rest itself from where it stands.
//
// Only a pass that reads the ports' fixes and counts may take this: the ports' sentence buffers
// and fields stay as they were. A pass that repositions the reader does not.
//
// WebAssembly under WASI has no threads: there start() is always false.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "decoders/gps/gps_state.h"
#include "records/efis_record.h"

class gps_ahead {
 public:
  gps_ahead();
  ~gps_ahead();  // stops the thread
  gps_ahead(const gps_ahead&) = delete;
  gps_ahead& operator=(const gps_ahead&) = delete;

  // Starts the thread on a second stream of input (a regular file) from start, the pass's own
  // position, with the ports reset to these formats. False when it can't.
  bool start(FILE* input, long start, std::int32_t gps_1_format, std::int32_t gps_2_format);

  // The GPS record the pass is at, of port (0 or 1): port_state takes the thread's fix and
  // counts for it; true when it gave a new fix.
  bool take(int port, const efis_record& record, gps_composite_state& port_state, gps_composite_state& other);

 private:
  struct state;
  std::unique_ptr<state> state_;
};
