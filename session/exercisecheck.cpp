#include "session/exercisecheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "assembler/compiler.h"
#include "assembler/labels.h"
#include "base/encoding.h"
#include "board/shows.h"
#include "engine/hex.h"
#include "engine/machine.h"
#include "session/scenario.h"
#include "session/sciterminal.h"
#include "session/session.h"

namespace {

// The run's messages are kept up to this many; a program that takes an undefined vector over
// and over would otherwise fill the report with one line.
constexpr size_t kMaxMessages = 100;
// Byte lists longer than this are shown cut, with their length.
constexpr size_t kShownBytes = 64;

std::string Hex(unsigned value, int bits) { return "$" + HexText(value, bits / 4); }

std::string Bit(bool level) { return level ? "1" : "0"; }

// Whether a byte shows as a character of Windows-1250 (letters such as Š and Ž included).
bool Printable(uint8_t b) {
    return (b >= 0x20 && b < 0x7F) || b >= 0xA0 || (b >= 0x8A && b <= 0x8F) || (b >= 0x9A && b <= 0x9F);
}

// Bytes as "41 42 43", with the text in quotes when every byte is a printable character.
std::string BytesText(const std::vector<uint8_t>& bytes) {
    if (bytes.empty()) return "(nič)";
    std::string text;
    const size_t shown = std::min(bytes.size(), kShownBytes);
    bool printable = true;
    for (size_t i = 0; i < shown; ++i) {
        if (i) text += ' ';
        AppendHex(text, bytes[i], 2);
        printable = printable && Printable(bytes[i]);
    }
    if (shown < bytes.size()) text += " ... (" + std::to_string(bytes.size()) + " bajtov)";
    else if (printable) text += " (\"" + Cp1250ToUtf8(std::string(bytes.begin(), bytes.end())) + "\")";
    return text;
}

// A value of the exercise with its labels resolved against the last assembly.
struct TResolved {
    bool Ok = true;
    uint16_t Value = 0;
    std::string Text; // for the report: "$31", "KONEC ($2015)", "TABELA+2 (ni oznake)"
};

TResolved Resolve(TSession& session, const TExerciseValue& v, int bits) {
    TResolved r;
    const unsigned mask = bits == 8 ? 0xFFu : 0xFFFFu;
    if (!v.IsLabel()) {
        r.Value = static_cast<uint16_t>(static_cast<uint32_t>(v.Number) & mask);
        r.Text = Hex(r.Value, bits);
        return r;
    }
    const std::string name = v.Label.substr(0, TOznake::SignificantLength);
    const LabelEntry* label = session.Compiler().Labels().Find(name);
    if (!label) {
        r.Ok = false;
        r.Text = v.Text + " (program nima te oznake)";
        return r;
    }
    r.Value = static_cast<uint16_t>(static_cast<uint32_t>(label->Value + v.Number) & mask);
    r.Text = v.Text + " = " + Hex(r.Value, bits);
    return r;
}

// The bytes the assembly placed in memory, the interrupt vectors from $FFF0 on not counted:
// the size of the program a budget limits. Counted before the run, which may write over them.
uint64_t CodeBytes(const TMemory& memory) {
    uint64_t bytes = 0;
    for (uint32_t address = 0; address < 0xFFF0; ++address)
        bytes += memory.Cells[address].Line > 0 ? 1 : 0;
    return bytes;
}

// A value a board check looks at (compact JSON), as the report shows it.
std::string BoardValueText(const TBoardPart& part, const std::string& field, const std::string& json) {
    if (json == "true" || json == "false") {
        const bool yes = json == "true";
        if (part.Kind == TPartKind::Led) return yes ? "prižgana" : "ugasnjena";
        if (part.Kind == TPartKind::Switch) return yes ? "vklopljeno" : "izklopljeno";
        return yes ? "pritisnjena" : "spuščena";
    }
    if (field == "cursor" && json == "null") return "ni prikazana";
    return json;
}

std::string BoardWhat(const TBoardPart& part, const TExpectation& e) {
    std::string what = std::string(PartKindName(part.Kind)) + " \"" + part.Name + "\"";
    if (e.Field == "lines") return what + ", vrstica " + std::to_string(e.Row + 1);
    if (e.Field == "cursor") return what + ", kazalka";
    if (e.Field == "segments") return what + ", segmenti";
    if (e.Field == "pressed" && part.Kind == TPartKind::Keypad) return what + ", pritisnjene tipke";
    return what;
}

class TChecker {
public:
    TChecker(TSession& session, const TExercise& exercise, const TCheckLimits& limits)
        : session_(session), exercise_(exercise), limits_(limits), scenario_(session) {
        if (limits.Timeout.count() > 0) deadline_ = std::chrono::steady_clock::now() + limits.Timeout;
        codeBytes_ = CodeBytes(session.Memory());
        scenario_.Clock = exercise.Clock;
        // The chip model's devices run on the E clock: the interface clocks do not apply.
        if (session.LoadedModel() == TProcessorModel::Chip)
            scenario_.Clock.TimerEvery = scenario_.Clock.SciEvery = 0;
        for (const TStimulus& stimulus : exercise.Stimuli)
            scenario_.Add(stimulus);
        scenario_.onReport = [this](const TStepResult& step) {
            for (const std::string& message : step.Messages)
                Note(message);
            if (!step.Failure.empty()) Note("Korak ni uspel: " + step.Failure);
        };
    }

    TExerciseResult Run() {
        for (const TCheckpoint& checkpoint : exercise_.Checkpoints)
            result_.Checkpoints.push_back(Check(checkpoint));
        result_.Steps = scenario_.Steps();
        return std::move(result_);
    }

private:
    void Note(const std::string& message) {
        if (result_.Messages.size() + 1 < kMaxMessages) result_.Messages.push_back(message);
        else if (result_.Messages.size() + 1 == kMaxMessages)
            result_.Messages.push_back("(sporočil je več, ostala so izpuščena)");
    }

    // One step; false when the program has left its code (the session has stopped) or the
    // check has run as many steps or as long as it may.
    bool Step() {
        if (left_ || bounded_) return false;
        if (scenario_.Steps() >= limits_.MaxSteps) {
            bounded_ = true;
            Note("Preverjanje je doseglo mejo " + std::to_string(limits_.MaxSteps) + " korakov.");
            return false;
        }
        // The clock is read now and then: it costs more than a step.
        if (deadline_ && scenario_.Steps() % 4096 == 0 && std::chrono::steady_clock::now() >= *deadline_) {
            bounded_ = timedOut_ = true;
            Note("Preverjanje je preseglo časovno mejo " + Seconds(limits_.Timeout) +
                 " in je bilo ustavljeno.");
            return false;
        }
        const ScenarioStop stop = scenario_.Advance(1);
        // A breakpoint halts the scenario after its step; the check simply goes on.
        if (stop == ScenarioStop::Left || stop == ScenarioStop::NotLoaded) {
            left_ = true;
            leftStep_ = scenario_.Steps();
            leftPc_ = session_.Cpu().PC;
            return false;
        }
        return true;
    }

    TCheckpointResult Check(const TCheckpoint& c) {
        TCheckpointResult r;
        r.Name = c.Name;
        r.Points = c.Points;
        r.Hidden = c.Hidden;
        if (c.Steps != 0) {
            r.Where = "po " + std::to_string(c.Steps) + " korakih";
            // After the given step, or where the program left its code before it.
            while (scenario_.Steps() < c.Steps && Step()) {
            }
            if (scenario_.Steps() > c.Steps) {
                r.Reached = false;
                // A checkpoint at a label before it took the run past this step.
                r.Results.push_back({"korak " + std::to_string(c.Steps) + " dosežen", "da",
                                     "ne: program je že v koraku " + std::to_string(scenario_.Steps()),
                                     false});
            } else if (scenario_.Steps() < c.Steps && bounded_) {
                r.Reached = false;
                r.Results.push_back(
                    {"korak " + std::to_string(c.Steps) + " dosežen", "da", "ne: " + BoundText(), false});
            }
        } else {
            r.Where =
                "pri oznaki " + c.LabelText + (c.Hit > 1 ? " (" + std::to_string(c.Hit) + ". prihod)" : "");
            r.Results.push_back(ReachLabel(c, r.Reached));
        }
        r.Steps = scenario_.Steps();
        for (const TExpectation& e : c.Expectations) {
            TExpectationResult er = Evaluate(e);
            // Whether the program stayed in its code holds for the run so far wherever it ended;
            // the machine's state elsewhere than at the checkpoint says nothing.
            if (!r.Reached && e.What != TExpectation::Kind::StaysInCode) {
                er.Actual = "ni preverjeno";
                er.Passed = false;
            }
            r.Results.push_back(std::move(er));
        }
        return r;
    }

    TExpectationResult ReachLabel(const TCheckpoint& c, bool& reached) {
        TExpectationResult er{"oznaka " + c.LabelText + " dosežena", "da", {}, false};
        const LabelEntry* label =
            session_.Compiler().Labels().Find(c.Label.substr(0, TOznake::SignificantLength));
        reached = false;
        if (!label) {
            er.Actual = "ne: program nima te oznake";
            return er;
        }
        const uint16_t address = label->Value;
        const uint64_t start = scenario_.Steps();
        uint64_t hits = 0;
        while (scenario_.Steps() - start < c.Within && Step()) {
            if (session_.Cpu().PC == address && ++hits == c.Hit) {
                reached = true;
                break;
            }
        }
        if (reached) {
            er.Actual = "da, v koraku " + std::to_string(scenario_.Steps());
            er.Passed = true;
        } else if (left_) {
            er.Actual = "ne: program je zapustil kodo v koraku " + std::to_string(leftStep_);
        } else if (bounded_) {
            er.Actual = "ne: " + BoundText();
        } else {
            er.Actual = "ne v " + std::to_string(c.Within) + " korakih";
            if (hits > 0) er.Actual += " (doseženo " + std::to_string(hits) + "-krat)";
        }
        return er;
    }

    TExpectationResult Evaluate(const TExpectation& e) {
        using K = TExpectation::Kind;
        TExpectationResult er;
        switch (e.What) {
        case K::Register: {
            const int bits =
                e.Register == CpuRegister::A || e.Register == CpuRegister::B || e.Register == CpuRegister::CCR
                    ? 8
                    : 16;
            const TResolved want = Resolve(session_, e.Value, bits);
            const uint16_t have = session_.Registers().Value(e.Register);
            er = {RegisterLabel(e.Register), want.Text, Hex(have, bits), want.Ok && want.Value == have};
            break;
        }
        case K::Flag: {
            const bool have = session_.FlagValue(e.Flag);
            er = {std::string("zastavica ") + FlagLabel(e.Flag), Bit(e.Level), Bit(have), have == e.Level};
            break;
        }
        case K::Byte:
        case K::Word:
        case K::Bytes: {
            const TResolved at = Resolve(session_, e.Address, 16);
            const std::string& where = at.Text;
            if (e.What == K::Bytes) {
                er.What = "bajti od " + where;
                er.Expected = BytesText(e.Bytes);
                if (!at.Ok) {
                    er.Actual = "ni preverjeno";
                    break;
                }
                std::vector<uint8_t> have;
                for (size_t i = 0; i < e.Bytes.size(); ++i)
                    have.push_back(session_.PeekValue(static_cast<uint16_t>(at.Value + i)));
                er.Actual = BytesText(have);
                er.Passed = have == e.Bytes;
                break;
            }
            const int bits = e.What == K::Byte ? 8 : 16;
            er.What = (bits == 8 ? "bajt na " : "beseda na ") + where;
            const TResolved want = Resolve(session_, e.Value, bits);
            er.Expected = want.Text;
            if (!at.Ok) {
                er.Actual = "ni preverjeno";
                break;
            }
            uint16_t have = session_.PeekValue(at.Value);
            if (bits == 16)
                have = static_cast<uint16_t>(have << 8 |
                                             session_.PeekValue(static_cast<uint16_t>(at.Value + 1)));
            er.Actual = Hex(have, bits);
            er.Passed = want.Ok && want.Value == have;
            break;
        }
        case K::SciOut: {
            const std::vector<uint8_t>& have = session_.SciTerminal().Received();
            er = {"oddano po SCI", BytesText(e.Bytes), BytesText(have), have == e.Bytes};
            break;
        }
        case K::Pin: {
            const TPort& port = e.Port == 1 ? session_.Machine().Port1 : session_.Machine().Port2;
            const bool have = port.PinLevel(e.Bit) != 0;
            er = {"nožica P" + std::to_string(e.Port) + std::to_string(e.Bit), Bit(e.Level), Bit(have),
                  have == e.Level};
            break;
        }
        case K::StaysInCode:
            er = {"program ostane v svoji kodi", "da",
                  left_ ? "ne: v koraku " + std::to_string(leftStep_) + " je skočil na " + Hex(leftPc_, 16)
                        : "da",
                  !left_};
            break;
        case K::BoardPart: {
            const TLabBoard* board = session_.Board();
            const TBoardPart* part = nullptr;
            if (board)
                for (const TBoardPart& p : board->Parts())
                    if (p.Name == e.PartName) part = &p;
            if (!part) {
                er = {"del plošče \"" + e.PartName + "\"", e.Shown, "ni plošče s tem delom", false};
                break;
            }
            const nlohmann::ordered_json shows = PartShowsJson(*board, *part, session_.BoardNowNs());
            const nlohmann::ordered_json& field = shows[e.Field];
            std::string have;
            if (e.Field != "lines") have = field.dump();
            else
                have = static_cast<size_t>(e.Row) < field.size() ? field[static_cast<size_t>(e.Row)].dump()
                                                                 : std::string("\"\"");
            er = {BoardWhat(*part, e), BoardValueText(*part, e.Field, e.Shown),
                  BoardValueText(*part, e.Field, have), have == e.Shown};
            break;
        }
        case K::MaxCycles: {
            const uint64_t have = session_.Cycles();
            er = {"število ciklov", "največ " + std::to_string(e.Limit), std::to_string(have),
                  have <= e.Limit};
            break;
        }
        case K::MaxSteps: {
            const uint64_t have = scenario_.Steps();
            er = {"število korakov", "največ " + std::to_string(e.Limit), std::to_string(have),
                  have <= e.Limit};
            break;
        }
        case K::MaxCodeBytes:
            er = {"velikost programa v bajtih", "največ " + std::to_string(e.Limit),
                  std::to_string(codeBytes_), codeBytes_ <= e.Limit};
            break;
        }
        return er;
    }

    // Why the run stopped before the program did.
    std::string BoundText() const {
        if (timedOut_) return "preverjanje je preseglo časovno mejo " + Seconds(limits_.Timeout);
        return "preverjanje je doseglo mejo " + std::to_string(limits_.MaxSteps) + " korakov";
    }

    static std::string Seconds(std::chrono::milliseconds time) {
        const auto ms = time.count();
        if (ms % 1000 == 0) return std::to_string(ms / 1000) + " s";
        return std::to_string(ms / 1000) + "," + std::to_string(ms % 1000 / 100) + " s";
    }

    TSession& session_;
    const TExercise& exercise_;
    const TCheckLimits limits_;
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    TScenario scenario_;
    TExerciseResult result_;
    bool left_ = false;
    uint64_t codeBytes_ = 0;
    bool bounded_ = false;  // the step or time limit ended the run
    bool timedOut_ = false; // ... the time limit
    uint64_t leftStep_ = 0;
    uint16_t leftPc_ = 0;
};

} // namespace

size_t TExerciseResult::Total() const {
    size_t total = 0;
    for (const TCheckpointResult& c : Checkpoints)
        total += c.Results.size();
    return total;
}

size_t TExerciseResult::PassedCount() const {
    size_t passed = 0;
    for (const TCheckpointResult& c : Checkpoints)
        for (const TExpectationResult& e : c.Results)
            passed += e.Passed ? 1 : 0;
    return passed;
}

bool TCheckpointResult::Passed() const {
    if (Results.empty()) return false;
    for (const TExpectationResult& e : Results)
        if (!e.Passed) return false;
    return true;
}

size_t TExerciseResult::CheckpointsPassed() const {
    size_t passed = 0;
    for (const TCheckpointResult& c : Checkpoints)
        passed += c.Passed() ? 1 : 0;
    return passed;
}

double TExerciseResult::Points() const {
    double points = 0;
    for (const TCheckpointResult& c : Checkpoints)
        if (c.Passed()) points += c.Points;
    return points;
}

std::string PointsText(double points, bool comma) {
    const double rounded = std::round(points * 100) / 100;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", rounded);
    std::string text = buffer;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (comma) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

std::string PointsSummary(const TExercise& exercise, const TExerciseResult& result) {
    return "Točke: " + PointsText(result.Points(), true) + " od " + PointsText(exercise.MaxPoints(), true) +
           ".";
}

void PrepareExerciseBoard(TSession& session, const TExercise& exercise) {
    TMachine& machine = session.Machine();
    // The load resets the processor, the timer and the serial interface and makes every pin an
    // input, but the pins keep their levels: those the student clicked and those another
    // program drove. A check starts from the levels of a new board, so the same files get the
    // same verdict in the workbench as on the command line (where every check has a new board).
    machine.Port1.St.Level = 0;
    machine.Port2.St.Level = 0;
    if (exercise.Seed) machine.Random.Seed(*exercise.Seed);
    // The exercise's lab board, new, or none: the board of the user stays out of the check.
    if (exercise.Board) session.SetBoard(*exercise.Board);
    else session.RemoveBoard();
}

TExerciseResult CheckLoadedProgram(TSession& session, const TExercise& exercise, const TCheckLimits& limits) {
    TExerciseResult result;
    if (!session.Loaded()) return result;
    TSci& sci = session.Machine().Sci;
    const bool loopback = sci.Loopback;
    const bool logging = session.Log.Enabled;
    sci.Loopback = exercise.Loopback;
    session.Log.Enabled = false;
    {
        TChecker checker(session, exercise, limits);
        result = checker.Run();
    }
    result.Loaded = true;
    sci.Loopback = loopback;
    session.Log.Enabled = logging;
    // The scenario ran the program as a fast run: halt it where the last checkpoint left it.
    session.Pause();
    return result;
}

TExerciseResult CheckProgram(TSession& session, const TExercise& exercise, const TSourceLines& lines,
                             const TCheckLimits& limits) {
    PrepareExerciseBoard(session, exercise);
    // An exercise that fixes the model is checked in it; the setting stays as it was.
    const TProcessorModel setting = session.Model();
    if (exercise.Model) session.SetModel(*exercise.Model);
    const TLoadResult load = session.LoadProgram(lines);
    session.SetModel(setting);
    if (!load.Ok) {
        TExerciseResult result;
        result.Messages = load.Messages;
        return result;
    }
    return CheckLoadedProgram(session, exercise, limits);
}
