#include "cli/checkreport.h"

#include <nlohmann/json.hpp>

std::string FormatCheckText(const TExercise& exercise, const TExerciseResult& result, bool showHidden) {
    std::string out = "Naloga: " + exercise.Title + "\n";
    for (const std::string& message : result.Messages)
        out += "Sporočilo: " + message + "\n";
    if (!result.Loaded) {
        out += "Program se ne prevede, naloga ni preverjena.\n";
        return out;
    }
    for (size_t i = 0; i < result.Checkpoints.size(); ++i) {
        const TCheckpointResult& c = result.Checkpoints[i];
        if (c.Hidden && !showHidden) {
            out += "Preverjanje " + std::to_string(i + 1) +
                   " (skrito): " + (c.Passed() ? "izpolnjeno" : "ni izpolnjeno") + "\n";
            continue;
        }
        out += "Preverjanje " + std::to_string(i + 1);
        if (!c.Name.empty()) out += " (" + c.Name + ")";
        out += ": " + c.Where + " (korak " + std::to_string(c.Steps) + ")\n";
        for (const TExpectationResult& e : c.Results) {
            if (e.Passed) out += "  ok      " + e.What + ": " + e.Actual + "\n";
            else
                out +=
                    "  NAPAKA  " + e.What + ": pričakovano " + e.Expected + ", dejansko " + e.Actual + "\n";
        }
    }
    out += "Izpolnjenih " + std::to_string(result.PassedCount()) + " od " + std::to_string(result.Total()) +
           " pričakovanj.\n";
    if (exercise.Scored) out += PointsSummary(exercise, result) + "\n";
    return out;
}

std::string FormatCheckJson(const TExercise& exercise, const TExerciseResult& result, bool showHidden) {
    using Json = nlohmann::ordered_json;
    Json report = {{"title", exercise.Title},
                   {"loaded", result.Loaded},
                   {"messages", result.Messages},
                   {"passed", result.Passed()},
                   {"passed_count", result.PassedCount()},
                   {"total", result.Total()},
                   {"steps", result.Steps}};
    if (exercise.Scored) {
        report["points"] = result.Points();
        report["max_points"] = exercise.MaxPoints();
    }
    Json checks = Json::array();
    for (const TCheckpointResult& c : result.Checkpoints) {
        if (c.Hidden && !showHidden) {
            checks.push_back({{"hidden", true}, {"points", c.Points}, {"passed", c.Passed()}});
            continue;
        }
        Json results = Json::array();
        for (const TExpectationResult& e : c.Results)
            results.push_back(
                {{"what", e.What}, {"expected", e.Expected}, {"actual", e.Actual}, {"passed", e.Passed}});
        Json check = {{"where", c.Where},
                      {"name", c.Name},
                      {"reached", c.Reached},
                      {"steps", c.Steps},
                      {"results", std::move(results)}};
        if (exercise.Scored) {
            check["hidden"] = c.Hidden;
            check["points"] = c.Points;
            check["passed"] = c.Passed();
        }
        checks.push_back(std::move(check));
    }
    report["checks"] = std::move(checks);
    return report.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}
