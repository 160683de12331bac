#pragma once
#include <cstdint>
#include <string_view>

// The two processor models of the one engine. Classic is the workbench's own model: the timer
// and the serial interface are clocked by the user interface, and a few rules differ from the
// chip on purpose. Chip is the MC6803 as the silicon behaves, cycle for cycle: its devices are
// clocked by the E cycles the instructions take.
enum class TProcessorModel : uint8_t { Classic, Chip };

// The rules a model selects. The engine asks for them by name at compile time, so the classic
// paths are exactly the code they were before the chip rules existed.
struct TModelRules {
    bool SwiIgnoresMask;     // SWI is taken whatever I is (classic: masked by I)
    bool RtiRestoresMask;    // RTI puts back CCR as pulled (classic: RTI clears I)
    bool WaiWaits;           // WAI stacks the registers and waits (classic: not executed)
    bool DaaFullRange;       // DAA over every input with the chip's flags (classic: BCD table)
    bool UndocumentedOps;    // the undocumented opcodes execute as on the chip (classic: not)
    bool OneEntryPerStep;    // one interrupt per boundary, chip priority, level requests kept
    bool DevicesOnECycles;   // timer and SCI count E cycles (classic: interface ticks)
    bool RamControlRegister; // $14 is the RAM control register (classic: a plain cell)
};

constexpr TModelRules RulesOf(TProcessorModel model) {
    const bool chip = model == TProcessorModel::Chip;
    return {chip, chip, chip, chip, chip, chip, chip, chip};
}

// "classic" / "chip": the names the command line, exercise files and JSON reports use.
constexpr std::string_view ModelName(TProcessorModel model) {
    return model == TProcessorModel::Chip ? "chip" : "classic";
}
// The model a name stands for; false for an unknown name.
constexpr bool ParseModelName(std::string_view name, TProcessorModel& model) {
    if (name == "classic") model = TProcessorModel::Classic;
    else if (name == "chip") model = TProcessorModel::Chip;
    else return false;
    return true;
}
// The user interface's name: "Klasični" / "MC6803" (UTF-8).
constexpr std::string_view ModelTitle(TProcessorModel model) {
    return model == TProcessorModel::Chip ? "MC6803" : "Klasi\u010dni";
}

// E-clock cycles of an interrupt entry in the chip model: the nine registers' bytes stacked and
// the vector fetched; from WAI the registers are already stacked and only the vector is fetched.
inline constexpr uint8_t kChipEntryCycles = 12;
inline constexpr uint8_t kChipWakeCycles = 4;
// The longest a waiting step lasts, in E cycles: a run counts steps while the processor waits,
// and each lasts until the next device event or this many cycles, whichever comes first.
inline constexpr uint8_t kWaitStepCycles = 64;

// The time base of the chip model's devices: E cycles since the load, and the cycle at which the
// next device event falls due. The processor adds each instruction's cycles to Now and, once
// Now reaches Next, calls Listener, which brings the devices up to Now and sets Next again.
class TClockListener {
public:
    virtual ~TClockListener() = default;
    virtual void ClockReached() = 0;
};

struct TCycleClock {
    uint64_t Now = 0;
    uint64_t Next = UINT64_MAX;
    // Device events so far that changed a device's state (a flag set, a frame ended, a byte
    // arrived): while it stands still, a device has changed only by its counter counting.
    uint64_t Events = 0;
    TClockListener* Listener = nullptr;
    [[gnu::always_inline]] void Advance(uint64_t cycles) {
        Now += cycles;
        if (Now >= Next) [[unlikely]]
            Listener->ClockReached();
    }
};
