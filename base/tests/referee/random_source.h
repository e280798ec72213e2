// A small pseudo-random source whose sequence is fixed by its seed on every compiler and
// standard library (std:: distributions differ between them), so the Linux run and the
// Windows run of the referee generate the same cases.
#pragma once

#include <cstdint>

namespace velmora::referee {

class RandomSource {
  public:
    explicit RandomSource(std::uint64_t seed) : state_(seed) {}

    // splitmix64
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // A number in [low, high]; the slight modulo bias does not matter for test cases.
    std::uint32_t between(std::uint32_t low, std::uint32_t high) {
        return low + static_cast<std::uint32_t>(next() % (std::uint64_t{high} - low + 1));
    }

    // True in `percent` of the draws.
    bool chance(std::uint32_t percent) { return between(1, 100) <= percent; }

  private:
    std::uint64_t state_;
};

}  // namespace velmora::referee
