#pragma once
// A self-checking exercise: what a teacher expects of a student's program, read from a small
// JSON file. The file names the stimuli (the scenario's: IRQ, NMI, pin toggles, serial bytes at
// given steps) and a list of checkpoints, each with the expectations that must hold there.
//
//   {
//     "title": "Kvadrat",                        // required
//     "description": "Podprogram ...",           // a text or a list of lines
//     "seed": 1, "timer_every": 5, "sci_every": 150, "loopback": false,
//     "model": "chip",                           // the processor model: "classic" or "chip"
//                                                // (a stimulus may give "cycle" for "step")
//     "board": "lucke.json",                     // a lab board, relative to this file
//     "stimuli": [{"step": 20, "send": "AB"}, {"step": 50, "irq": true},
//                 {"step": 90, "nmi": true}, {"step": 500, "pin": "1.7"},
//                 {"step": 600, "press": "T0"}, {"step": 700, "release": "T0"},
//                 {"step": 800, "switch": "S1", "on": true}],
//     "checks": [
//       {"at": "KONEC", "hit": 1, "within": 100000,  // or "steps": 2000
//        "name": "Po obeh klicih",
//        "registers": {"A": "$90", "B": 85, "SP": "$FF", "Z": 0},
//        "memory": [{"address": "$80", "bytes": [49, "$90"]}, {"address": "STEVEC", "word": 300}],
//        "sci_out": "OK", "pins": {"1.0": 1, "P21": 0},
//        "stays_in_code": true, "max_cycles": 2000,
//        "max_steps": 500, "max_code_bytes": 64,      // budgets
//        "points": 2, "hidden": true,                 // grading (default: 1 point, shown)
//        "board": {"L0": {"on": true}, "DISP": {"text": "1234"}, "KEY": {"pressed": "5"},
//                  "LCD": {"lines": ["Pozdrav"], "cursor": [0, 7]}}}
//     ]
//   }
//
// Comments (// and /* */) are allowed. Numbers are JSON integers or strings: decimal, "$hex",
// "0xhex", "%binary", or a label of the checked program with an optional offset ("TABELA+3").
// A byte sequence is a list of such numbers or a text (sent and compared in Windows-1250).
// A checkpoint's "board" says what parts of the exercise's board show, in the form of
// `orlek-cli run --board --json` (board/shows.h): a lamp or switch {"on"}, a button {"pressed":
// true}, a digit {"text", "segments"}, a display {"text"}, a keypad {"pressed": "5"}, an LCD
// {"lines": the first rows, "cursor": [row, column] or null}; press, release and switch name
// the board's buttons, keys and switches as orlek-cli's --press and --switch do.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/boardfile.h"
#include "session/registers.h"
#include "session/scenario.h"

// A number as the exercise writes it: a constant, or a label of the checked program plus an
// offset. Labels are resolved once the program has been assembled.
struct TExerciseValue {
    std::string Label;  // upper case, Windows-1250; empty for a constant
    int32_t Number = 0; // the constant, or the offset added to the label's value
    std::string Text;   // as written in the file (UTF-8), for the report

    bool IsLabel() const { return !Label.empty(); }
};

// One thing that must hold at a checkpoint.
struct TExpectation {
    enum class Kind : uint8_t {
        Register,     // Register == Value
        Flag,         // Flag == Level
        Byte,         // the byte at Address == Value
        Word,         // the big-endian word at Address == Value
        Bytes,        // the bytes from Address on == Bytes
        SciOut,       // every byte the SCI has transmitted so far == Bytes
        Pin,          // the level of pin Bit of port Port == Level
        StaysInCode,  // the program has not left its code so far
        MaxCycles,    // the run so far took at most Limit cycles
        MaxSteps,     // the run so far took at most Limit steps
        MaxCodeBytes, // the assembled program has at most Limit bytes (vectors not counted)
        BoardPart,    // the lab board's part PartName shows Shown as its Field
    };
    Kind What = Kind::Register;
    CpuRegister Register = CpuRegister::A;
    CpuFlag Flag = CpuFlag::C;
    TExerciseValue Address;
    TExerciseValue Value;
    std::vector<uint8_t> Bytes;
    int Port = 1, Bit = 0;
    bool Level = false;
    uint64_t Limit = 0;
    // BoardPart: the part, the key of its JSON that is looked at ("on", "pressed", "text",
    // "segments", "cursor"; "lines" with the row Row) and the value that key must have, as
    // compact JSON ("true", "\"1234\"", "[0,7]").
    std::string PartName;
    std::string Field;
    int Row = 0;
    std::string Shown;
};

// Where expectations are checked: after a number of steps counted from the start, or when the
// program counter arrives at a label for the Hit-th time (before that instruction runs, as at a
// breakpoint), within Within steps of the previous checkpoint.
struct TCheckpoint {
    static constexpr uint64_t kDefaultWithin = 1'000'000;
    static constexpr uint64_t kMaxSteps = 10'000'000; // bound on "steps" and "within"
    // Bound on the steps of a whole check, however many checkpoints it has (a few seconds).
    static constexpr uint64_t kMaxRunSteps = 100'000'000;

    std::string Name;      // the teacher's caption (UTF-8), may be empty
    uint64_t Steps = 0;    // > 0: after this many steps (or earlier, when the program leaves its code)
    std::string Label;     // otherwise: at this label (upper case, Windows-1250)
    std::string LabelText; // the label as written (UTF-8)
    uint64_t Hit = 1;
    uint64_t Within = kDefaultWithin;
    std::vector<TExpectation> Expectations; // in the order of the file
    // What the checkpoint is worth when all its expectations hold (partial credit).
    double Points = 1;
    // Counted and graded, but a student's report tells only that it exists and whether it
    // held, not what it checks.
    bool Hidden = false;
};

struct TExercise {
    std::string Title;       // UTF-8
    std::string Description; // UTF-8, lines separated by '\n'
    TVirtualClock Clock;     // MsPerStep is always 1
    std::optional<uint32_t> Seed;
    bool Loopback = false;
    // The processor model the check runs in whatever the setting; none: the setting's.
    std::optional<TProcessorModel> Model;
    std::vector<TStimulus> Stimuli;
    std::vector<TCheckpoint> Checkpoints;
    // The file gives points or hidden checkpoints: the reports then show the points.
    bool Scored = false;

    double MaxPoints() const;
    // The lab board the program runs on: the file as the exercise names it (UTF-8) and what it
    // holds; none when the exercise names no board.
    std::string BoardFile;
    std::optional<TBoardConfig> Board;
};

// Reading an exercise: the exercise, or a Slovenian message (UTF-8) and the 1-based line of the
// file it refers to (0 when it concerns the whole file).
struct TExerciseRead {
    std::optional<TExercise> Exercise;
    std::string Error;
    int Line = 0;
    int Column = 0; // for bad JSON: the 1-based column of the offending token, else 0

    bool Ok() const { return Exercise.has_value(); }
    // "vrstica 12: ...", "vrstica 4, stolpec 16: ...", or the bare message when there is no line.
    std::string Message() const;
};

// Parses the text of an exercise file (UTF-8 JSON, comments allowed). Every fault of the text
// is reported, none thrown: bad JSON with the line and column where it was noticed, a wrong
// key, type or value with the line it stands on, a text over 256 KiB or nested over 32 levels.
// The board file it names is read from `directory` (the exercise file's folder; empty: the
// working directory) when its path is relative; a wrong board is a fault of the exercise.
TExerciseRead ParseExercise(std::string_view text, const std::string& directory = {});
// Reads and parses a file; refuses unreadable files and files over 256 KiB. The messages do not
// name the file: the caller does.
TExerciseRead ReadExerciseFile(const std::string& path);
