#pragma once
// The whole state of a session's board, taken field by field, for tests that compare two
// moments (reverse step, turbo against orlek-cli): registers and Pending, all 64 KiB with their
// line tags, the ports, the timer, the serial interface with its terminal, the trace, the random
// source, the cycle counter, the log and the current line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/machine.h"
#include "session/sciterminal.h"
#include "session/session.h"

struct TBoardState {
    TRegisterValues Registers;
    std::string Pending; // the set as text, all 256 members
    std::vector<uint8_t> Values;
    std::vector<int16_t> Lines;
    uint8_t Port1Direction, Port1Level, Port2Direction, Port2Level;
    uint16_t Counter, OutputCompare, InputCapture;
    uint8_t TCSR;
    uint8_t RMCR, TRCSR, RDR, TDR, TxCount, RxCount, RxByte;
    bool RdrTaken, OverrunSeen, RateMismatch;
    uint64_t Random;
    std::string TerminalOutput;
    std::vector<uint8_t> Received;
    bool Triggered;
    std::vector<std::string> TraceRows;
    uint64_t Cycles;
    size_t LogSize;
    std::string LogLast;
    int ExecutionLine;
    std::string Previous;

    static TBoardState Of(TSession& s) {
        TBoardState b;
        TMachine& m = s.Machine();
        b.Registers = s.Registers();
        b.Pending = m.Cpu.Pending.to_string();
        for (const MemoryCell& cell : m.Memory.Cells) {
            b.Values.push_back(cell.Value);
            b.Lines.push_back(cell.Line);
        }
        b.Port1Direction = m.Port1.Direction;
        b.Port1Level = m.Port1.Level;
        b.Port2Direction = m.Port2.Direction;
        b.Port2Level = m.Port2.Level;
        b.Counter = m.Timer.Counter;
        b.OutputCompare = m.Timer.OutputCompare;
        b.InputCapture = m.Timer.InputCapture;
        b.TCSR = m.Timer.TCSR;
        b.RMCR = m.Sci.RMCR;
        b.TRCSR = m.Sci.TRCSR;
        b.RDR = m.Sci.RDR;
        b.TDR = m.Sci.TDR;
        b.TxCount = m.Sci.TxCount;
        b.RxCount = m.Sci.RxCount;
        b.RxByte = m.Sci.RxByte;
        b.RdrTaken = m.Sci.RdrTaken;
        b.OverrunSeen = m.Sci.OverrunSeen;
        b.RateMismatch = m.Sci.RateMismatch;
        b.Random = m.Random.State();
        b.TerminalOutput = s.SciTerminal().Output();
        b.Received = s.SciTerminal().Received();
        b.Triggered = m.Memory.Trace.Triggered;
        for (const TraceRow& row : m.Memory.Trace.Rows()) {
            const TraceColumns c = FormatTraceRow(row);
            b.TraceRows.push_back(c.Address + c.Data + c.Direction);
        }
        b.Cycles = s.Cycles();
        b.LogSize = s.Log.Size();
        b.LogLast = s.Log.Size() ? s.Log.Format(s.Log.Size() - 1) : std::string();
        b.ExecutionLine = s.ExecutionLine();
        b.Previous = s.PreviousInstruction();
        return b;
    }
};

// Field by field, naming the first differing cell of the memory.
inline void ExpectSameBoard(const TBoardState& a, const TBoardState& b) {
    for (CpuRegister reg : kReportRegisters)
        EXPECT_EQ(a.Registers.Value(reg), b.Registers.Value(reg)) << RegisterLabel(reg);
    EXPECT_EQ(a.Pending, b.Pending);
    for (size_t address = 0; address < a.Values.size(); ++address)
        if (a.Values[address] != b.Values[address] || a.Lines[address] != b.Lines[address]) {
            ADD_FAILURE() << "cell " << address << ": " << int(a.Values[address]) << "/" << a.Lines[address]
                          << " against " << int(b.Values[address]) << "/" << b.Lines[address];
            break;
        }
    EXPECT_EQ(a.Port1Direction, b.Port1Direction);
    EXPECT_EQ(a.Port1Level, b.Port1Level);
    EXPECT_EQ(a.Port2Direction, b.Port2Direction);
    EXPECT_EQ(a.Port2Level, b.Port2Level);
    EXPECT_EQ(a.Counter, b.Counter);
    EXPECT_EQ(a.OutputCompare, b.OutputCompare);
    EXPECT_EQ(a.InputCapture, b.InputCapture);
    EXPECT_EQ(a.TCSR, b.TCSR);
    EXPECT_EQ(a.RMCR, b.RMCR);
    EXPECT_EQ(a.TRCSR, b.TRCSR);
    EXPECT_EQ(a.RDR, b.RDR);
    EXPECT_EQ(a.TDR, b.TDR);
    EXPECT_EQ(a.TxCount, b.TxCount);
    EXPECT_EQ(a.RxCount, b.RxCount);
    EXPECT_EQ(a.RxByte, b.RxByte);
    EXPECT_EQ(a.RdrTaken, b.RdrTaken);
    EXPECT_EQ(a.OverrunSeen, b.OverrunSeen);
    EXPECT_EQ(a.RateMismatch, b.RateMismatch);
    EXPECT_EQ(a.Random, b.Random);
    EXPECT_EQ(a.TerminalOutput, b.TerminalOutput);
    EXPECT_EQ(a.Received, b.Received);
    EXPECT_EQ(a.Triggered, b.Triggered);
    EXPECT_EQ(a.TraceRows, b.TraceRows);
    EXPECT_EQ(a.Cycles, b.Cycles);
    EXPECT_EQ(a.LogSize, b.LogSize);
    EXPECT_EQ(a.LogLast, b.LogLast);
    EXPECT_EQ(a.ExecutionLine, b.ExecutionLine);
    EXPECT_EQ(a.Previous, b.Previous);
}
