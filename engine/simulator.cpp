#include "simulator.h"

// Placeholder; the instruction set is implemented here.
void Tsimulator::Reset() {}
int16_t Tsimulator::Step(uint8_t& status) { status = 0; return NoLine; }
uint8_t Tsimulator::PackCCR() const { return 0xC0; }
void Tsimulator::UnpackCCR(uint8_t) {}
void Tsimulator::PushByte(uint8_t) {}
void Tsimulator::PushWord(uint16_t) {}
uint8_t Tsimulator::PullByte() { return 0; }
uint16_t Tsimulator::PullWord() { return 0; }
uint8_t Tsimulator::CheckInterrupts() { return 0; }
void Tsimulator::EnterInterrupt(uint16_t) {}
