#pragma once
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

#include "engine/machine.h"

// A board in the chip model with a program placed at $2000 and the reset vector pointing there.
struct ChipBoard {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    TMachine& board = *m;
    Tsimulator& cpu = board.Cpu;
    uint8_t status = 0;

    explicit ChipBoard(TProcessorModel model = TProcessorModel::Chip) {
        board.Random.Seed(1234);
        board.SetModel(model);
        PutWord(0xFFFE, 0x2000);
    }
    void Put(uint16_t address, std::initializer_list<uint8_t> bytes) {
        for (uint8_t b : bytes)
            board.Memory.Write(address++, MemoryCell{b, 1}, false);
    }
    void PutWord(uint16_t address, uint16_t value) {
        Put(address, {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
    }
    // Places the program at $2000 and resets the board as a load does.
    void Load(std::initializer_list<uint8_t> code) {
        Put(0x2000, code);
        board.ResetForRun();
        board.loaded = true;
        cpu.SP = 0x0FFF;
    }
    void Steps(int n) {
        for (int i = 0; i < n; ++i)
            cpu.Step(status);
    }
    uint8_t Rd(uint16_t address) { return board.Memory.Read(address, false).Value; }
    void Wr(uint16_t address, uint8_t value) { board.Memory.Write(address, MemoryCell{value, 0}, false); }
    uint8_t Cell(uint16_t address) const { return board.Memory.Cells[address].Value; }
    uint64_t Now() const { return cpu.Clock.Now; }
    // Lets `cycles` E cycles pass without instructions (as the devices see a run).
    void Pass(uint64_t cycles) { cpu.Clock.Advance(cycles); }
};

class ChipTest : public ::testing::Test, public ChipBoard {};
