#pragma once
// Checking a program against an exercise: the program runs as a scenario with the exercise's
// stimuli on the virtual clock, and at each checkpoint every expectation is compared with the
// machine's state. The command line's `check` and the workbench's "Preveri nalogo" share it.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "assembler/sourcelines.h"
#include "session/exercise.h"

class TSession;

// One expectation as checked: what it concerns, the expected and the actual value as text
// (UTF-8), and whether they agree.
struct TExpectationResult {
    std::string What;
    std::string Expected;
    std::string Actual;
    bool Passed = false;
};

struct TCheckpointResult {
    std::string Where;  // "pri oznaki KONEC", "po 2000 korakih"
    std::string Name;   // the exercise's caption of the checkpoint, may be empty
    uint64_t Steps = 0; // steps executed when the expectations were checked
    // false: the checkpoint was not reached, its expectations could not be checked and count as
    // failed ("stays_in_code" excepted, which holds for the run so far)
    bool Reached = true;
    std::vector<TExpectationResult> Results;
    double Points = 1;   // what the checkpoint is worth when every expectation holds
    bool Hidden = false; // a hidden checkpoint: see TCheckpoint::Hidden

    // Every expectation holds (a checkpoint always has at least one).
    bool Passed() const;
};

struct TExerciseResult {
    bool Loaded = false; // false: the program did not assemble; Messages say why
    // The assembler's messages after a failed load, otherwise what the run reported (vector
    // messages, "Kam pa sedaj?"), UTF-8.
    std::vector<std::string> Messages;
    std::vector<TCheckpointResult> Checkpoints;
    uint64_t Steps = 0; // steps executed in all

    size_t Total() const;
    size_t PassedCount() const;
    bool Passed() const { return Loaded && Total() > 0 && PassedCount() == Total(); }
    // Checkpoints whose expectations all hold, and the points they are worth (partial credit:
    // each checkpoint counts on its own).
    size_t CheckpointsPassed() const;
    double Points() const;
};

// Points as text: "3", "2.5" (rounded to two decimals); `comma` writes a decimal comma.
std::string PointsText(double points, bool comma = false);
// "Točke: 2,5 od 4." for a report of an exercise that gives points.
std::string PointsSummary(const TExercise& exercise, const TExerciseResult& result);

// Bounds of one check beyond the exercise's own: the steps of the whole run, and the wall time
// it may take (zero: no bound). Reaching either ends the run there: what is not checked by
// then counts as failed, and the run's messages say which bound ended it.
struct TCheckLimits {
    uint64_t MaxSteps = TCheckpoint::kMaxRunSteps;
    std::chrono::milliseconds Timeout{0};
};

// What the board needs before the load: the pin levels of a new board (the load resets the rest),
// the random source's seed when the exercise fixes one (the load draws the timer's start
// value), and the exercise's lab board, new (its switches as the board file sets them), in
// place of any the session had; without one in the exercise the session's board is removed.
void PrepareExerciseBoard(TSession& session, const TExercise& exercise);

// Runs the exercise on the program the session has just loaded and checks every checkpoint in
// turn. The run is not logged; breakpoints do not stop it; the serial line's loopback is the
// exercise's during the run and the user's again afterwards. The machine's state is left as the
// last checkpoint found it, halted (or stopped, when the program left its code), so it can be
// looked at. The "max_cycles" expectation reads the session's cycle counter, which the load
// started at 0. With no program loaded nothing runs and the result has Loaded false.
TExerciseResult CheckLoadedProgram(TSession& session, const TExercise& exercise,
                                   const TCheckLimits& limits = {});

// Prepares the board, loads `lines` (8-bit source text) as the Load command does, and checks.
// A failed assembly gives Loaded false with the assembler's messages.
TExerciseResult CheckProgram(TSession& session, const TExercise& exercise, const TSourceLines& lines,
                             const TCheckLimits& limits = {});
