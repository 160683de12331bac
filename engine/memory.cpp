#include "engine/memory.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::array<RegisterOwner, 0x20> MakeRoute(bool forWrite) {
    std::array<RegisterOwner, 0x20> r{};
    r.fill(RegisterOwner::None);
    r[0x00] = r[0x02] = RegisterOwner::Port1;
    r[0x01] = r[0x03] = RegisterOwner::Port2;
    for (int a = 0x08; a <= 0x0E; ++a)
        r[a] = RegisterOwner::Timer;
    r[0x10] = r[0x11] = r[0x13] = RegisterOwner::Sci;
    // The receive data register is read from the serial interface, but a write to it lands
    // in the plain cell underneath and is never seen by the device.
    if (!forWrite) r[0x12] = RegisterOwner::Sci;
    return r;
}
} // namespace

const TMemory::Route TMemory::kReadRoute = MakeRoute(false);
const TMemory::Route TMemory::kWriteRoute = MakeRoute(true);

// The cells start as Clear leaves them (value 0, no line), the trace disarmed; nothing is
// attached yet to be reset.
TMemory::TMemory() = default;

void TMemory::Clear() {
    // Copied from a block of cleared cells: much quicker than storing the fields of the 64 K cells
    // one by one (the address space is cleared for every assembly).
    static const std::array<MemoryCell, 1024> cleared = [] {
        std::array<MemoryCell, 1024> cells;
        cells.fill(MemoryCell{0, NoLine});
        return cells;
    }();
    static_assert(std::tuple_size_v<decltype(Cells)> % cleared.size() == 0);
    for (size_t i = 0; i < Cells.size(); i += cleared.size())
        std::memcpy(&Cells[i], cleared.data(), sizeof cleared);
    Trace.Triggered = false;
    if (Port1) {
        Port1->WriteRegister(0x00, 0);
        Port1->WriteRegister(0x02, 0);
    }
    if (Port2) {
        Port2->WriteRegister(0x01, 0);
        Port2->WriteRegister(0x03, 0);
    }
    if (SciReset) SciReset();
    if (onCleared) onCleared();
}

TCellLog::TCellLog(size_t capacity) {
    size_t size = 1;
    while (size < capacity)
        size <<= 1;
    mask_ = size - 1;
    ring_ = std::make_unique_for_overwrite<Entry[]>(size);
}

void TCellLog::Truncate(uint64_t position) { end_ = std::max(begin_, std::min(end_, position)); }

void TCellLog::MakeRoom() {
    if (onFull) onFull();
    if (end_ - begin_ > mask_) begin_ = end_ - mask_;
}

MemoryCell TMemory::LoadSlow(uint16_t address) { return Read(address, true); }

void TMemory::StoreSlow(uint16_t address, MemoryCell cell) { Write(address, cell, true); }

TRegisterDevice* TMemory::Device(RegisterOwner owner) const {
    switch (owner) {
    case RegisterOwner::Port1:
        return Port1;
    case RegisterOwner::Port2:
        return Port2;
    case RegisterOwner::Timer:
        return Timer;
    case RegisterOwner::Sci:
        return Sci;
    case RegisterOwner::RamControl:
        return RamControl;
    case RegisterOwner::None:
        break;
    }
    return nullptr;
}

uint8_t TMemory::ReadDevice(RegisterOwner owner, uint16_t address) {
    ++DeviceAccesses;
    TRegisterDevice* d = Device(owner);
    return d ? d->ReadRegister(address) : 0;
}

void TMemory::WriteDevice(RegisterOwner owner, uint16_t address, uint8_t value) {
    ++DeviceAccesses;
    if (TRegisterDevice* d = Device(owner)) d->WriteRegister(address, value);
}
