#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>

#include "engine/simulator.h"

// A processor on a fresh address space, with helpers to place machine code and run it.
class CpuTest : public ::testing::Test {
protected:
    std::unique_ptr<TMemory> memory = std::make_unique<TMemory>();
    Tsimulator cpu{*memory};
    uint8_t status = 0xAA;

    // Places bytes from address on, each tagged with source line = line (so steps landing on
    // placed code return a non-negative line).
    void Put(uint16_t address, std::initializer_list<uint8_t> bytes, int16_t line = 1) {
        for (uint8_t b : bytes)
            memory->Write(address++, MemoryCell{b, line}, false);
    }
    void PutWord(uint16_t address, uint16_t value) {
        Put(address, {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)});
    }
    uint8_t Peek(uint16_t address) { return memory->Cells[address].Value; }
    // Places the code at 'at', points PC there and executes one instruction.
    int16_t Run(uint16_t at, std::initializer_list<uint8_t> code) {
        Put(at, code);
        cpu.PC = at;
        return cpu.Step(status);
    }
    int16_t Step() { return cpu.Step(status); }
    void SetA(uint8_t a) {
        cpu.A = a;
        cpu.JoinD();
    }
    void SetB(uint8_t b) {
        cpu.B = b;
        cpu.JoinD();
    }
    void ExpectDConsistent() { EXPECT_EQ(cpu.D, (cpu.A << 8) | cpu.B); }
};

// Register device that answers reads from a table and counts every access per address.
class FakeDevice : public TRegisterDevice {
public:
    std::map<uint16_t, uint8_t> values;
    std::map<uint16_t, int> reads, writes;
    std::map<uint16_t, uint8_t> written;
    uint8_t ReadRegister(uint16_t address) override {
        ++reads[address];
        auto it = values.find(address);
        return it == values.end() ? 0 : it->second;
    }
    void WriteRegister(uint16_t address, uint8_t value) override {
        ++writes[address];
        written[address] = value;
    }
    uint8_t Peek(uint16_t address) const override {
        auto it = values.find(address);
        return it == values.end() ? 0 : it->second;
    }
};
