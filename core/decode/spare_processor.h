// Whether a pass may start threads beside its reading: they pay only where a processor would
// otherwise be idle. A pass holds a spare_processor while it runs; it says yes while fewer
// passes that hold one run in the process than there are processors it may run on (its
// affinity), and fewer decode contexts are held: one LOG at a time, not a fleet read as many at
// once as there are processors, and never on one processor.
//
// A caller holds a context for each pass it may run at once (one per thread), so the contexts
// it holds say how many passes may run before they have begun: a fleet's first pass, begun
// while the others are about to, does not take threads the others will need.
#pragma once

class spare_processor {
 public:
  spare_processor();
  ~spare_processor();
  spare_processor(const spare_processor&) = delete;
  spare_processor& operator=(const spare_processor&) = delete;

  bool spare() const { return spare_; }

 private:
  bool spare_;
};

// Held by each decode context the C API hands out, for its life.
class held_context {
 public:
  held_context();
  ~held_context();
  held_context(const held_context&) = delete;
  held_context& operator=(const held_context&) = delete;
};
