#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

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
    bool operator==(const MemoryCell&) const = default;
};

// The old contents of the plain cells the address space stores into, in order: what reverse step
// needs to take writes back. Positions count every entry ever recorded; the ring keeps the last
// Capacity() of them, from Begin() to End(). A full ring calls onFull, which should make room by
// Forget(); if it does not, the oldest entry is dropped. The storage is reserved whole up front and
// left untouched until used, so an idle log costs address space, not memory.
class TCellLog {
public:
    // The old cell. No member initialisers: the ring is reserved without being written.
    struct Entry {
        uint16_t Address;
        uint8_t Value;
        int16_t Line;
    };

    // The capacity is rounded up to a power of two.
    explicit TCellLog(size_t capacity);

    void Record(uint16_t address, MemoryCell old) {
        if (end_ - begin_ > mask_) [[unlikely]]
            MakeRoom();
        ring_[end_ & mask_] = Entry{address, old.Value, old.Line};
        ++end_;
    }

    size_t Capacity() const { return mask_ + 1; }
    uint64_t Begin() const { return begin_; }
    uint64_t End() const { return end_; }
    const Entry& At(uint64_t position) const { return ring_[position & mask_]; }
    // Drops the entries before `position` (no further than End()).
    void Forget(uint64_t position) {
        if (position > end_) position = end_;
        if (position > begin_) begin_ = position;
    }
    // Drops the entries from `position` on (no further back than Begin()).
    void Truncate(uint64_t position);
    // Drops every entry; positions go on counting.
    void Reset() { begin_ = end_; }

    std::function<void()> onFull;

private:
    void MakeRoom();

    std::unique_ptr<Entry[]> ring_;
    uint64_t mask_;
    uint64_t begin_ = 0;
    uint64_t end_ = 0;
};

// Which device an on-chip register address belongs to.
enum class RegisterOwner : uint8_t { None, Port1, Port2, Timer, Sci, RamControl };

// The 64 KiB address space with the on-chip register routing of the MC6803.
class TMemory {
public:
    TMemory();
    TMemory(const TMemory&) = delete;
    TMemory& operator=(const TMemory&) = delete;

    std::array<MemoryCell, 65536> Cells;
    TTrace Trace;

    // A setting of the address space that decides which of the program's accesses take the
    // slow path; it reads and assigns like the value it holds, and an assignment moves the
    // bounds of the fast path (see Load and Store).
    template <typename T> class TAccessSetting {
    public:
        TAccessSetting(TMemory& owner, T value) : owner_(owner), value_(value) {}
        TAccessSetting(const TAccessSetting&) = delete;
        TAccessSetting& operator=(const TAccessSetting& other) { return *this = other.value_; }
        TAccessSetting& operator=(T value) {
            value_ = value;
            owner_.Reroute();
            return *this;
        }
        operator T() const { return value_; }
        T operator->() const { return value_; }

    private:
        TMemory& owner_;
        T value_;
    };

    // Whether the program's accesses are offered to the trace recorder.
    TAccessSetting<bool> TraceEnabled{*this, false};

    // Devices behind the routed addresses; unattached devices read 0 and ignore writes.
    TRegisterDevice* Port1 = nullptr;
    TRegisterDevice* Port2 = nullptr;
    TRegisterDevice* Timer = nullptr;
    TRegisterDevice* Sci = nullptr;
    // The chip model's RAM control register at $14; while none is routed (RouteRamControl),
    // $14 is a plain cell.
    TRegisterDevice* RamControl = nullptr;
    void RouteRamControl(TRegisterDevice* device) {
        RamControl = device;
        const RegisterOwner owner = device ? RegisterOwner::RamControl : RegisterOwner::None;
        readRoute_[0x14] = writeRoute_[0x14] = owner;
    }
    // Resets the serial interface model; called by Clear after the ports are reset.
    std::function<void()> SciReset;
    // Called at the end of Clear: nothing recorded about the cells before it still applies.
    std::function<void()> onCleared;
    // When set, every store into a plain cell first records the cell's old contents here.
    TAccessSetting<TCellLog*> History{*this, nullptr};
    // Accesses routed to the devices so far (reads and writes, traced or not): while it stands
    // still, no register access has changed a device.
    uint64_t DeviceAccesses = 0;

    // Every cell to value 0 / no line, trace disarmed, ports and serial interface reset.
    void Clear();

    // The routing of the classic model (the chip model adds $14).
    static RegisterOwner ReadOwner(uint16_t address) {
        return address < 0x20 ? kReadRoute[address] : RegisterOwner::None;
    }
    static RegisterOwner WriteOwner(uint16_t address) {
        return address < 0x20 ? kWriteRoute[address] : RegisterOwner::None;
    }

    MemoryCell Read(uint16_t address, bool traced) {
        MemoryCell cell;
        if (address < 0x20 && readRoute_[address] != RegisterOwner::None) [[unlikely]] {
            cell.Value = ReadDevice(readRoute_[address], address);
            cell.Line = RegisterLine;
        } else {
            cell = Cells[address];
        }
        if (traced && TraceEnabled) [[unlikely]]
            Trace.Check(address, cell.Value, 0);
        return cell;
    }

    // The cell as the displays see it: a register's value as a read would return it but without
    // the read's side effects (tagged RegisterLine), no trace, no device access counted.
    MemoryCell Peek(uint16_t address) const {
        if (address < 0x20 && readRoute_[address] != RegisterOwner::None) [[unlikely]] {
            const TRegisterDevice* d = Device(readRoute_[address]);
            return MemoryCell{d ? d->Peek(address) : uint8_t{0}, RegisterLine};
        }
        return Cells[address];
    }

    void Write(uint16_t address, MemoryCell cell, bool traced) {
        if (address < 0x20 && writeRoute_[address] != RegisterOwner::None) [[unlikely]]
            WriteDevice(writeRoute_[address], address, cell.Value);
        else {
            if (TCellLog* history = History) history->Record(address, Cells[address]);
            Cells[address] = cell;
        }
        if (traced && TraceEnabled) [[unlikely]]
            Trace.Check(address, cell.Value, 1);
    }

    // The running program's accesses: Read and Write with the trace, by one test each. Addresses
    // below the fast path's bound take the full path: the on-chip register page always, every
    // address while the trace records (reads and stores) or the history does (stores).
    [[gnu::always_inline]] MemoryCell Load(uint16_t address) {
        if (address < loadSlowBelow_) [[unlikely]]
            return LoadTraced(address);
        return Cells[address];
    }
    [[gnu::always_inline]] uint8_t LoadValue(uint16_t address) {
        if (address < loadSlowBelow_) [[unlikely]]
            return LoadTraced(address).Value;
        return Cells[address].Value;
    }
    [[gnu::always_inline]] void Store(uint16_t address, MemoryCell cell) {
        if (address < storeSlowBelow_) [[unlikely]]
            StoreRecorded(address, cell);
        else Cells[address] = cell;
    }

private:
    // Sets the fast path's bounds from the settings.
    void Reroute() {
        loadSlowBelow_ = TraceEnabled ? 0x10000u : 0x20u;
        storeSlowBelow_ = TraceEnabled || History ? 0x10000u : 0x20u;
    }
    // The slow paths of Load and Store: a plain cell with the trace (or the history) in line,
    // the register page out of the callers' code.
    [[gnu::always_inline]] MemoryCell LoadTraced(uint16_t address) {
        if (address < 0x20) [[unlikely]]
            return LoadSlow(address);
        const MemoryCell cell = Cells[address];
        if (TraceEnabled) Trace.Check(address, cell.Value, 0);
        return cell;
    }
    [[gnu::always_inline]] void StoreRecorded(uint16_t address, MemoryCell cell) {
        if (address < 0x20) [[unlikely]] {
            StoreSlow(address, cell);
            return;
        }
        if (TCellLog* history = History) history->Record(address, Cells[address]);
        Cells[address] = cell;
        if (TraceEnabled) Trace.Check(address, cell.Value, 1);
    }
    MemoryCell LoadSlow(uint16_t address);
    void StoreSlow(uint16_t address, MemoryCell cell);
    uint32_t loadSlowBelow_ = 0x20;
    uint32_t storeSlowBelow_ = 0x20;

    using Route = std::array<RegisterOwner, 0x20>;
    static const Route kReadRoute;
    static const Route kWriteRoute;
    Route readRoute_ = kReadRoute;
    Route writeRoute_ = kWriteRoute;

    TRegisterDevice* Device(RegisterOwner owner) const;
    uint8_t ReadDevice(RegisterOwner owner, uint16_t address);
    void WriteDevice(RegisterOwner owner, uint16_t address, uint8_t value);
};
