// orlek-cli check: a program against an exercise.
#include <memory>

#include "cli/checkreport.h"
#include "cli/commands.h"
#include "cli/files.h"
#include "session/exercise.h"
#include "session/exercisecheck.h"
#include "session/session.h"

namespace {
void Print(std::FILE* f, const std::string& text) { std::fwrite(text.data(), 1, text.size(), f); }
} // namespace

CliExit CheckCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out,
                     std::FILE* err) {
    // A bad exercise is the teacher's fault, not the student's: nothing runs, exit 2.
    const TExerciseRead read = ReadExerciseFile(options.Exercise);
    if (!read.Ok()) {
        Print(err, "orlek-cli: naloga \"" + options.Exercise + "\": " + read.Message() + "\n");
        return CliExit::Usage;
    }
    TSourceText source;
    try {
        source = ReadSource(options.Source);
    } catch (const FileError& e) {
        Print(err, std::string("orlek-cli: ") + e.what() + "\n");
        return CliExit::Usage;
    }
    if (source.Lossy)
        Print(err, "orlek-cli: opozorilo: nekaterih znakov v \"" + options.Source +
                       "\" kodna tabela Windows-1250 nima; prevajalnik vidi namesto njih '?'\n");
    std::unique_ptr<TSession> session;
    try {
        session = std::make_unique<TSession>(programDir, /*defaultListing=*/false);
    } catch (const std::exception& e) {
        Print(err, std::string("orlek-cli: ") + e.what() + "\n");
        return CliExit::Usage;
    }
    session->Log.Enabled = false;

    const TExerciseResult result = CheckProgram(*session, *read.Exercise, source.Lines);
    Print(out,
          options.Json ? FormatCheckJson(*read.Exercise, result) : FormatCheckText(*read.Exercise, result));
    return result.Passed() ? CliExit::Ok : CliExit::CheckFailed;
}
