#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/trace.h"

// What `orlek-cli run` reports, gathered after the run.
struct TRunReport {
    bool Loaded = false;
    std::vector<std::string> Messages; // UTF-8, in the order they occurred
    uint8_t A = 0, B = 0;
    uint16_t D = 0, X = 0, PC = 0, SP = 0;
    uint8_t CCR = 0; // 11HINZVC
    uint64_t Steps = 0;
    std::string Stop; // "left", "breakpoint" or "limit"
    int Line = 0;
    struct Memory {
        uint16_t Address = 0;
        std::vector<uint8_t> Bytes;
    };
    std::vector<Memory> Mems;
    std::vector<uint8_t> SciOut;
    std::vector<TraceRow> Trace;
};

// The facts after the messages: registers, stop line, memory rows, sci-out, trace rows.
std::string FormatReportText(const TRunReport& report);
// The whole report as one JSON object followed by a line end.
std::string FormatReportJson(const TRunReport& report);
// A JSON string literal (quotes included); invalid UTF-8 bytes become U+FFFD.
std::string JsonString(const std::string& text);
