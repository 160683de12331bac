#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "engine/machine.h"

// A fresh board with a fixed random sequence.
class BoardTest : public ::testing::Test {
protected:
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    TMachine& board = *m;

    BoardTest() { board.Random.Seed(1234); }

    // Processor-side access to an on-chip register (untraced).
    uint8_t Rd(uint16_t address) { return board.Memory.Read(address, false).Value; }
    void Wr(uint16_t address, uint8_t value) { board.Memory.Write(address, MemoryCell{value, 0}, false); }

    void TimerTicks(int n) {
        for (int i = 0; i < n; ++i)
            board.Timer.TimerTick();
    }
    void SciTicks(int n) {
        for (int i = 0; i < n; ++i)
            board.Sci.SciTick();
    }
    bool Pending(InterruptSource source) const { return board.Cpu.Pending.test(source); }
};
