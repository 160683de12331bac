#include "engine/machine.h"

#include <algorithm>
#include <stdexcept>

TMachine::TMachine()
    : Memory(), Cpu(Memory), Port1(8, 0x00, 0x02), Port2(5, 0x01, 0x03), Timer(Memory, Cpu.Pending, Random),
      Sci(Cpu.Pending, Random, loaded) {
    Memory.Port1 = &Port1;
    Memory.Port2 = &Port2;
    Memory.Timer = &Timer;
    Memory.Sci = &Sci;
    Memory.SciReset = [this] { Sci.ResetSci(); };
    Port2.CaptureTimer = &Timer;
}

void TMachine::ResetForRun() {
    Cpu.Reset();
    Sci.ResetSci();
    Timer.ResetTimer();
}

TMachine::State TMachine::Capture() const {
    return State{Cpu.Save(),   std::vector<MemoryCell>(Memory.Cells.begin(), Memory.Cells.end()),
                 Port1.St,     Port2.St,
                 Timer.St,     Sci.St,
                 Sci.Loopback, Memory.Trace.Save(),
                 Random.Save()};
}

void TMachine::Restore(const State& state) {
    if (state.Cells.size() != Memory.Cells.size())
        throw std::length_error("TMachine::Restore: not 64 KiB of cells");
    Cpu.Restore(state.Cpu);
    std::copy(state.Cells.begin(), state.Cells.end(), Memory.Cells.begin());
    Port1.St = state.Port1;
    Port2.St = state.Port2;
    Timer.St = state.Timer;
    Sci.St = state.Sci;
    Sci.Loopback = state.Loopback;
    Memory.Trace.Restore(state.Trace);
    Random.Restore(state.Random);
}
