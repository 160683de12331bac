#pragma once
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

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
// `similar`: pairs of alike programs among options.Programs (needs no tables either).
CliExit SimilarCommand(const TCliOptions& options, std::FILE* out, std::FILE* err);
// `dis` needs no tables: the instruction set is compiled in.
CliExit DisCommand(const TCliOptions& options, std::FILE* out, std::FILE* err);

// The whole of orlek-cli after the program name: parses `args`, prints a usage error or --help,
// and runs the command. `programDir` finds the folder of bin/ukazi.red and bin/ukazi.dat (empty:
// not found); it is asked once the command line is known to name a command. Returns the exit
// code.
int CliMain(const std::vector<std::string>& args, const std::function<std::string()>& programDir,
            std::FILE* out, std::FILE* err);
