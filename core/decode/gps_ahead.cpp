#include "decode/gps_ahead.h"

#include "decode/decode_context.h"
#include "decoders/gps/assembly.h"
#include "records/read_ahead.h"

#if !defined(__wasi__)

#include "decode/block_channel.h"
#include "records/record_framer.h"
#include "records/source_type.h"

namespace {

// What one GPS record did to its port (trivial: the channel does not zero its places first).
struct gps_outcome {
  std::uint64_t offset;
  std::uint8_t port;
  bool new_fix;
  bool buffer_full;
  std::int32_t format;
  std::uint64_t accepted;
  std::uint64_t rejected;
  gps_fix fix;
};

void apply(const gps_outcome& o, gps_composite_state& port) {
  port.fix = o.fix;
  port.format = o.format;
  port.sentences_accepted = o.accepted;
  port.sentences_rejected = o.rejected;
  port.buffer_full = o.buffer_full;
}

}  // namespace

struct gps_ahead::state final : block_worker {
  bool given_up = false;  // the thread's: it makes no more outcomes
  record_framer framer;
  gps_composite_state ports[2];  // the thread's, and once it has ended, the pass's to go on from
  // A block of the LOG holds about a thousand GPS records, and each block's outcomes go over
  // when the block is done: blocks of outcomes as large as that, so that the outcomes of a
  // block of the LOG seldom take more than one (measured: smaller blocks of outcomes, or more
  // of them, cost the pass time in waking the threads and in the cache).
  block_channel<gps_outcome, 2048> outcomes;
  // The pass's own, on a cache line the thread does not write.
  alignas(64) bool ended = false;  // the pass has read every outcome
  bool abandoned = false;          // ... or gave up the thread's

  void take_block(const std::uint8_t* block, std::size_t size, read_ahead& reading) override {
    if (given_up) return;
    if (size == 0) {
      outcomes.close();
      return;
    }
    const auto gps = [](std::uint32_t type) { return type == source_gps_1 || type == source_gps_2; };
    framer.take(block, size, gps, [&](const efis_record& record) {
      const int port = record.source_type == source_gps_1 ? 0 : 1;
      if (given_up) return;
      // The outcome's place first: a record the thread gives no outcome leaves the ports as they
      // were, so the pass can go on from them after the last outcome.
      gps_outcome* o = outcomes.next_without_waiting();
      if (o == nullptr) {
        // The pass is behind: it gets this block now, so that waiting for it here can't keep
        // it waiting for the block.
        reading.hand_over();
        o = outcomes.next();
      }
      if (o == nullptr) {
        given_up = true;
        return;
      }
      gps_composite_state& p = ports[port];
      o->new_fix = process_gps_entry(record.payload, record.length, &p);
      o->offset = record.offset;
      o->port = static_cast<std::uint8_t>(port);
      o->buffer_full = p.buffer_full;
      o->format = p.format;
      o->accepted = p.sentences_accepted;
      o->rejected = p.sentences_rejected;
      o->fix = p.fix;
      outcomes.commit();
    });
    outcomes.flush();  // the pass needs this block's outcomes before the thread reads on
  }

  // A reading stopped before its end (the pass moved its reader): the pass takes what the thread
  // made up to there, then the ports as the thread left them.
  void stop_waiting() override { outcomes.stop_producing(); }
  void stopped() override { outcomes.close(); }
};

gps_ahead::gps_ahead() = default;

void gps_ahead::stop_reading() {
  // The reading thread uses state_ until it stops.
  if (followed_->reader.reads_with(state_.get())) followed_->reader.stop_reading();
}

void gps_ahead::follow(decode_context& ctx) {
  std::unique_ptr<state> s(new state);  // the outcomes need no zeros first
  s->ports[0] = s->ports[1] = gps_composite_state{};  // as a pass's ports start
  reset_gps_port(&s->ports[0], ctx.summary.gps_1.format);
  reset_gps_port(&s->ports[1], ctx.summary.gps_2.format);
  if (!ctx.reader.read_with(s.get())) return;
  state_ = std::move(s);
  followed_ = &ctx;
  ctx.gps = this;
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
      // The thread's outcomes ended before this record (its reading stopped there): on from the
      // ports as it left them, after the last record it made an outcome of.
      s.ended = true;
      port_state = s.ports[port];
      other = s.ports[1 - port];
    } else {
      s.abandoned = true;
      s.outcomes.cancel();
    }
  }
  return process_gps_entry(record.payload, record.length, &port_state);
}

#else

struct gps_ahead::state {};
gps_ahead::gps_ahead() = default;
void gps_ahead::stop_reading() {}
void gps_ahead::follow(decode_context&) {}
bool gps_ahead::take(int, const efis_record& record, gps_composite_state& port_state, gps_composite_state&) {
  return process_gps_entry(record.payload, record.length, &port_state);
}

#endif

gps_ahead::~gps_ahead() {
  if (followed_ == nullptr) return;
  stop_reading();
  if (followed_->gps == this) followed_->gps = nullptr;
}
