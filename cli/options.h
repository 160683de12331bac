#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/model.h"
#include "engine/trace.h"

// Raised for a malformed command line; the message is shown with the usage hint, exit code 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class CliCommand { Help, Asm, Run, Check, Dis, Similar };

// The moments of the stimuli below are step numbers, or cycle counts with kAtCycle added
// (session/scenario.h), as "5000c" gives them.

// Bytes the external system sends to the serial interface, from step `Step` on.
struct TSendEvent {
    std::vector<uint8_t> Bytes;
    uint64_t Step = 1;
};

// An input pin of a port toggled before a step.
struct TPinEvent {
    int Port = 1; // 1 or 2
    int Bit = 0;  // 0..7 for Port 1, 0..4 for Port 2
    uint64_t Step = 1;
};

// The user's hand on the lab board before a step: a button or key pressed or let go, a switch
// set. The name is resolved against the board once it has been read.
struct TBoardEvent {
    enum class Kind : uint8_t { Press, Release, Switch };
    Kind What = Kind::Press;
    std::string Name; // a button, a key ("5", "KEY:5") or a switch, as the board file names it
    bool On = false;  // Switch: the new position
    uint64_t Step = 1;
    std::string Option, Value; // as given, for messages: "--press", "5@100"
};

struct TMemRange {
    uint16_t Address = 0;
    uint32_t Length = 0; // 1..65536, Address + Length <= 65536
};

struct TCliOptions {
    CliCommand Command = CliCommand::Help;
    std::string Source;
    // check: the exercise file (the first file argument; Source is the second)
    std::string Exercise;
    // check: every program or folder after the exercise (Source is the first of them);
    // similar: the folders and files to compare
    std::vector<std::string> Programs;
    std::string CsvFile;
    std::string JUnitFile;
    unsigned Jobs = 0;          // 0: one per processor
    uint64_t TimeoutMs = 30000; // wall time per program; 0: none
    std::optional<uint64_t> MaxSteps;
    bool ShowHidden = false;

    // similar
    double Threshold = 0.8;
    std::string HtmlFile;

    // dis (Source is the S-record file)
    std::optional<uint16_t> From;
    std::optional<uint64_t> Count;
    bool DisSource = false;

    // asm
    std::string ListingFile;
    std::string SrecFile;
    bool Symbols = false;

    // run
    uint64_t Steps = 1000000;
    std::vector<int> Breaks;              // 1-based lines
    std::vector<std::string> BreakLabels; // label names (UTF-8), resolved against the source
    std::vector<uint64_t> IrqSteps;
    std::vector<uint64_t> NmiSteps;
    uint64_t TimerEvery = 5;
    uint64_t SciEvery = 150;
    bool ClockGiven = false; // --timer-every or --sci-every was given
    // run, check: the processor model (an exercise that names one overrides it)
    TProcessorModel Model = TProcessorModel::Classic;
    std::vector<TSendEvent> Sends;
    bool Loopback = false;
    std::vector<TPinEvent> Pins;
    std::optional<uint32_t> Seed;
    std::vector<TMemRange> Mems;
    std::vector<TraceCondition> Triggers;
    std::vector<TraceCondition> Qualifiers;
    uint64_t TraceLimit = 1000000; // trace rows kept; later matching accesses are counted only
    std::string LogFile;
    bool Json = false;
    bool Profile = false; // the profile of lines and subroutines in the report
    uint64_t Back = 0;    // steps to take back after the run
    // The lab board on the ports, and what the user does to it.
    std::string Board;
    std::vector<TBoardEvent> BoardEvents; // in the order of the command line
    // A snapshot to go on from (it holds the source, so no source file is given), and one to
    // write at the end of the run.
    std::string LoadState;
    std::string SaveState;
    bool TraceLimitGiven = false; // --trace-limit was given (a snapshot keeps its own limit)
    // The logic analyser: the signals' levels written as a Value Change Dump.
    std::string VcdFile;
    std::optional<std::string> Signals; // names separated by commas; every signal without it
};

// Parses the arguments after the program name. Throws UsageError.
TCliOptions ParseCliOptions(const std::vector<std::string>& args);

// The full --help text (UTF-8).
const char* CliHelpText();
