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
// Timer.TimerTick() (every 5 ms in the workbench) and Sci.SciTick() (every 150 ms), and
// Cpu.Step() for each instruction.
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
        bool operator==(const State&) const = default;
    };
    State Capture() const;
    // Puts a captured state back (the memory's history records nothing of it).
    void Restore(const State& state);

    // What a successful load does to the board after the image is in memory: processor reset
    // (PC from $FFFE, Pending emptied), then the SCI and timer resets. Does not change `loaded`.
    void ResetForRun();
};
