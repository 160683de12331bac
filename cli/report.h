#pragma once
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "engine/trace.h"
#include "session/registers.h"

// What `orlek-cli run` reports, gathered after the run.
struct TRunReport {
    bool Loaded = false;
    std::vector<std::string> Messages; // UTF-8, in the order they occurred
    TRegisterValues Registers;
    uint64_t Steps = 0;
    std::string Stop; // "left", "breakpoint", "limit" or "back"
    int Line = 0;
    uint64_t Cycles = 0;
    std::string Model = "classic"; // the processor model: "classic" or "chip"
    struct Memory {
        uint16_t Address = 0;
        std::vector<uint8_t> Bytes;
    };
    std::vector<Memory> Mems;
    std::vector<uint8_t> SciOut;
    // What the lab board shows, when there is one: "board NAME: ..." lines, and the same as
    // {NAME: ...} (board/shows.h).
    bool HasBoard = false;
    std::vector<std::string> BoardText;
    nlohmann::ordered_json BoardJson;
    std::vector<TraceRow> Trace;
    // --profile: executions and cycles per source line (lines that ran, in order) and per
    // subroutine (by inclusive cycles, most first).
    bool HasProfile = false;
    struct ProfileLine {
        int Line = 0;
        uint64_t Count = 0, Cycles = 0;
    };
    struct ProfileSubroutine {
        std::string Label; // UTF-8
        uint16_t Address = 0;
        uint64_t Calls = 0, Inclusive = 0, Exclusive = 0;
    };
    std::vector<ProfileLine> ProfileLines;
    std::vector<ProfileSubroutine> ProfileSubroutines;
};

// The facts after the messages: registers, stop line, memory rows, sci-out, the board's parts,
// trace rows, the profile.
std::string FormatReportText(const TRunReport& report);
// The whole report as one JSON object followed by a line end. Text that is not valid UTF-8
// has its bad bytes replaced by U+FFFD.
std::string FormatReportJson(const TRunReport& report);
