#include "engine/devices/ports.h"

#include "engine/devices/sci.h"
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
    ++Touches;
    if (address == DdrAddress) {
        St.Direction = value & Mask();
    } else if (address == DrAddress) {
        const uint8_t driven = static_cast<uint8_t>(St.Direction & ~TakenPins());
        St.Level = static_cast<uint8_t>((St.Level & ~driven) | (value & driven)) & Mask();
    } else {
        return;
    }
    Changed();
}

uint8_t TPort::Peek(uint16_t address) const {
    if (address == DdrAddress) return St.Direction;
    if (address == DrAddress) return Levels();
    return 0;
}

uint8_t TPort::TakenPins() const { return LineOwner ? LineOwner->PortPins() : 0; }

uint8_t TPort::TakenLevels() const {
    const uint8_t taken = TakenPins();
    return static_cast<uint8_t>((St.Level & ~taken) | (LineOwner->PortLevels() & taken));
}

bool TPort::TogglePin(int pin) {
    ++Touches;
    if (pin < 0 || pin >= PinCount || IsOutput(pin)) return false;
    St.Level ^= static_cast<uint8_t>(1u << pin);
    if (pin == 0 && CaptureTimer) CaptureTimer->CaptureEdge(PinLevel(0));
    Changed();
    return true;
}
