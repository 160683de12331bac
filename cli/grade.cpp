#include "cli/grade.h"

#include <memory>
#include <nlohmann/json.hpp>

#include "base/workers.h"
#include "cli/files.h"
#include "session/session.h"

namespace {

using Json = nlohmann::json;

std::string Seconds(std::chrono::milliseconds time) {
    const auto ms = time.count();
    if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
    return std::to_string(ms / 1000) + "," + std::to_string(ms % 1000 / 100) + " s";
}

} // namespace

TProgramGrade GradeProgram(const TExercise& exercise, const TSubmission& submission,
                           const std::string& programDir, const TCheckLimits& limits) {
    TProgramGrade grade;
    grade.Name = submission.Name;
    grade.File = submission.File;
    if (!submission.Problem.empty()) {
        grade.Failure = submission.Problem;
        return grade;
    }
    TSourceText source;
    try {
        source = ReadSource(submission.File);
    } catch (const FileError& e) {
        grade.Failure = e.what();
        return grade;
    }
    if (source.Lossy)
        grade.Warnings.push_back("nekaterih znakov v \"" + submission.File +
                                 "\" kodna tabela Windows-1250 nima; prevajalnik vidi namesto njih '?'");
    TSession session(programDir, /*defaultListing=*/false);
    session.Log.Enabled = false;
    // Nobody steps back in a grading run: without the history a step costs a third.
    session.SetHistoryEnabled(false);
    grade.Result = CheckProgram(session, exercise, source.Lines(), limits);
    return grade;
}

std::vector<TProgramGrade> GradePrograms(const TExercise& exercise,
                                         const std::vector<TSubmission>& submissions,
                                         const std::string& programDir, const TGradeOptions& options) {
    TWorkerOptions workers;
    workers.Parallel = options.Jobs;
    if (options.Limits.Timeout.count() > 0) workers.Timeout = options.Limits.Timeout + options.Grace;
    const std::vector<TWorkerResult> ends = RunInWorkers(submissions.size(), workers, [&](size_t i) {
        return GradeToJson(GradeProgram(exercise, submissions[i], programDir, options.Limits));
    });
    std::vector<TProgramGrade> grades;
    grades.reserve(submissions.size());
    for (size_t i = 0; i < submissions.size(); ++i) {
        const TWorkerResult& end = ends[i];
        TProgramGrade grade;
        if (end.Ok()) {
            try {
                grade = GradeFromJson(end.Output);
            } catch (const Json::exception&) {
                grade.Failure = "preverjanje ni vrnilo berljivega rezultata";
            }
        } else if (end.How == TWorkerResult::End::TimedOut) {
            grade.Failure = "preverjanje je trajalo dlje od " + Seconds(options.Limits.Timeout) +
                            " in je bilo ustavljeno";
        } else {
            grade.Failure = "preverjanje ni uspelo: " + end.Reason;
        }
        grade.Name = submissions[i].Name;
        grade.File = submissions[i].File;
        grades.push_back(std::move(grade));
    }
    return grades;
}

std::string GradeToJson(const TProgramGrade& grade) {
    Json checks = Json::array();
    for (const TCheckpointResult& c : grade.Result.Checkpoints) {
        Json results = Json::array();
        for (const TExpectationResult& e : c.Results)
            results.push_back({e.What, e.Expected, e.Actual, e.Passed});
        checks.push_back({{"where", c.Where},
                          {"name", c.Name},
                          {"steps", c.Steps},
                          {"reached", c.Reached},
                          {"points", c.Points},
                          {"hidden", c.Hidden},
                          {"results", std::move(results)}});
    }
    const Json json = {{"name", grade.Name},
                       {"file", grade.File},
                       {"failure", grade.Failure},
                       {"warnings", grade.Warnings},
                       {"loaded", grade.Result.Loaded},
                       {"messages", grade.Result.Messages},
                       {"steps", grade.Result.Steps},
                       {"checks", std::move(checks)}};
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

TProgramGrade GradeFromJson(const std::string& text) {
    const Json json = Json::parse(text);
    TProgramGrade grade;
    grade.Name = json.at("name").get<std::string>();
    grade.File = json.at("file").get<std::string>();
    grade.Failure = json.at("failure").get<std::string>();
    grade.Warnings = json.at("warnings").get<std::vector<std::string>>();
    grade.Result.Loaded = json.at("loaded").get<bool>();
    grade.Result.Messages = json.at("messages").get<std::vector<std::string>>();
    grade.Result.Steps = json.at("steps").get<uint64_t>();
    for (const Json& c : json.at("checks")) {
        TCheckpointResult r;
        r.Where = c.at("where").get<std::string>();
        r.Name = c.at("name").get<std::string>();
        r.Steps = c.at("steps").get<uint64_t>();
        r.Reached = c.at("reached").get<bool>();
        r.Points = c.at("points").get<double>();
        r.Hidden = c.at("hidden").get<bool>();
        for (const Json& e : c.at("results"))
            r.Results.push_back({e.at(0).get<std::string>(), e.at(1).get<std::string>(),
                                 e.at(2).get<std::string>(), e.at(3).get<bool>()});
        grade.Result.Checkpoints.push_back(std::move(r));
    }
    return grade;
}
