#pragma once
#include <cstdint>

// An on-chip peripheral seen by the processor through its register addresses.
// The address space hands every access to a routed address to the owning device.
class TRegisterDevice {
public:
    virtual ~TRegisterDevice() = default;
    virtual uint8_t ReadRegister(uint16_t address) = 0;
    virtual void WriteRegister(uint16_t address, uint8_t value) = 0;
    // What ReadRegister would return, without any of its side effects (flags a read clears,
    // requests it withdraws, observers it tells): for the displays, the log and the reports.
    virtual uint8_t Peek(uint16_t address) const = 0;
};
