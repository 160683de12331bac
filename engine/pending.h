#pragma once
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "isa/codes.h"

// The processor's set of interrupt requests not yet taken (`Pending`). Members are interrupt
// source numbers; the sources raise and withdraw themselves by name, and numbers other than the
// six sources (0..255) may be set and are ignored by the processor. The members are bits of four
// words; the six sources (2..7) lie in the low byte of the first, so the processor's check after
// every step tests one byte (Sources).
class TPending {
public:
    static constexpr size_t kSize = 256;

    // By number; a number beyond the set throws std::out_of_range, as std::bitset does.
    bool test(size_t n) const { return Bit(Checked(n)); }
    bool operator[](size_t n) const { return Bit(n & (kSize - 1)); }
    TPending& set(size_t n, bool value = true) {
        Put(Checked(n), value);
        return *this;
    }
    TPending& reset(size_t n) { return set(n, false); }
    TPending& reset() {
        words_ = {};
        return *this;
    }

    bool test(InterruptSource source) const { return Bit(SourceNumber(source)); }
    TPending& set(InterruptSource source, bool value = true) {
        Put(SourceNumber(source), value);
        return *this;
    }
    TPending& reset(InterruptSource source) { return set(source, false); }

    bool any() const { return (words_[0] | words_[1] | words_[2] | words_[3]) != 0; }
    bool none() const { return !any(); }
    size_t count() const {
        size_t n = 0;
        for (uint64_t w : words_)
            n += static_cast<size_t>(std::popcount(w));
        return n;
    }
    size_t size() const { return kSize; }
    // Members 0..7 as bits of one byte: the six sources and the two unused numbers below them.
    uint8_t LowByte() const { return static_cast<uint8_t>(words_[0]); }
    // Whether any of the six interrupt sources (2..7) is requested.
    bool AnySource() const { return (words_[0] & 0xFC) != 0; }
    // The members as '0'/'1' characters, the highest number first (as std::bitset writes them).
    std::string to_string() const {
        std::string text(kSize, '0');
        for (size_t n = 0; n < kSize; ++n)
            if (test(n)) text[kSize - 1 - n] = '1';
        return text;
    }

    bool operator==(const TPending&) const = default;

private:
    static size_t Checked(size_t n) {
        if (n >= kSize) throw std::out_of_range("TPending: member beyond 255");
        return n;
    }
    bool Bit(size_t n) const { return (words_[n >> 6] >> (n & 63)) & 1u; }
    void Put(size_t n, bool value) {
        const uint64_t bit = uint64_t{1} << (n & 63);
        if (value) words_[n >> 6] |= bit;
        else words_[n >> 6] &= ~bit;
    }

    std::array<uint64_t, 4> words_{};
};
