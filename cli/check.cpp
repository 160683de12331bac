// orlek-cli check: programs against an exercise. One program prints its full report; several
// (or a folder) are checked in parallel, each in a worker process, and give a summary table.
#include <filesystem>
#include <memory>

#include "base/workers.h"
#include "cli/checkreport.h"
#include "cli/commands.h"
#include "cli/files.h"
#include "cli/grade.h"
#include "cli/gradereport.h"
#include "cli/submissions.h"
#include "session/exercise.h"
#include "session/exercisecheck.h"
#include "session/session.h"

namespace {

void Print(std::FILE* f, const std::string& text) { std::fwrite(text.data(), 1, text.size(), f); }

// Whether the command line names exactly one program file (or standard input): the single
// program's full report, as the command always gave it.
bool SingleProgram(const TCliOptions& options) {
    if (options.Programs.size() != 1) return false;
    if (options.Programs[0] == "-") return true;
    std::error_code ec;
    return !std::filesystem::is_directory(options.Programs[0], ec);
}

// Refuses report files that would overwrite the exercise, a program given by name, or each
// other.
bool ReportsAreDistinct(const TCliOptions& options, std::FILE* err) {
    const std::pair<const char*, const std::string*> reports[] = {{"--csv", &options.CsvFile},
                                                                  {"--junit", &options.JUnitFile}};
    for (const auto& [name, path] : reports) {
        if (path->empty()) continue;
        std::vector<std::string> inputs = {options.Exercise};
        for (const std::string& p : options.Programs)
            if (p != "-") inputs.push_back(p);
        for (const std::string& input : inputs)
            if (SameFile(*path, input)) {
                Print(err, std::string("orlek-cli: ") + name + " \"" + *path +
                               "\" je vhodna datoteka; ne prepišem je\n");
                return false;
            }
    }
    if (!options.CsvFile.empty() && !options.JUnitFile.empty() &&
        SameFile(options.CsvFile, options.JUnitFile)) {
        Print(err, "orlek-cli: --csv in --junit pišeta v isto datoteko \"" + options.CsvFile + "\"\n");
        return false;
    }
    return true;
}

// Writes the reports asked for; false (with a message) when one could not be written.
bool WriteReports(const TCliOptions& options, const TExercise& exercise,
                  const std::vector<TProgramGrade>& grades, std::FILE* err) {
    bool ok = true;
    const std::pair<const std::string*,
                    std::string (*)(const TExercise&, const std::vector<TProgramGrade>&, bool)>
        reports[] = {{&options.CsvFile, FormatGradeCsv}, {&options.JUnitFile, FormatGradeJUnit}};
    for (const auto& [path, format] : reports) {
        if (path->empty()) continue;
        try {
            TAtomicFile file(*path);
            file.Write(format(exercise, grades, options.ShowHidden));
            file.Commit();
        } catch (const FileError& e) {
            Print(err, std::string("orlek-cli: ") + e.what() + "\n");
            ok = false;
        }
    }
    return ok;
}

std::string ExerciseStem(const std::string& path) { return std::filesystem::path(path).stem().string(); }

} // namespace

CliExit CheckCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out,
                     std::FILE* err) {
    // A bad exercise is the teacher's fault, not the student's: nothing runs, exit 2.
    TExerciseRead read = ReadExerciseFile(options.Exercise);
    if (!read.Ok()) {
        Print(err, "orlek-cli: naloga \"" + options.Exercise + "\": " + read.Message() + "\n");
        return CliExit::Usage;
    }
    // --model applies where the exercise does not fix the model itself.
    if (!read.Exercise->Model) read.Exercise->Model = options.Model;
    const TExercise& exercise = *read.Exercise;
    if (!ReportsAreDistinct(options, err)) return CliExit::Usage;
    TCheckLimits limits;
    if (options.MaxSteps) limits.MaxSteps = *options.MaxSteps;
    limits.Timeout = std::chrono::milliseconds(options.TimeoutMs);

    if (!SingleProgram(options)) {
        std::vector<TSubmission> submissions;
        try {
            submissions = FindSubmissions(options.Programs, ExerciseStem(options.Exercise));
            // The tables are read once here, so that broken tables are one message, not one per
            // program.
            TSession tables(programDir, /*defaultListing=*/false);
        } catch (const std::exception& e) {
            Print(err, std::string("orlek-cli: ") + e.what() + "\n");
            return CliExit::Usage;
        }
        TGradeOptions grading;
        grading.Jobs = options.Jobs != 0 ? options.Jobs : ProcessorCount();
        grading.Limits = limits;
        const std::vector<TProgramGrade> grades = GradePrograms(exercise, submissions, programDir, grading);
        bool all = true;
        for (const TProgramGrade& g : grades) {
            for (const std::string& warning : g.Warnings)
                Print(err, "orlek-cli: opozorilo: " + warning + "\n");
            all = all && g.Passed();
        }
        Print(out, options.Json ? FormatGradeJson(exercise, grades, options.ShowHidden)
                                : FormatGradeTable(exercise, grades, options.ShowHidden));
        if (!WriteReports(options, exercise, grades, err)) return CliExit::Usage;
        return all ? CliExit::Ok : CliExit::CheckFailed;
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
    session->SetHistoryEnabled(false);

    TProgramGrade grade;
    grade.Name = grade.File = options.Source;
    grade.Result = CheckProgram(*session, exercise, source.Lines(), limits);
    const TExerciseResult& result = grade.Result;
    Print(out, options.Json ? FormatCheckJson(exercise, result, options.ShowHidden)
                            : FormatCheckText(exercise, result, options.ShowHidden));
    if (!WriteReports(options, exercise, {grade}, err)) return CliExit::Usage;
    return result.Passed() ? CliExit::Ok : CliExit::CheckFailed;
}
