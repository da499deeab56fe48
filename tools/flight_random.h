// Pseudo-random numbers for the flight simulator. splitmix64 is written out here rather than
// taken from <random>: the standard distributions may change their output between library
// versions, and a seed must give the same LOG everywhere.
#pragma once

#include <cstdint>

class flight_random {
 public:
  // Independent streams of one seed (route, turbulence, sensors, serial timing) keep each part
  // of the flight unchanged when another part draws more or fewer numbers.
  explicit flight_random(std::uint64_t seed, std::uint64_t stream = 0)
      : state_(seed ^ (stream * 0xD1B54A32D192ED03ULL)) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [0, 1), 53 bits.
  double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
  double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

  // Uniform integer in [lo, hi].
  int between(int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
    return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
  }

  // Roughly normal, mean 0 and deviation 1: the sum of four uniforms, so no libm is involved.
  double noise() {
    double sum = 0.0;
    for (int i = 0; i < 4; ++i) sum += uniform();
    return (sum - 2.0) * 1.7320508075688772;
  }

 private:
  std::uint64_t state_;
};

// Slowly wandering noise (turbulence, sensor drift): each step moves a fraction of the way
// towards a fresh random target.
class drifting_noise {
 public:
  drifting_noise(double deviation, double smoothing) : deviation_(deviation), smoothing_(smoothing) {}
  double next(flight_random& rng) {
    value_ += (rng.noise() * deviation_ - value_) * smoothing_;
    return value_;
  }
  double value() const { return value_; }

 private:
  double deviation_;
  double smoothing_;
  double value_ = 0.0;
};
