#pragma once
// A snapshot: the whole session in one file, so that a question about a program can be sent with
// the program at the very step it was asked at. The file is JSON (UTF-8):
//   {"format": "orlek-stanje", "version": 1, "model": "classic",
//    "source": {"path": "...", "text": "..."}, "breakpoints": [12, 7],
//    "watches": [{"target": "STEVEC", "size": "word"}],
//    "machine": {...}, "terminal": {...}, "trace": {...}, "cycles": 1234, "steps": 500,
//    "board": null | {"file": "...", "text": "...", "state": {...}}}
// Reading checks the whole file before anything is used: a file that is no JSON, that is not a
// snapshot, that a newer program wrote, or whose parts do not fit together is refused with a
// Slovenian message, and nothing changes.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/trace.h"
#include "session/journaljson.h"
#include "session/session.h"
#include "session/watches.h"

inline constexpr const char* kSnapshotFormat = "orlek-stanje";
inline constexpr int kSnapshotVersion = 1;
// A snapshot holds the trace's rows and the board's whole memory; anything larger than this is
// no snapshot of this program.
inline constexpr size_t kMaxSnapshotBytes = size_t{512} << 20;

// The processor models, as a snapshot names them. The session's model is told here once: a
// second model adds its name to KnownModel and SessionModel says which one the session runs.
inline constexpr std::string_view kModelClassic = "classic";
std::string SessionModel(const TSession& session);
bool KnownModel(std::string_view name);

// What the trace holds besides the board's state (its trigger): the user's conditions and limit,
// whether it records, and the rows it recorded.
struct TTraceRecord {
    bool Enabled = false;
    uint64_t RowLimit = TTrace::kDefaultRowLimit;
    std::vector<TraceCondition> Triggers; // newest first, as the lists keep them
    std::vector<TraceCondition> Qualifiers;
    std::vector<TraceRow> Rows;
    uint64_t Dropped = 0;
    uint64_t Recorded = 0;
    bool operator==(const TTraceRecord& other) const;
};

struct TSnapshot {
    std::string Model{kModelClassic};
    std::string SourcePath;       // UTF-8, as the document was named; empty for a new one
    std::string Source;           // the document's text, UTF-8, lines ending in "\n"
    std::vector<int> Breakpoints; // newest first
    std::vector<TWatch> Watches;
    TBoardState Board;
    // The cycles counted before the counter was last set back to 0 by hand: the lab board's time
    // goes on from there.
    uint64_t BoardCycleBase = 0;
    std::string BoardFile; // the lab board's file as it was opened (UTF-8); may be empty
    std::string BoardText; // that file's text; empty without a lab board
    TTraceRecord Trace;
    // Steps since the load, where a run counted them (the command line does, so that a run that
    // goes on keeps its clocks and stimuli in step); 0 otherwise.
    uint64_t Steps = 0;
    // The opcode of the instruction the last step executed ("Prejšnji ukaz:"), -1 for none.
    int PreviousOpcode = -1;
    // The steps before this one, for reverse step; a snapshot may go without them.
    std::optional<THistory> History;
    bool operator==(const TSnapshot&) const = default;
};

// The source as the assembler takes it: the text's lines in Windows-1250.
std::vector<std::string> SnapshotSourceLines(const TSnapshot& snapshot);

// The file's text, and the snapshot read back from one; the message names what is wrong.
std::string SnapshotToJson(const TSnapshot& snapshot);
struct TSnapshotRead {
    std::optional<TSnapshot> Snapshot;
    std::string Error; // Slovenian, UTF-8
    bool Ok() const { return Snapshot.has_value(); }
};
TSnapshotRead ParseSnapshot(std::string_view text);
TSnapshotRead ReadSnapshotFile(const std::string& path);
// Writes the file atomically; false with a message (the old file is then untouched).
bool WriteSnapshotFile(const std::string& path, const TSnapshot& snapshot, std::string& error);

// The session's part of a snapshot: the model, the breakpoints, the board with its lab board,
// the trace, the cycle counter, and with `history` the steps the session keeps. The source, the
// watches and the step count are the caller's.
TSnapshot CaptureSnapshot(TSession& session, bool history = false);
// Puts a snapshot into the session: stops a running program, assembles the snapshot's source
// (with its breakpoints) and loads it, sets the snapshot's lab board (or removes the session's),
// then puts back the board, the trace and the cycle counter; the session is halted at the step
// the snapshot was taken at, with the snapshot's history (when it has one and the session keeps
// one) or none. When the source does not assemble, nothing but
// the stop has happened and the message says why.
bool ApplySnapshot(TSession& session, const TSnapshot& snapshot, std::string& error);
