#pragma once
// run --load-state / --save-state: a run that goes on from a snapshot, and one written at the end.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "assembler/sourcelines.h"
#include "cli/options.h"
#include "session/snapshot.h"

// The snapshot of --load-state, or nothing after a message.
std::optional<TSnapshot> ReadStateFile(const std::string& path, std::FILE* err);

// The session takes the snapshot up: its program loaded and halted at the snapshot's step, with
// its breakpoints, board, trace and cycle counter. False after a message.
bool ContinueFromState(const std::string& path, const TSnapshot& snapshot, TSession& session, std::FILE* err);

// --save-state: the session as the run left it, with the source (`lines`, Windows-1250, from the
// file options.Source, or the snapshot's when the run went on from `continued`), the watches of
// that snapshot and the steps since the load. False after a message; the old file then stays.
bool SaveStateFile(const TCliOptions& options, TSession& session, const TSnapshot* continued,
                   const TSourceLines& lines, uint64_t steps, std::FILE* err);
