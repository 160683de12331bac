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

void TMachine::SetModel(TProcessorModel model) {
    Cpu.Model = model;
    const bool chip = model == TProcessorModel::Chip;
    Cpu.Clock.Listener = chip ? &deviceClock_ : nullptr;
    Cpu.Clock.Next = UINT64_MAX;
    Cpu.Waiting = false;
    Timer.SetChip(chip ? &Cpu.Clock : nullptr);
    Sci.SetChip(chip ? &Cpu.Clock : nullptr);
    Port2.LineOwner = chip ? &Sci : nullptr;
    Memory.RouteRamControl(chip ? &RamControl : nullptr);
    if (chip) deviceClock_.ClockReached();
}

void TMachine::TDeviceClock::ClockReached() {
    machine.Timer.Sync();
    machine.Sci.Sync();
    machine.Cpu.Clock.Next = std::min(machine.Timer.NextEvent(), machine.Sci.NextEvent());
}

void TMachine::ResetForRun() {
    Cpu.Reset();
    Cpu.Clock.Now = 0;
    Sci.ResetSci();
    Timer.ResetTimer();
    RamControl.Value = 0xC0;
    if (Cpu.Model == TProcessorModel::Chip) deviceClock_.ClockReached();
}

TMachine::State TMachine::Capture() const {
    return State{Cpu.Save(),      std::vector<MemoryCell>(Memory.Cells.begin(), Memory.Cells.end()),
                 Port1.St,        Port2.St,
                 Timer.St,        Sci.St,
                 Sci.Loopback,    Memory.Trace.Save(),
                 Random.Save(),   Model(),
                 Timer.Cs,        Sci.Cs,
                 RamControl.Value};
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
    if (state.Model != Model()) SetModel(state.Model);
    Timer.Cs = state.TimerChip;
    Sci.Cs = state.SciChip;
    RamControl.Value = state.RamControl;
    Resync();
}

void TMachine::Resync() {
    if (!Timer.Chip()) return;
    Timer.Resync();
    Sci.Resync();
    deviceClock_.ClockReached();
}
