// The GPS ports' sentences put together on the reading thread (records/read_ahead.h), block by
// block before the pass gets each block: the pass's GPS records then only take what that thread
// made of them (the fix, the counts) instead of assembling their sentences themselves.
//
// The thread frames the very blocks the pass reads, as the pass frames them, and assembles
// every GPS record read whole as the dispatch does, so each of its outcomes is the one the pass
// would have had; the pass checks that each outcome is of the record it is at (its offset and
// port). When an outcome is not (which the shared framing rules out), the pass gives up the
// thread's outcomes and assembles the rest itself from where it stands.
//
// Only a pass that reads the ports' fixes and counts may take this: the ports' sentence buffers
// and fields stay as they were. A pass that repositions its reader takes what the thread made up
// to there, then assembles the rest itself.
//
// It pays where the pass does enough with each record for the reading thread, which also copies
// the blocks from the kernel, to keep ahead: the summaries and the row exports. The light passes
// (the KML pass, the tracks, the KML export) measured slower with it: the reading thread then
// paces them.
//
// WebAssembly under WASI has no threads: there follow() never takes effect.
#pragma once

#include <cstdint>
#include <memory>

#include "decoders/gps/gps_state.h"
#include "records/efis_record.h"

struct decode_context;

class gps_ahead {
 public:
  gps_ahead();
  ~gps_ahead();  // stops the reading it follows, and its context takes its ports itself again
  gps_ahead(const gps_ahead&) = delete;
  gps_ahead& operator=(const gps_ahead&) = delete;

  // For a pass just begun on ctx (no record read yet): ctx's GPS records take from the reading
  // thread from now on, when the input is read on one (else the pass goes on as without it).
  void follow(decode_context& ctx);

  // The GPS record the pass is at, of port (0 or 1): port_state takes the thread's fix and
  // counts for it; true when it gave a new fix.
  bool take(int port, const efis_record& record, gps_composite_state& port_state, gps_composite_state& other);

 private:
  void stop_reading();  // the followed context's, where the reading thread works for this

  struct state;
  std::unique_ptr<state> state_;
  decode_context* followed_ = nullptr;
};
