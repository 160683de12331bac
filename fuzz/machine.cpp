// The processor with its devices, driven by arbitrary bytes: the first part of the input is
// the program (placed at $2000, with every vector pointing into it), the rest a script of
// events between instructions: steps, timer and serial ticks, pin toggles, bytes arriving on
// the serial line, interrupt requests and register writes. Checks after every event: D = A:B,
// port bits within their masks, flag bits of the devices only where the chip has them, and a
// program counter that only moves through memory (no crash, no sanitizer report).
#include <cstdint>
#include <memory>

#include "engine/machine.h"
#include "fuzz/check.h"

namespace {

constexpr uint16_t kProgram = 0x2000;
constexpr size_t kProgramBytes = 256;

void CheckBoard(const TMachine& m) {
    FUZZ_CHECK(m.Cpu.D == static_cast<uint16_t>(m.Cpu.A << 8 | m.Cpu.B));
    FUZZ_CHECK((m.Port1.St.Level & ~m.Port1.Mask()) == 0 && (m.Port1.St.Direction & ~m.Port1.Mask()) == 0);
    FUZZ_CHECK((m.Port2.St.Level & ~m.Port2.Mask()) == 0 && (m.Port2.St.Direction & ~m.Port2.Mask()) == 0);
    FUZZ_CHECK(m.Sci.St.TxCount <= TSci::LineTicks && m.Sci.St.RxCount <= TSci::LineTicks);
    // The processor's own view of the flags agrees with its packed condition-code register.
    const uint8_t ccr = m.Cpu.PackCCR();
    FUZZ_CHECK((ccr & 0xC0) == 0xC0);
    FUZZ_CHECK(((ccr & 0x01) != 0) == m.Cpu.C && ((ccr & 0x04) != 0) == m.Cpu.Z);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TMachine* machine = [] {
        auto* m = new TMachine();
        m->Random.Seed(7);
        return m;
    }();
    TMachine& m = *machine;
    m.Memory.Clear();
    m.Memory.Trace.ClearRows();
    const size_t program = size < kProgramBytes ? size : kProgramBytes;
    for (size_t i = 0; i < program; ++i)
        m.Memory.Write(static_cast<uint16_t>(kProgram + i), MemoryCell{data[i], static_cast<int16_t>(i + 1)},
                       false);
    for (uint16_t vector = 0xFFF0; vector != 0; vector = static_cast<uint16_t>(vector + 2))
        m.Memory.Write(vector, MemoryCell{0x20, 1}, false); // every vector: $20xx, inside the program
    // Some runs trace every access, with a small recorder.
    m.Memory.TraceEnabled = program > 0 && (data[0] & 1);
    m.Memory.Trace.Triggers.Clear();
    m.Memory.Trace.Qualifiers.Clear();
    if (m.Memory.TraceEnabled) {
        m.Memory.Trace.RowLimit = 64;
        m.Memory.Trace.Triggers.Add(TraceCondition{0, 0, 0, 0, 0});
        m.Memory.Trace.Qualifiers.Add(TraceCondition{0, 0, 0, 0, 1});
    }
    m.ResetForRun();
    m.loaded = true;
    CheckBoard(m);

    for (size_t i = program; i + 1 < size && i < program + 4096; i += 2) {
        const uint8_t event = data[i], arg = data[i + 1];
        uint8_t status = 0;
        switch (event % 8) {
        case 0:
        case 1:
        case 2:
            for (int k = 0; k <= arg % 8; ++k)
                m.Cpu.Step(status);
            break;
        case 3:
            m.Timer.TimerTick();
            break;
        case 4:
            m.Sci.SciTick();
            break;
        case 5:
            (arg & 0x80 ? m.Port2 : m.Port1).TogglePin(arg & 7);
            break;
        case 6:
            m.Sci.DeliverByte(arg, (event & 0x10) != 0);
            break;
        default:
            if (arg & 0x80) m.Raise(arg & 0x40 ? InterruptSource::NMI : InterruptSource::IRQ);
            else m.Memory.Write(static_cast<uint16_t>(arg & 0x1F), MemoryCell{event, 0}, false);
            break;
        }
        CheckBoard(m);
        FUZZ_CHECK(m.Memory.Trace.Rows().size() <= 64);
    }
    m.loaded = false;
    return 0;
}
