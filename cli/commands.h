#pragma once
#include <cstdio>
#include <string>

#include "cli/options.h"

// Exit codes of orlek-cli.
enum class CliExit : int {
    Ok = 0,          // the program ran (any stop), or the assembly succeeded
    LoadFailed = 1,  // the assembly (or load) failed
    CheckFailed = 1, // check: an expectation is not met, or the program did not assemble
    Usage = 2,       // bad arguments, unreadable or unwritable files, broken tables
};

// `asm` and `run` with everything resolved: the program directory holds bin/ukazi.red and
// bin/ukazi.dat. Normal output goes to `out`, messages about failures to `err`.
CliExit AsmCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out, std::FILE* err);
CliExit RunCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out, std::FILE* err);
// `check`: the program (options.Source) against the exercise (options.Exercise).
CliExit CheckCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out,
                     std::FILE* err);
// `dis` needs no tables: the instruction set is compiled in.
CliExit DisCommand(const TCliOptions& options, std::FILE* out, std::FILE* err);
