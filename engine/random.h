#pragma once
#include <cstdint>

// The one pseudo-random source of the board (timer reset value, SCI error bytes).
//
// By default it is seeded from the clock, and every SeedFromClock() (made by the timer's reset on
// each program load) reseeds it. Seed(s) fixes the sequence for tests and for the command line's
// --seed: from then on SeedFromClock() does nothing, so a run is reproducible.
class TRandom {
public:
    TRandom();

    // Fixes the generator to a known state; later SeedFromClock() calls are ignored.
    void Seed(uint32_t seed);
    // Reseeds from the clock unless Seed() fixed the generator.
    void SeedFromClock();
    bool Fixed() const { return fixed_; }

    uint64_t Next();
    uint16_t NextWord() { return static_cast<uint16_t>(Next() >> 48); }
    uint8_t NextByte() { return static_cast<uint8_t>(Next() >> 56); }

    // The position in the sequence: what reverse step and a snapshot put back (Fixed, how the
    // generator is seeded, stays as it is). No member initialisers, as in the devices' states.
    struct State {
        uint64_t Position;
        bool operator==(const State&) const = default;
    };
    State Save() const { return {state_}; }
    void Restore(const State& state) { state_ = state.Position; }

private:
    void Reseed(uint64_t seed) { state_ = seed; }
    uint64_t state_ = 0;
    bool fixed_ = false;
};
