// Test support: a small deterministic generator of random 64-bit words (xorshift), so that
// randomised tests give the same inputs on every machine.
#pragma once

#include <cstdint>

class random_bits {
 public:
  explicit random_bits(std::uint64_t seed) : state_(seed != 0 ? seed : 1) {}
  std::uint64_t operator()() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return state_;
  }

 private:
  std::uint64_t state_;
};
