#pragma once
// A shipped example program running on the simulated MC6803 with its lab board wired to the
// ports: after every step whose port lines changed, the board hears of it and its answer is
// put on the ports' input pins; time-driven changes come in at their time.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "assembler/compiler.h"
#include "base/encoding.h"
#include "board/boardfile.h"
#include "board/labboard.h"
#include "engine/machine.h"
#include "isa/isa.h"

inline std::string ExampleText(const std::string& name) {
    std::ifstream in(std::string(ORLEK_SOURCE_DIR) + "/examples/boards/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline TBoardConfig ExampleBoard(const std::string& name) {
    TBoardRead read = ParseBoard(ExampleText(name));
    EXPECT_TRUE(read.Ok()) << name << ": " << read.Message();
    return read.Board.value_or(TBoardConfig{});
}

// How simulated time is counted: by E-clock cycles (the chip), or one millisecond a step.
enum class TTimeBase { Cycles, Steps };

class TProgramOnBoard {
public:
    static constexpr uint64_t kEClockHz = 1'228'800;

    TProgramOnBoard(const std::string& program, const std::string& boardFile, TTimeBase time)
        : board(ExampleBoard(boardFile)), time_(time) {
        TCompiler compiler(machine->Memory, ORLEK_PROGRAM_DIR);
        const CompileResult result = compiler.Compile(SplitLines(Utf8ToCp1250(ExampleText(program))));
        EXPECT_EQ(ResultStatus(result), CompileStatus::Ok) << program << " line " << ResultLine(result);
        machine->ResetForRun();
        machine->loaded = true;
        board.PowerOn(0);
        Apply();
    }

    uint64_t Now() const {
        return time_ == TTimeBase::Steps ? steps_ * 1'000'000 : cycles_ * 1'000'000'000 / kEClockHz;
    }

    // Runs n instructions.
    void Run(uint64_t n) {
        for (uint64_t i = 0; i < n; ++i) {
            const IsaEntry* entry = IsaFindOpcode(machine->Memory.Read(machine->Cpu.PC, false).Value);
            uint8_t status = 0;
            machine->Cpu.Step(status);
            cycles_ += (entry ? entry->Cycles : 1) + uint64_t{IsaInterruptEntryCycles} * machine->Cpu.Entries;
            ++steps_;
            const TPortLines p1{machine->Port1.St.Direction, machine->Port1.St.Level};
            const TPortLines p2{machine->Port2.St.Direction, machine->Port2.St.Level};
            const bool changed = board.PortsChanged(Now(), p1, p2);
            if (changed || board.Advance(Now())) Apply();
        }
    }
    // Runs until the simulated time has reached `ns`.
    void RunUntil(uint64_t ns) {
        while (Now() < ns)
            Run(1);
    }

    // A user's action at the present time.
    void Press(const std::string& name) {
        Act(name, [&](TBoardInput in) { return board.Press(Now(), in); });
    }
    void Release(const std::string& name) {
        Act(name, [&](TBoardInput in) { return board.Release(Now(), in); });
    }
    void Switch(const std::string& name, bool on) {
        std::string error;
        const auto in = board.FindInput(name, TLabBoard::TInputUse::Switch, error);
        ASSERT_TRUE(in) << error;
        if (board.SetSwitch(Now(), *in, on)) Apply();
    }

    const TBoardPart& Part(const std::string& name) const {
        for (const TBoardPart& p : board.Parts())
            if (p.Name == name) return p;
        ADD_FAILURE() << "no part " << name;
        return board.Parts().front();
    }

    std::unique_ptr<TMachine> machine = std::make_unique<TMachine>();
    TLabBoard board;

private:
    template <typename F> void Act(const std::string& name, F action) {
        std::string error;
        const auto in = board.FindInput(name, TLabBoard::TInputUse::Press, error);
        ASSERT_TRUE(in) << error;
        if (action(*in)) Apply();
    }
    // What the board drives becomes the level of the ports' input pins.
    void Apply() {
        for (int port = 1; port <= 2; ++port) {
            TPort& p = port == 1 ? machine->Port1 : machine->Port2;
            const TPortDrive d = board.Drive(port);
            const uint8_t pins = static_cast<uint8_t>(d.Mask & ~p.St.Direction);
            p.St.Level = static_cast<uint8_t>((p.St.Level & ~pins) | (d.Level & pins));
        }
    }

    TTimeBase time_;
    uint64_t steps_ = 0, cycles_ = 0;
};
