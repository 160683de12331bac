// orlek-cli: the headless front end of the Orlek workbench (see --help).
#include <cstdio>
#include <string>
#include <vector>

#include "base/files.h"
#include "base/outfile.h"
#include "cli/commands.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    TCliOptions options;
    try {
        options = ParseCliOptions(args);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "orlek-cli: %s\nPomoč: orlek-cli --help\n", e.what());
        return static_cast<int>(CliExit::Usage);
    }
    if (options.Command == CliCommand::Help) {
        std::fputs(CliHelpText(), stdout);
        return static_cast<int>(CliExit::Ok);
    }

    // A run stopped with Ctrl+C or killed leaves none of its temporary files behind.
    RemoveTemporaryFilesOnSignals();
    std::string programDir = ExecutableDirectory();
    if (programDir.empty()) {
        std::fprintf(stderr, "orlek-cli: ne najdem mape programa (/proc/self/exe)\n");
        return static_cast<int>(CliExit::Usage);
    }
    CliExit code;
    try {
        switch (options.Command) {
        case CliCommand::Asm:
            code = AsmCommand(options, programDir, stdout, stderr);
            break;
        case CliCommand::Check:
            code = CheckCommand(options, programDir, stdout, stderr);
            break;
        case CliCommand::Dis:
            code = DisCommand(options, stdout, stderr);
            break;
        default:
            code = RunCommand(options, programDir, stdout, stderr);
            break;
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "orlek-cli: zmanjkalo je pomnilnika\n");
        return static_cast<int>(CliExit::Usage);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "orlek-cli: %s\n", e.what());
        return static_cast<int>(CliExit::Usage);
    }
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "orlek-cli: napaka pri pisanju na standardni izhod\n");
        return static_cast<int>(CliExit::Usage);
    }
    return static_cast<int>(code);
}
