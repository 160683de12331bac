#pragma once
// The whole state of a session's board for tests that compare two moments (reverse step, turbo
// against orlek-cli): the board as one value (TSession::Capture: registers and Pending, all 64 KiB
// with their line tags, the ports, the timer, the serial interface with its terminal, the trace's
// trigger, the random source, the cycle counter) and what the session shows besides: the trace's
// rows, the log, the current line and the previous instruction.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/sciterminal.h"
#include "session/session.h"

struct TObservedBoard {
    TBoardState Board;
    TRegisterValues Registers; // as the displays read them, D included
    std::vector<std::string> TraceRows;
    size_t LogSize = 0;
    std::string LogLast;
    int ExecutionLine = 0;
    std::string Previous;

    static TObservedBoard Of(TSession& s) {
        TObservedBoard b;
        b.Board = s.Capture();
        b.Registers = s.Registers();
        for (const TraceRow& row : s.Machine().Memory.Trace.Rows()) {
            const TraceColumns c = FormatTraceRow(row);
            b.TraceRows.push_back(c.Address + c.Data + c.Direction);
        }
        b.LogSize = s.Log.Size();
        b.LogLast = s.Log.Size() ? s.Log.Format(s.Log.Size() - 1) : std::string();
        b.ExecutionLine = s.ExecutionLine();
        b.Previous = s.PreviousInstruction();
        return b;
    }
};

// Readable failures for the parts of the board.
inline void PrintTo(const Tsimulator::State& s, std::ostream* os) {
    *os << "A=" << int(s.A) << " B=" << int(s.B) << " PC=" << s.PC << " X=" << s.X << " SP=" << s.SP
        << " CCR=" << int(s.CCR) << " Pending=" << s.Pending.to_string().substr(248);
}
inline void PrintTo(const TPort::State& s, std::ostream* os) {
    *os << "DDR=" << int(s.Direction) << " DR=" << int(s.Level);
}
inline void PrintTo(const TTimer::State& s, std::ostream* os) {
    *os << "counter=" << s.Counter << " compare=" << s.OutputCompare << " capture=" << s.InputCapture
        << " TCSR=" << int(s.TCSR);
}
inline void PrintTo(const TSci::State& s, std::ostream* os) {
    *os << "RMCR=" << int(s.RMCR) << " TRCSR=" << int(s.TRCSR) << " RDR=" << int(s.RDR)
        << " TDR=" << int(s.TDR) << " tx=" << int(s.TxCount) << " rx=" << int(s.RxCount) << "/"
        << int(s.RxByte) << " taken=" << s.RdrTaken << " overrun=" << s.OverrunSeen
        << " mismatch=" << s.RateMismatch;
}
inline void PrintTo(const TSciTerminal::State& s, std::ostream* os) {
    *os << "output \"" << s.Output << "\", " << s.Received.size() << " bytes received";
}

// Part by part, naming the first differing cell of the memory.
inline void ExpectSameBoard(const TObservedBoard& a, const TObservedBoard& b) {
    const TMachine::State& m = a.Board.Machine;
    const TMachine::State& n = b.Board.Machine;
    EXPECT_EQ(m.Cpu, n.Cpu);
    for (size_t address = 0; address < m.Cells.size() && address < n.Cells.size(); ++address)
        if (m.Cells[address] != n.Cells[address]) {
            ADD_FAILURE() << "cell " << address << ": " << int(m.Cells[address].Value) << "/"
                          << m.Cells[address].Line << " against " << int(n.Cells[address].Value) << "/"
                          << n.Cells[address].Line;
            break;
        }
    EXPECT_EQ(m.Cells.size(), n.Cells.size());
    EXPECT_EQ(m.Port1, n.Port1);
    EXPECT_EQ(m.Port2, n.Port2);
    EXPECT_EQ(m.Timer, n.Timer);
    EXPECT_EQ(m.Sci, n.Sci);
    EXPECT_EQ(m.Loopback, n.Loopback);
    EXPECT_EQ(m.Trace.Triggered, n.Trace.Triggered);
    EXPECT_EQ(m.Random.Position, n.Random.Position);
    EXPECT_EQ(a.Board.Terminal, b.Board.Terminal);
    EXPECT_EQ(a.Board.Cycles, b.Board.Cycles);
    EXPECT_TRUE(a.Board == b.Board) << "the board as one value";
    for (CpuRegister reg : kReportRegisters)
        EXPECT_EQ(a.Registers.Value(reg), b.Registers.Value(reg)) << RegisterLabel(reg);
    EXPECT_EQ(a.TraceRows, b.TraceRows);
    EXPECT_EQ(a.LogSize, b.LogSize);
    EXPECT_EQ(a.LogLast, b.LogLast);
    EXPECT_EQ(a.ExecutionLine, b.ExecutionLine);
    EXPECT_EQ(a.Previous, b.Previous);
}
