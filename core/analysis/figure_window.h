// Figures gathered over a window of the LOG whose ends are decided late: a window opens at the
// first sample of a run that is confirmed only later, and closes at the first sample of another.
// While an end is undecided the samples go to pending figures; once it is decided they join the
// window (it opened, or it did not close after all) or are dropped (it did not open, or it
// closed at the start of the run).
#pragma once

#include <cstdint>

#include "analysis/debounced_switch.h"

enum class window_state : std::uint8_t { closed, opening, open, closing };

constexpr window_state window_state_of(switch_state s) {
  switch (s) {
    case switch_state::turning_on: return window_state::opening;
    case switch_state::on: return window_state::open;
    case switch_state::turning_off: return window_state::closing;
    case switch_state::off: break;
  }
  return window_state::closed;
}

// Figures needs a default state (nothing seen) and merge(const Figures& later).
template <typename Figures>
class figure_window {
 public:
  window_state state() const { return state_; }

  // Where a sample goes now; nullptr while the window is closed.
  Figures* target() {
    switch (state_) {
      case window_state::opening:
      case window_state::closing: return &pending_;
      case window_state::open: return &window_;
      case window_state::closed: break;
    }
    return nullptr;
  }

  // Moves the window to `next`: on_begin() when a new window starts opening, on_finish(figures)
  // when one closes for good.
  template <typename OnBegin, typename OnFinish>
  void move_to(window_state next, OnBegin&& on_begin, OnFinish&& on_finish) {
    if (next == state_) return;
    if (state_ == window_state::opening && next == window_state::closed) {
      state_ = window_state::closed;  // the run did not last: it never opened
      return;
    }
    if (state_ == window_state::closing && next == window_state::open) {
      window_.merge(pending_);  // it did not close after all
      state_ = window_state::open;
      return;
    }
    while (state_ != next) {
      switch (state_) {
        case window_state::closed:
          pending_ = Figures{};
          on_begin();
          state_ = window_state::opening;
          break;
        case window_state::opening:
          window_ = pending_;
          state_ = window_state::open;
          break;
        case window_state::open:
          pending_ = Figures{};
          state_ = window_state::closing;
          break;
        case window_state::closing:
          on_finish(static_cast<const Figures&>(window_));
          state_ = window_state::closed;
          break;
      }
    }
  }

 private:
  window_state state_ = window_state::closed;
  Figures window_{};
  Figures pending_{};
};
