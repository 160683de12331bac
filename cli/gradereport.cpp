#include "cli/gradereport.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoding.h"

namespace {

// The first failure's text in the table is cut to this many characters.
constexpr size_t kShownFailure = 160;

const TCheckpointResult* CheckOf(const TProgramGrade& grade, size_t index) {
    if (!grade.Checked() || index >= grade.Result.Checkpoints.size()) return nullptr;
    return &grade.Result.Checkpoints[index];
}

bool CheckPassed(const TProgramGrade& grade, size_t index) {
    const TCheckpointResult* c = CheckOf(grade, index);
    return c && c->Passed();
}

size_t PassedChecks(const TProgramGrade& grade) {
    return grade.Checked() ? grade.Result.CheckpointsPassed() : 0;
}

double PointsOf(const TProgramGrade& grade) { return grade.Checked() ? grade.Result.Points() : 0; }

bool HiddenFrom(const TExercise& exercise, size_t index, bool showHidden) {
    return !showHidden && index < exercise.Checkpoints.size() && exercise.Checkpoints[index].Hidden;
}

std::string ExpectationText(const TExpectationResult& e) {
    return e.What + ": pričakovano " + e.Expected + ", dejansko " + e.Actual;
}

// Why the program failed where it failed first; empty when it passed.
std::string FirstFailure(const TExercise& exercise, const TProgramGrade& grade, bool showHidden) {
    if (!grade.Checked()) return grade.Failure;
    const TExerciseResult& r = grade.Result;
    if (!r.Loaded)
        return "program se ne prevede" + (r.Messages.empty() ? std::string() : ": " + r.Messages.front());
    for (size_t i = 0; i < r.Checkpoints.size(); ++i) {
        const TCheckpointResult& c = r.Checkpoints[i];
        if (c.Passed()) continue;
        const std::string caption = CheckpointCaption(exercise, i, showHidden);
        if (HiddenFrom(exercise, i, showHidden)) return caption + " ni izpolnjeno";
        for (const TExpectationResult& e : c.Results)
            if (!e.Passed) return caption + ": " + ExpectationText(e);
    }
    return {};
}

// Characters of UTF-8 text (what a terminal's column takes, near enough).
size_t Width(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text)
        n += (c & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

std::string Cut(const std::string& text, size_t characters) {
    if (Width(text) <= characters) return text;
    size_t n = 0, i = 0;
    for (; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == characters - 1) break;
    }
    return text.substr(0, i) + "…";
}

std::string Padded(const std::string& text, size_t width) {
    const size_t w = Width(text);
    return text + std::string(w < width ? width - w : 0, ' ');
}

// Text that XML may hold: well-formed UTF-8 without control characters other than tab and
// line end (a file name may be anything).
std::string XmlSafe(const std::string& text) {
    // Malformed bytes become '?' on the way through Windows-1250.
    std::string safe = IsValidUtf8(text) ? text : Cp1250ToUtf8(Utf8ToCp1250(text));
    for (char& c : safe) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n') c = '?';
    }
    return safe;
}

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

// XML written as it goes: the declaration on the first line, then one element a line, indented
// four spaces a level; an empty element closes itself ("/>"), and an element with text keeps the
// text and its end tag on its own line. Attribute values escape the five special characters,
// text only "&", "<" and ">".
class TXmlWriter {
public:
    TXmlWriter() : out_("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") {}

    void Open(const char* name) {
        Seal();
        if (textDepth_ < 0) NewLine(depth_);
        out_ += '<';
        out_ += name;
        open_.push_back(name);
        justOpened_ = true;
        ++depth_;
    }
    void Attribute(const char* name, std::string_view value) {
        out_ += ' ';
        out_ += name;
        out_ += "=\"";
        Escaped(value, true);
        out_ += '"';
    }
    void Attribute(const char* name, size_t value) { Attribute(name, std::to_string(value)); }
    void Text(std::string_view text) {
        textDepth_ = depth_ - 1;
        Seal();
        Escaped(text, false);
    }
    void Close() {
        --depth_;
        if (justOpened_) {
            out_ += "/>";
        } else {
            if (textDepth_ < 0) NewLine(depth_);
            out_ += "</";
            out_ += open_.back();
            out_ += '>';
        }
        open_.pop_back();
        if (textDepth_ == depth_) textDepth_ = -1;
        if (depth_ == 0) out_ += '\n';
        justOpened_ = false;
    }
    std::string Take() { return std::move(out_); }

private:
    void Seal() {
        if (justOpened_) out_ += '>';
        justOpened_ = false;
    }
    void NewLine(int depth) {
        out_ += '\n';
        out_.append(static_cast<size_t>(depth) * 4, ' ');
    }
    void Escaped(std::string_view text, bool attribute) {
        for (char c : text) {
            switch (c) {
            case '&':
                out_ += "&amp;";
                break;
            case '<':
                out_ += "&lt;";
                break;
            case '>':
                out_ += "&gt;";
                break;
            case '"':
                out_ += attribute ? "&quot;" : "\"";
                break;
            case '\'':
                out_ += attribute ? "&apos;" : "'";
                break;
            default:
                out_ += c;
            }
        }
    }

    std::string out_;
    std::vector<const char*> open_;
    int depth_ = 0;
    int textDepth_ = -1; // the depth of the element whose text is being written, -1 outside text
    bool justOpened_ = false;
};

} // namespace

std::string CheckpointCaption(const TExercise& exercise, size_t index, bool showHidden) {
    std::string caption = "Preverjanje " + std::to_string(index + 1);
    if (HiddenFrom(exercise, index, showHidden)) return caption + " (skrito)";
    if (index < exercise.Checkpoints.size() && !exercise.Checkpoints[index].Name.empty())
        caption += " (" + exercise.Checkpoints[index].Name + ")";
    return caption;
}

std::string FormatGradeTable(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                             bool showHidden) {
    const size_t checks = exercise.Checkpoints.size();
    const std::string maxPoints = PointsText(exercise.MaxPoints(), true);
    struct TRow {
        std::string cells[5];
    };
    std::vector<TRow> rows;
    rows.push_back({{"Program", "Točke", "Izpolnjena", "Neizpolnjena", "Prva napaka"}});
    size_t passedPrograms = 0;
    for (const TProgramGrade& g : grades) {
        const size_t passed = PassedChecks(g);
        passedPrograms += g.Passed() ? 1 : 0;
        rows.push_back(
            {{g.Name, PointsText(PointsOf(g), true) + "/" + maxPoints, std::to_string(passed),
              std::to_string(checks - passed), Cut(FirstFailure(exercise, g, showHidden), kShownFailure)}});
    }
    size_t widths[4] = {};
    for (const TRow& row : rows)
        for (size_t c = 0; c < 4; ++c)
            widths[c] = std::max(widths[c], Width(row.cells[c]));
    std::string out = "Naloga: " + exercise.Title + "\n";
    for (const TRow& row : rows) {
        std::string line;
        for (size_t c = 0; c < 4; ++c)
            line += Padded(row.cells[c], widths[c]) + "  ";
        line += row.cells[4];
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line + "\n";
    }
    out += "Programov: " + std::to_string(grades.size()) +
           ", vse izpolnjeno: " + std::to_string(passedPrograms) +
           ", z napakami: " + std::to_string(grades.size() - passedPrograms) + ".\n";
    return out;
}

std::string FormatGradeJson(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                            bool showHidden) {
    using Json = nlohmann::ordered_json;
    Json programs = Json::array();
    bool all = true;
    for (const TProgramGrade& g : grades) {
        all = all && g.Passed();
        Json checks = Json::array();
        for (size_t i = 0; i < exercise.Checkpoints.size(); ++i) {
            const bool hidden = HiddenFrom(exercise, i, showHidden);
            Json check = {{"caption", CheckpointCaption(exercise, i, showHidden)},
                          {"hidden", exercise.Checkpoints[i].Hidden},
                          {"points", exercise.Checkpoints[i].Points},
                          {"passed", CheckPassed(g, i)}};
            if (const TCheckpointResult* c = CheckOf(g, i); c && !hidden) {
                Json results = Json::array();
                for (const TExpectationResult& e : c->Results)
                    results.push_back({{"what", e.What},
                                       {"expected", e.Expected},
                                       {"actual", e.Actual},
                                       {"passed", e.Passed}});
                check["where"] = c->Where;
                check["steps"] = c->Steps;
                check["results"] = std::move(results);
            }
            checks.push_back(std::move(check));
        }
        programs.push_back({{"program", g.Name},
                            {"file", g.File},
                            {"checked", g.Checked()},
                            {"failure", g.Failure},
                            {"loaded", g.Checked() && g.Result.Loaded},
                            {"messages", g.Result.Messages},
                            {"warnings", g.Warnings},
                            {"points", PointsOf(g)},
                            {"max", exercise.MaxPoints()},
                            {"passed", PassedChecks(g)},
                            {"failed", exercise.Checkpoints.size() - PassedChecks(g)},
                            {"first_failure", FirstFailure(exercise, g, showHidden)},
                            {"checks", std::move(checks)}});
    }
    const Json report = {{"title", exercise.Title}, {"passed", all}, {"programs", std::move(programs)}};
    return report.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

std::string FormatGradeCsv(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                           bool showHidden) {
    std::string out = "program,points,max,passed,failed";
    for (size_t i = 0; i < exercise.Checkpoints.size(); ++i)
        out += "," + CsvField(CheckpointCaption(exercise, i, showHidden));
    out += "\r\n";
    const std::string maxPoints = PointsText(exercise.MaxPoints());
    for (const TProgramGrade& g : grades) {
        const size_t passed = PassedChecks(g);
        out += CsvField(g.Name) + "," + PointsText(PointsOf(g)) + "," + maxPoints + "," +
               std::to_string(passed) + "," + std::to_string(exercise.Checkpoints.size() - passed);
        for (size_t i = 0; i < exercise.Checkpoints.size(); ++i)
            out += CheckPassed(g, i) ? ",1" : ",0";
        out += "\r\n";
    }
    return out;
}

std::string FormatGradeJUnit(const TExercise& exercise, const std::vector<TProgramGrade>& grades,
                             bool showHidden) {
    const size_t checks = exercise.Checkpoints.size();
    size_t failures = 0, errors = 0;
    for (const TProgramGrade& g : grades) {
        failures += g.Checked() ? checks - PassedChecks(g) : 0;
        errors += g.Checked() ? 0 : checks;
    }
    TXmlWriter xml;
    xml.Open("testsuites");
    xml.Attribute("name", XmlSafe(exercise.Title));
    xml.Attribute("tests", checks * grades.size());
    xml.Attribute("failures", failures);
    xml.Attribute("errors", errors);
    for (const TProgramGrade& g : grades) {
        xml.Open("testsuite");
        const std::string name = XmlSafe(g.Name);
        xml.Attribute("name", name);
        xml.Attribute("tests", checks);
        xml.Attribute("failures", g.Checked() ? checks - PassedChecks(g) : 0);
        xml.Attribute("errors", g.Checked() ? 0 : checks);
        xml.Open("properties");
        for (const auto& [key, value] :
             {std::pair<const char*, std::string>{"points", PointsText(PointsOf(g))},
              {"max", PointsText(exercise.MaxPoints())},
              {"file", g.File}}) {
            xml.Open("property");
            xml.Attribute("name", key);
            xml.Attribute("value", XmlSafe(value));
            xml.Close();
        }
        xml.Close();
        for (size_t i = 0; i < checks; ++i) {
            xml.Open("testcase");
            xml.Attribute("name", XmlSafe(CheckpointCaption(exercise, i, showHidden)));
            xml.Attribute("classname", name);
            if (!g.Checked()) {
                xml.Open("error");
                xml.Attribute("message", XmlSafe(g.Failure));
                xml.Attribute("type", "NIPREVERJENO");
                xml.Close();
            } else if (!CheckPassed(g, i)) {
                xml.Open("failure");
                xml.Attribute("type", "NAPAKA");
                const TCheckpointResult* c = CheckOf(g, i);
                if (!g.Result.Loaded || !c) {
                    xml.Attribute("message", XmlSafe(FirstFailure(exercise, g, showHidden)));
                } else if (HiddenFrom(exercise, i, showHidden)) {
                    xml.Attribute("message", "skrito preverjanje ni izpolnjeno");
                } else {
                    std::string first, all;
                    for (const TExpectationResult& e : c->Results) {
                        if (e.Passed) continue;
                        if (first.empty()) first = ExpectationText(e);
                        all += ExpectationText(e) + "\n";
                    }
                    xml.Attribute("message", XmlSafe(first));
                    xml.Text(XmlSafe(c->Where + " (korak " + std::to_string(c->Steps) + ")\n" + all));
                }
                xml.Close();
            }
            xml.Close();
        }
        if (!g.Result.Messages.empty() || !g.Warnings.empty()) {
            std::string text;
            for (const std::string& w : g.Warnings)
                text += "Opozorilo: " + w + "\n";
            for (const std::string& m : g.Result.Messages)
                text += "Sporočilo: " + m + "\n";
            xml.Open("system-out");
            xml.Text(XmlSafe(text));
            xml.Close();
        }
        xml.Close();
    }
    xml.Close();
    return xml.Take();
}
