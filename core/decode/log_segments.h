// The segments of a LOG: the stretches it was written in without a break. An EFIS switched off
// and on again leaves either a gap with no record at all (its LOG timer counted on meanwhile)
// or LOG time going back (the timer started again near zero, as it does in two LOGs joined with
// cat). A record starts a new segment when it comes 60 s or more after the record read before
// it, or more than 2 s before it; a smaller step back stays within the segment (the LOG's
// health counts it). Each segment gets its own clock (utc_clock.h).
#pragma once

#include <cstdint>

constexpr std::uint32_t segment_gap_ms = 60'000;
constexpr std::uint32_t segment_step_back_ms = 2'000;

// How a segment began.
enum class segment_cause : std::uint8_t {
  first,   // the LOG's first record
  gap,     // 60 s or more after the record before it: the LOG timer ran on
  restart  // more than 2 s before it: the LOG timer started again
};

// Follows the records' timestamps through a pass: the segment each record lies in.
class log_segments {
 public:
  // Every record read whole, before its dispatch: its timestamp and its offset in the input.
  void note(std::uint32_t t, std::uint64_t offset) {
    // The usual record: at or after the one before, and less than a gap after it (none is
    // usual before the first).
    if (t - last_ms_ < usual_below_ms_) {
      began_ = false;
      stepped_back_ = false;
      last_ms_ = t;
      return;
    }
    note_unusual(t, offset);
  }

  // A pass that starts at a segment other than the LOG's first (after a seek to its first
  // record): the segment's number and how it began. The next record noted begins it.
  void resume_at(std::uint32_t index, segment_cause cause) {
    *this = log_segments{};
    index_ = index;
    cause_ = cause;
  }

  bool any() const { return any_; }
  // The record noted last began a segment (the LOG's first record included).
  bool began() const { return began_; }
  // ... or stepped back in LOG time by at most segment_step_back_ms.
  bool stepped_back() const { return stepped_back_; }

  std::uint32_t index() const { return index_; }  // 0 for the LOG's first segment
  segment_cause cause() const { return cause_; }
  std::uint32_t first_ms() const { return first_ms_; }          // of the segment's first record
  std::uint64_t first_offset() const { return first_offset_; }  // in the input, from where the pass began
  std::uint32_t last_ms() const { return last_ms_; }            // of the record noted last
  // The last record of the segment before (when this one is not the first).
  std::uint32_t previous_last_ms() const { return previous_last_ms_; }

 private:
  // The first record, one that steps back, and one after a gap.
  void note_unusual(std::uint32_t t, std::uint64_t offset) {
    began_ = !any_ || (t < last_ms_ ? last_ms_ - t > segment_step_back_ms : t - last_ms_ >= segment_gap_ms);
    stepped_back_ = !began_ && t < last_ms_;
    if (began_) {
      if (any_) {
        ++index_;
        cause_ = t < last_ms_ ? segment_cause::restart : segment_cause::gap;
        previous_last_ms_ = last_ms_;
      }
      first_ms_ = t;
      first_offset_ = offset;
    }
    any_ = true;
    usual_below_ms_ = segment_gap_ms;
    last_ms_ = t;
  }

  bool any_ = false;
  std::uint32_t usual_below_ms_ = 0;  // segment_gap_ms once a record was noted
  bool began_ = false;
  bool stepped_back_ = false;
  std::uint32_t index_ = 0;
  segment_cause cause_ = segment_cause::first;
  std::uint32_t first_ms_ = 0;
  std::uint64_t first_offset_ = 0;
  std::uint32_t last_ms_ = 0;
  std::uint32_t previous_last_ms_ = 0;
};
