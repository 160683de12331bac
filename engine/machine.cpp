#include "engine/machine.h"

TMachine::TMachine()
    : Memory(), Cpu(Memory), Port1(8, 0x00, 0x02), Port2(5, 0x01, 0x03),
      Timer(Memory, Cpu.Pending, Random, loaded), Sci(Cpu.Pending, Random, loaded) {
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
