#include "engine/devices/ports.h"

#include "engine/devices/timer.h"

TPort::TPort(int pinCount, uint16_t ddrAddress, uint16_t drAddress)
    : PinCount(pinCount < 1 ? 1 : (pinCount > 8 ? 8 : pinCount)), DdrAddress(ddrAddress),
      DrAddress(drAddress) {}

PinImageKind TPort::PinImage(int pin) const {
    if (pin < 0 || pin >= PinCount) return PinImageKind::InputLow;
    const bool high = PinLevel(pin) != 0;
    if (IsOutput(pin)) return high ? PinImageKind::OutputHigh : PinImageKind::OutputLow;
    return high ? PinImageKind::InputHigh : PinImageKind::InputLow;
}

void TPort::WriteRegister(uint16_t address, uint8_t value) {
    if (address == DdrAddress) {
        St.Direction = value & Mask();
    } else if (address == DrAddress) {
        St.Level = static_cast<uint8_t>((St.Level & ~St.Direction) | (value & St.Direction)) & Mask();
    } else {
        return;
    }
    Changed();
}

uint8_t TPort::Peek(uint16_t address) const {
    if (address == DdrAddress) return St.Direction;
    if (address == DrAddress) return St.Level;
    return 0;
}

bool TPort::TogglePin(int pin) {
    if (pin < 0 || pin >= PinCount || IsOutput(pin)) return false;
    St.Level ^= static_cast<uint8_t>(1u << pin);
    if (pin == 0 && CaptureTimer) CaptureTimer->CaptureEdge(PinLevel(0));
    Changed();
    return true;
}
