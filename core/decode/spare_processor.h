// Whether a pass may start threads beside its reading: they pay only where a processor would
// otherwise be idle. A pass holds a spare_processor while it runs; it says yes while fewer
// passes that hold one run in the process than there are processors it may run on (its
// affinity): one LOG at a time, not a fleet read as many at once as there are processors, and
// never on one processor.
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
