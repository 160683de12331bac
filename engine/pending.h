#pragma once
#include <bitset>
#include <cstddef>

#include "isa/codes.h"

// The processor's set of interrupt requests not yet taken (`Pending`). Members are interrupt
// source numbers; the sources raise and withdraw themselves by name, and numbers other than the
// six sources may be set and are ignored by the processor. A bitset with named access.
class TPending : public std::bitset<256> {
public:
    using bitset::reset;
    using bitset::set;
    using bitset::test;

    bool test(InterruptSource source) const { return bitset::test(SourceNumber(source)); }
    TPending& set(InterruptSource source, bool value = true) {
        bitset::set(SourceNumber(source), value);
        return *this;
    }
    TPending& reset(InterruptSource source) {
        bitset::reset(SourceNumber(source));
        return *this;
    }
};
