#pragma once
#include <cstdint>
#include <vector>

#include "engine/devices/ports.h"
#include "engine/devices/sci.h"
#include "engine/devices/timer.h"
#include "engine/memory.h"
#include "engine/random.h"
#include "engine/simulator.h"

// The simulated board: the address space (with its trace), the processor, both parallel ports,
// the timer, the serial interface and the random source, wired together.
//
// The constructor routes the on-chip register addresses to the device models, lets Memory.Clear
// reset the serial interface, connects Port 2 pin 0 to the timer's input capture and gives the
// timer and the SCI the processor's Pending set. Nothing here runs by itself: the owner calls
// Cpu.Step() for each instruction and, in the classic model, Timer.TimerTick() (every 5 ms in
// the workbench) and Sci.SciTick() (every 150 ms). In the chip model the processor's clock
// drives the timer and the SCI (see engine/model.h) and the ticks do nothing.
//
// The board holds 64 KiB of cells; create it with std::make_unique<TMachine>(). It is neither
// copyable nor movable, because the parts refer to each other.
class TMachine {
public:
    TMachine();
    TMachine(const TMachine&) = delete;
    TMachine& operator=(const TMachine&) = delete;

    // Declaration order is construction order: the devices refer to the members above them.
    TRandom Random;
    // A program is loaded and has not been stopped; set by run control. The SCI line moves only
    // while it is set.
    bool loaded = false;
    TMemory Memory;
    Tsimulator Cpu;
    TPort Port1;
    TPort Port2;
    TTimer Timer;
    TSci Sci;
    // The chip model's RAM control register ($14): RAME and STBY PWR, bits 6 and 7.
    class TRamControl final : public TRegisterDevice {
    public:
        uint8_t Value = 0xC0;
        uint8_t ReadRegister(uint16_t) override { return Value; }
        void WriteRegister(uint16_t, uint8_t value) override { Value = value & 0xC0; }
        uint8_t Peek(uint16_t) const override { return Value; }
    } RamControl;

    // The processor model: the rules of the processor, the clocks of the timer and the SCI and
    // the routing of $14. A session sets it before a load; ResetForRun starts from it.
    void SetModel(TProcessorModel model);
    TProcessorModel Model() const { return Cpu.Model; }

    // Raises an interrupt request in Cpu.Pending.
    void Raise(InterruptSource source) { Cpu.Pending.set(source); }

    // The board's whole state as one value: the processor with its requests, every cell, the
    // four devices with the line's loopback setting, the trace's trigger and the random source.
    // Not in it: `loaded` (run control's), the trace's conditions and rows and how the random
    // source is seeded. A part added to the board adds its state here.
    struct State {
        Tsimulator::State Cpu;
        std::vector<MemoryCell> Cells; // all 65536
        TPort::State Port1, Port2;
        TTimer::State Timer;
        TSci::State Sci;
        bool Loopback;
        TTrace::State Trace;
        TRandom::State Random;
        // The model and what only the chip model keeps of its devices.
        TProcessorModel Model = TProcessorModel::Classic;
        TTimer::ChipState TimerChip{};
        TSci::ChipState SciChip{};
        uint8_t RamControl = 0xC0;
        bool operator==(const State&) const = default;
    };
    State Capture() const;
    // Puts a captured state back (the memory's history records nothing of it).
    void Restore(const State& state);

    // What a successful load does to the board after the image is in memory: processor reset
    // (PC from $FFFE, Pending emptied), then the SCI and timer resets. Does not change `loaded`.
    void ResetForRun();
    // After the devices' states were put back from outside (reverse step): in the chip model
    // they stand at the clock's Now and the next event is found again.
    void Resync();
    // Chip model: brings the devices up to the clock (a step leaves them there; a run may leave
    // them behind until they are looked at). Nothing in the classic model.
    void SyncDevices() {
        if (Cpu.Clock.Listener) deviceClock_.ClockReached();
    }

private:
    // The chip model's clock calls here when a device event falls due: both devices are brought
    // up to the clock and the next event is set.
    struct TDeviceClock final : TClockListener {
        explicit TDeviceClock(TMachine& m) : machine(m) {}
        TMachine& machine;
        void ClockReached() override;
    } deviceClock_{*this};
};
