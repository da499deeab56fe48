// A state that turns on once its condition has held for a while and off once the opposite
// condition has held for a while, judged on the samples as they arrive. The time it turned on
// or off is the first sample of the run that decided it, so a decision is known only once the
// run has lasted long enough; meanwhile the switch is turning_on or turning_off.
//
//   engine:   on at the first sample >= 500 rpm (no wait), off after 30 s of samples below it
//   airborne: on after 10 s of samples >= 50 kt, off after 30 s of samples below 35 kt
#pragma once

#include <cstdint>

enum class switch_state : std::uint8_t { off, turning_on, on, turning_off };

constexpr bool is_on_or_turning_off(switch_state s) { return s == switch_state::on || s == switch_state::turning_off; }

class debounced_switch {
 public:
  debounced_switch() = default;
  debounced_switch(std::uint32_t on_after_ms, std::uint32_t off_after_ms)
      : on_after_ms_(on_after_ms), off_after_ms_(off_after_ms) {}

  // One sample at LOG time t: whether it meets the condition to turn on, and whether it meets
  // the condition to turn off. Returns the new state.
  switch_state update(std::uint32_t t, bool turns_on, bool turns_off) {
    switch (state_) {
      case switch_state::off:
        if (turns_on) begin_run(t, switch_state::turning_on);
        break;
      case switch_state::turning_on:
        if (!turns_on) state_ = switch_state::off;
        break;
      case switch_state::on:
        if (turns_off) begin_run(t, switch_state::turning_off);
        break;
      case switch_state::turning_off:
        if (!turns_off) state_ = switch_state::on;
        break;
    }
    settle(t);
    return state_;
  }

  // At the end of the LOG: a run still turning on did not last; one turning off did end.
  switch_state finish() {
    if (state_ == switch_state::turning_on) state_ = switch_state::off;
    if (state_ == switch_state::turning_off) state_ = switch_state::off;
    return state_;
  }

  // At a break in the LOG: back to off.
  void reset() {
    state_ = switch_state::off;
    run_start_ = 0;
  }
  // At a break the run goes on across (its samples continue in another segment): the run in
  // progress counts from t on.
  void rebase(std::uint32_t t) { run_start_ = t; }

  switch_state state() const { return state_; }
  // The first sample of the run in progress (turning on or off), or of the last decided run.
  std::uint32_t run_start() const { return run_start_; }

 private:
  void begin_run(std::uint32_t t, switch_state next) {
    run_start_ = t;
    state_ = next;
  }
  // A run that has lasted long enough decides the state (at once when its wait is 0).
  void settle(std::uint32_t t) {
    const std::int64_t lasted = std::int64_t{t} - std::int64_t{run_start_};
    if (state_ == switch_state::turning_on && lasted >= on_after_ms_) state_ = switch_state::on;
    if (state_ == switch_state::turning_off && lasted >= off_after_ms_) state_ = switch_state::off;
  }

  std::uint32_t on_after_ms_ = 0;
  std::uint32_t off_after_ms_ = 0;
  switch_state state_ = switch_state::off;
  std::uint32_t run_start_ = 0;
};
