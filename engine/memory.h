#pragma once
#include <array>
#include <cstdint>
#include <functional>

#include "engine/device.h"
#include "engine/trace.h"

constexpr int16_t NoLine = -1;       // no assembled code in the cell
constexpr int16_t RegisterLine = -2; // value came from an on-chip register
constexpr int16_t PresetLine = -3;   // byte preset by the SM directive

// One cell of the address space: the byte and the source line that produced it
// (0 once the running program has written it).
struct MemoryCell {
    uint8_t Value = 0;
    int16_t Line = NoLine;
};

// Which device an on-chip register address belongs to.
enum class RegisterOwner : uint8_t { None, Port1, Port2, Timer, Sci };

// The 64 KiB address space with the on-chip register routing of the MC6803.
class TMemory {
public:
    TMemory();
    TMemory(const TMemory&) = delete;
    TMemory& operator=(const TMemory&) = delete;

    std::array<MemoryCell, 65536> Cells;
    TTrace Trace;
    bool TraceEnabled = false;

    // Devices behind the routed addresses; unattached devices read 0 and ignore writes.
    TRegisterDevice* Port1 = nullptr;
    TRegisterDevice* Port2 = nullptr;
    TRegisterDevice* Timer = nullptr;
    TRegisterDevice* Sci = nullptr;
    // Resets the serial interface model; called by Clear after the ports are reset.
    std::function<void()> SciReset;

    // Every cell to value 0 / no line, trace disarmed, ports and serial interface reset.
    void Clear();

    static RegisterOwner ReadOwner(uint16_t address) {
        return address < 0x20 ? kReadRoute[address] : RegisterOwner::None;
    }
    static RegisterOwner WriteOwner(uint16_t address) {
        return address < 0x20 ? kWriteRoute[address] : RegisterOwner::None;
    }

    MemoryCell Read(uint16_t address, bool traced) {
        MemoryCell cell;
        if (address < 0x20 && kReadRoute[address] != RegisterOwner::None) [[unlikely]] {
            cell.Value = ReadDevice(kReadRoute[address], address);
            cell.Line = RegisterLine;
        } else {
            cell = Cells[address];
        }
        if (traced && TraceEnabled) [[unlikely]]
            Trace.Check(address, cell.Value, 0);
        return cell;
    }

    void Write(uint16_t address, MemoryCell cell, bool traced) {
        if (address < 0x20 && kWriteRoute[address] != RegisterOwner::None) [[unlikely]]
            WriteDevice(kWriteRoute[address], address, cell.Value);
        else Cells[address] = cell;
        if (traced && TraceEnabled) [[unlikely]]
            Trace.Check(address, cell.Value, 1);
    }

private:
    using Route = std::array<RegisterOwner, 0x20>;
    static const Route kReadRoute;
    static const Route kWriteRoute;

    TRegisterDevice* Device(RegisterOwner owner) const;
    uint8_t ReadDevice(RegisterOwner owner, uint16_t address);
    void WriteDevice(RegisterOwner owner, uint16_t address, uint8_t value);
};
