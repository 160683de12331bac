#include "engine/random.h"

#include <chrono>

TRandom::TRandom() { SeedFromClock(); }

void TRandom::Seed(uint32_t seed) {
    Reseed(seed);
    fixed_ = true;
}

void TRandom::SeedFromClock() {
    if (fixed_) return;
    auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    Reseed(static_cast<uint64_t>(now));
}

// splitmix64: every state gives a well mixed output, so nearby seeds (clock ticks) give
// unrelated sequences.
uint64_t TRandom::Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
