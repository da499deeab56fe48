#include "decode/gps_ahead.h"

#include "decode/decode_context.h"
#include "decoders/gps/assembly.h"
#include "records/read_ahead.h"

#if !defined(__wasi__)

#include <thread>

#include "decode/block_channel.h"
#include "records/record_reader.h"
#include "records/source_type.h"

namespace {

// What one GPS record did to its port.
struct gps_outcome {
  std::uint64_t offset = 0;
  std::uint8_t port = 0;
  bool new_fix = false;
  bool buffer_full = false;
  std::int32_t format = 0;
  std::uint64_t accepted = 0;
  std::uint64_t rejected = 0;
  gps_fix fix{};
};

void apply(const gps_outcome& o, gps_composite_state& port) {
  port.fix = o.fix;
  port.format = o.format;
  port.sentences_accepted = o.accepted;
  port.sentences_rejected = o.rejected;
  port.buffer_full = o.buffer_full;
}

}  // namespace

struct gps_ahead::state {
  FILE* input = nullptr;
  record_reader reader;
  gps_composite_state ports[2];  // the thread's, and once it has ended, the pass's to go on from
  block_channel<gps_outcome> outcomes;
  std::thread thread;
  bool ended = false;       // the pass has read every outcome
  bool abandoned = false;   // ... or gave up the thread

  ~state() {
    if (thread.joinable()) {
      outcomes.cancel();
      thread.join();
    }
    if (input != nullptr) std::fclose(input);
  }

  void run() {
    efis_record record;
    for (;;) {
      const read_outcome r = reader.next(record);
      if (r == read_outcome::end) break;
      if (r != read_outcome::record) continue;
      const int port = record.source_type == source_gps_1 ? 0 : record.source_type == source_gps_2 ? 1 : -1;
      if (port < 0) continue;
      gps_composite_state& p = ports[port];
      const bool new_fix = process_gps_entry(record.payload, record.length, &p);
      gps_outcome* o = outcomes.next();
      if (o == nullptr) break;  // the pass gave up
      o->offset = record.offset;
      o->port = static_cast<std::uint8_t>(port);
      o->new_fix = new_fix;
      o->buffer_full = p.buffer_full;
      o->format = p.format;
      o->accepted = p.sentences_accepted;
      o->rejected = p.sentences_rejected;
      o->fix = p.fix;
      outcomes.commit();
    }
    reader.stop_reading();
    outcomes.close();
  }
};

gps_ahead::gps_ahead() = default;

bool gps_ahead::start(FILE* input, long start, std::int32_t gps_1_format, std::int32_t gps_2_format) {
  state_.reset();
  if (start < 0) return false;
  FILE* again = open_again(input);
  if (again == nullptr) return false;
  std::unique_ptr<state> s(new state);  // the reader's blocks need no zeros first
  s->input = again;
  if (std::fseek(again, start, SEEK_SET) != 0) return false;
  s->reader.reset(again);
  s->reader.read_on_this_thread();
  s->ports[0] = s->ports[1] = gps_composite_state{};  // as a pass's ports start
  reset_gps_port(&s->ports[0], gps_1_format);
  reset_gps_port(&s->ports[1], gps_2_format);
  try {
    s->thread = std::thread([p = s.get()] { p->run(); });
  } catch (const std::system_error&) {
    return false;
  }
  state_ = std::move(s);
  return true;
}

bool gps_ahead::take(int port, const efis_record& record, gps_composite_state& port_state, gps_composite_state& other) {
  state& s = *state_;
  if (!s.ended && !s.abandoned) {
    const gps_outcome* o = s.outcomes.peek();
    if (o != nullptr && o->offset == record.offset && o->port == port) {
      apply(*o, port_state);
      const bool new_fix = o->new_fix;
      s.outcomes.pop();
      return new_fix;
    }
    if (o == nullptr) {
      // The thread's reading ended before this record: on from the ports as it left them.
      s.thread.join();
      s.ended = true;
      port_state = s.ports[port];
      other = s.ports[1 - port];
    } else {
      s.abandoned = true;
    }
  }
  return process_gps_entry(record.payload, record.length, &port_state);
}

#else

struct gps_ahead::state {};
gps_ahead::gps_ahead() = default;
bool gps_ahead::start(FILE*, long, std::int32_t, std::int32_t) { return false; }
bool gps_ahead::take(int, const efis_record& record, gps_composite_state& port_state, gps_composite_state&) {
  return process_gps_entry(record.payload, record.length, &port_state);
}

#endif

gps_ahead::~gps_ahead() {
  if (followed_ != nullptr && followed_->gps == this) followed_->gps = nullptr;
}

void gps_ahead::follow(decode_context& ctx, FILE* input, long start) {
  if (!this->start(input, start, ctx.summary.gps_1.format, ctx.summary.gps_2.format)) return;
  followed_ = &ctx;
  ctx.gps = this;
}
