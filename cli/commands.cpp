#include "cli/commands.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "assembler/compiler.h"
#include "assembler/disasm.h"
#include "assembler/srecord.h"
#include "assembler/syntax.h"
#include "assembler/ukazi.h"
#include "base/encoding.h"
#include "base/syserror.h"
#include "board/pins.h"
#include "board/shows.h"
#include "cli/files.h"
#include "cli/report.h"
#include "cli/state.h"
#include "engine/hex.h"
#include "engine/machine.h"
#include "session/scenario.h"
#include "session/sciterminal.h"
#include "session/session.h"

namespace {

void Print(std::FILE* f, const std::string& text) { std::fwrite(text.data(), 1, text.size(), f); }
void PrintLine(std::FILE* f, const std::string& text) {
    Print(f, text);
    std::fputc('\n', f);
}

// The session and the source, or an exit code when either could not be had.
struct TPrepared {
    std::unique_ptr<TSession> Session;
    TSourceText Source;
    std::optional<TSnapshot> Snapshot; // --load-state: the source is its own
    std::optional<CliExit> Exit;       // set when the command cannot go on
};

// Refuses output files that would overwrite the source or one another.
bool OutputsAreDistinct(const TCliOptions& options, std::FILE* err) {
    std::vector<std::pair<const char*, std::string>> outputs;
    for (auto [name, path] :
         {std::pair{"--listing", &options.ListingFile}, std::pair{"--srec", &options.SrecFile},
          std::pair{"--log", &options.LogFile}, std::pair{"--save-state", &options.SaveState},
          std::pair{"--vcd", &options.VcdFile}})
        if (!path->empty()) outputs.emplace_back(name, *path);
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (!options.Source.empty() && options.Source != "-" && SameFile(outputs[i].second, options.Source)) {
            PrintLine(err, std::string("orlek-cli: ") + outputs[i].first + " \"" + outputs[i].second +
                               "\" je izvorna datoteka; ne prepišem je");
            return false;
        }
        for (size_t j = 0; j < i; ++j)
            if (SameFile(outputs[i].second, outputs[j].second)) {
                PrintLine(err, std::string("orlek-cli: ") + outputs[j].first + " in " + outputs[i].first +
                                   " pišeta v isto datoteko \"" + outputs[i].second + "\"");
                return false;
            }
    }
    return true;
}

TPrepared Prepare(const TCliOptions& options, const std::string& programDir, std::FILE* err) {
    TPrepared p;
    if (!OutputsAreDistinct(options, err)) {
        p.Exit = CliExit::Usage;
        return p;
    }
    if (!options.LoadState.empty()) {
        p.Snapshot = ReadStateFile(options.LoadState, err);
        if (!p.Snapshot) {
            p.Exit = CliExit::Usage;
            return p;
        }
        p.Source = TSourceText::FromLines(SnapshotSourceLines(*p.Snapshot));
    } else {
        try {
            p.Source = ReadSource(options.Source);
        } catch (const FileError& e) {
            PrintLine(err, std::string("orlek-cli: ") + e.what());
            p.Exit = CliExit::Usage;
            return p;
        }
    }
    if (p.Source.Lossy)
        PrintLine(err, "orlek-cli: opozorilo: nekaterih znakov v \"" + options.Source +
                           "\" kodna tabela Windows-1250 nima; prevajalnik vidi namesto njih '?'");
    try {
        p.Session = std::make_unique<TSession>(programDir, /*defaultListing=*/false);
    } catch (const std::exception& e) {
        PrintLine(err, std::string("orlek-cli: ") + e.what());
        p.Exit = CliExit::Usage;
        return p;
    }
    // The command line writes a listing only where it is asked to.
    return p;
}

std::string Hex4(unsigned value) { return HexText(value & 0xFFFF, 4); }

bool ReportListingErrors(const TLoadResult& result, std::FILE* err, const std::string& path) {
    for (int code : result.ListingErrors)
        PrintLine(err, "orlek-cli: " + ListingErrorMessage(code) + ") — listing \"" + path + "\"");
    if (!result.ListingProblem.empty()) PrintLine(err, "orlek-cli: " + result.ListingProblem);
    return result.ListingErrors.empty();
}

void PrintWarnings(const TLoadResult& result, std::FILE* err) {
    for (const std::string& warning : result.Warnings)
        PrintLine(err, warning);
}

// Bytes the program placed at on-chip register addresses went to the registers, so the
// S-records cannot hold them: say which.
void WarnAboutRegisterBytes(const TCompiler& compiler, std::FILE* err) {
    const std::vector<TRegisterByte> bytes = compiler.RegisterBytes();
    if (bytes.empty()) return;
    std::string text = "orlek-cli: opozorilo: zapisi S ne vsebujejo zlogov na naslovih registrov čipa:";
    for (size_t i = 0; i < bytes.size(); ++i)
        text +=
            (i ? ", $" : " $") + Hex4(bytes[i].Address) + " (vrstica " + std::to_string(bytes[i].Line) + ")";
    PrintLine(err, text);
}

// The log goes to its file while the program runs, so a long run does not pile it up. The last
// `keep` records stay in the log until the end, so that going back after the run can still take
// them back.
class TLogStream {
public:
    TLogStream(TLog& log, const std::string& path, size_t keep) : log_(log), file_(path), keep_(keep) {}
    // Writes the records gathered so far once there are enough of them (or with `all`, every one).
    // Called as records are appended; the written records leave the log.
    void Flush(bool all = false) {
        const size_t kept = all ? 0 : keep_;
        if (!all && log_.Size() < 2 * kept + 4096) return;
        const size_t written = log_.Size() - kept;
        for (size_t i = 0; i < written; ++i) {
            log_.FormatTo(log_.Record(i), buffer_);
            buffer_ += '\n';
        }
        log_.DropOldest(written);
        file_.Write(buffer_);
        buffer_.clear();
    }
    void Commit() {
        Flush(true);
        file_.Commit();
    }

private:
    TLog& log_;
    TAtomicFile file_;
    size_t keep_;
    std::string buffer_;
};

// The board as the options set it up for the run, after the load: loopback, trace conditions.
// A run that goes on from a snapshot (`continued`) keeps the snapshot's settings and adds the
// options' to them.
void ConfigureBoard(const TCliOptions& options, TMachine& machine, bool continued, std::FILE* err) {
    if (!continued || options.Loopback) machine.Sci.Loopback = options.Loopback;
    TTrace& trace = machine.Memory.Trace;
    for (const TraceCondition& c : options.Triggers)
        trace.Triggers.Add(c);
    for (const TraceCondition& c : options.Qualifiers)
        trace.Qualifiers.Add(c);
    const bool traced = !options.Triggers.empty() || !options.Qualifiers.empty();
    machine.Memory.TraceEnabled = (continued && machine.Memory.TraceEnabled) || traced;
    if (!continued || options.TraceLimitGiven) trace.RowLimit = options.TraceLimit;
    // Recording needs both lists: a trigger to start it and a qualifier to choose what is kept.
    if (!traced) return;
    if (trace.Triggers.Empty() && !trace.Qualifiers.Empty())
        PrintLine(err,
                  "orlek-cli: opozorilo: brez --trigger se sledenje nikoli ne sproži, posnetega ne bo nič");
    else if (!trace.Triggers.Empty() && trace.Qualifiers.Empty())
        PrintLine(err, "orlek-cli: opozorilo: brez --qualifier se po sprožitvi ne posname noben dostop");
}

// The stimuli of the command line, in the order they happen within one step. Those of the steps
// up to `from` happened before the snapshot a run goes on from.
void AddStimuli(const TCliOptions& options, TScenario& scenario, uint64_t from) {
    for (uint64_t step : options.IrqSteps)
        if (step > from) scenario.Add(step, TIrqRequest{});
    for (uint64_t step : options.NmiSteps)
        if (step > from) scenario.Add(step, TNmiRequest{});
    for (const TPinEvent& pin : options.Pins)
        if (pin.Step > from) scenario.Add(pin.Step, TPinToggle{pin.Port, pin.Bit});
    for (const TSendEvent& send : options.Sends)
        if (send.Step > from) scenario.Add(send.Step, TSerialSend{send.Bytes});
}

// The user's hand on the session's board as stimuli (those after step `from`); false after a
// message when a name is wrong.
bool AddBoardEvents(const TCliOptions& options, TSession& session, TScenario& scenario, uint64_t from,
                    std::FILE* err) {
    for (const TBoardEvent& e : options.BoardEvents) {
        if (e.Step <= from) continue;
        const bool flip = e.What == TBoardEvent::Kind::Switch;
        std::string error;
        const std::optional<TBoardInput> input = session.FindBoardInput(
            e.Name, flip ? TLabBoard::TInputUse::Switch : TLabBoard::TInputUse::Press, error);
        if (!input) {
            PrintLine(err, "orlek-cli: " + e.Option + " " + e.Value + ": " + error);
            return false;
        }
        if (flip) scenario.Add(e.Step, TBoardSwitch{*input, e.On});
        else scenario.Add(e.Step, TBoardPress{*input, e.What == TBoardEvent::Kind::Press});
    }
    return true;
}

// --board: the board on the ports before the load (which powers it on), and the user's hand on
// it as stimuli; false after a message when the file or a name in a stimulus is wrong.
bool SetUpBoard(const TCliOptions& options, TSession& session, TScenario& scenario, std::FILE* err) {
    if (options.Board.empty()) return true;
    const TBoardRead read = session.LoadBoardFile(options.Board);
    if (!read.Ok()) {
        PrintLine(err, "orlek-cli: plošča \"" + options.Board + "\": " + read.Message());
        return false;
    }
    return AddBoardEvents(options, session, scenario, 0, err);
}

// Pins that two drove at once are the program's (or the wiring's) mistake: said, not guessed.
void WarnAboutBoardConflicts(const TLabBoard& board, std::FILE* err) {
    uint16_t now = 0;
    for (const TBoardConflict& c : board.Conflicts()) {
        PrintLine(err, "orlek-cli: opozorilo: plošča: " + c.Text);
        now |= c.Pins;
    }
    const uint16_t earlier = board.Current().ConflictsSeen & static_cast<uint16_t>(~now);
    if (earlier == 0) return;
    std::string pins;
    for (int i = 0; i < 16; ++i)
        if (earlier & (1u << i)) pins += (pins.empty() ? "" : ", ") + PinText(TPin::FromIndex(i));
    PrintLine(err, "orlek-cli: opozorilo: plošča: med tekom so dva vira hkrati poganjala nožice: " + pins);
}

// The end state of a run: registers, memory rows, bytes sent out, the board's parts, trace rows.
// --profile: the lines that ran and the subroutines, from the session's execution watch.
void GatherProfile(TSession& session, TRunReport& report) {
    const TExecutionWatch& watch = *session.Watch();
    report.HasProfile = true;
    for (int line = 1; line < static_cast<int>(TExecutionWatch::kMaxLines); ++line)
        if (watch.LineCount(line) != 0)
            report.ProfileLines.push_back({line, watch.LineCount(line), watch.LineCycles(line)});
    for (const TSubroutineProfile& s : watch.Subroutines(&session.Compiler().Labels(), session.Cycles()))
        if (!s.Main)
            report.ProfileSubroutines.push_back(
                {Cp1250ToUtf8(s.Label), s.Address, s.Calls, s.Inclusive, s.Exclusive});
}

void GatherReport(const TCliOptions& options, TSession& session, TRunReport& report) {
    report.Registers = session.Registers();
    for (const TMemRange& range : options.Mems) {
        TRunReport::Memory m;
        m.Address = range.Address;
        m.Bytes.reserve(range.Length);
        for (uint32_t k = 0; k < range.Length; ++k)
            m.Bytes.push_back(session.PeekValue(static_cast<uint16_t>(range.Address + k)));
        report.Mems.push_back(std::move(m));
    }
    report.SciOut = session.SciTerminal().Received();
    if (const TLabBoard* board = session.Board()) {
        report.HasBoard = true;
        report.BoardText = BoardShowsText(*board, session.BoardNowNs());
        report.BoardJson = BoardShowsJson(*board, session.BoardNowNs());
    }
    report.Trace = session.Machine().Memory.Trace.Rows();
}

void WarnAboutDroppedTraceRows(const TTrace& trace, std::FILE* err) {
    if (trace.DroppedRows() == 0) return;
    PrintLine(err, "orlek-cli: opozorilo: sled je polna: posnetih je " + std::to_string(trace.Rows().size()) +
                       " dostopov, nadaljnjih " + std::to_string(trace.DroppedRows()) +
                       " ni posnetih (--trace-limit)");
}

// An S-record file ("-": standard input) as text. S-records of the whole 64 KiB address space
// take some 200 KB; anything much larger is no S-record file of this machine.
std::string ReadSRecordFile(const std::string& path) {
    return ReadInput(path, size_t{16} << 20, "je mapa, ne zapisi S",
                     "je prevelika (več kot 16 MiB) za zapise S");
}

} // namespace

CliExit DisCommand(const TCliOptions& options, std::FILE* out, std::FILE* err) {
    const std::string& path = options.Source;
    const std::string shown = path == "-" ? std::string("(standardni vhod)") : "\"" + path + "\"";
    TCodeImage image;
    try {
        image = ReadSRecords(ReadSRecordFile(path));
    } catch (const FileError& e) {
        PrintLine(err, std::string("orlek-cli: ") + e.what());
        return CliExit::Usage;
    } catch (const SRecordError& e) {
        PrintLine(err, "orlek-cli: " + shown + ": " + e.what());
        return CliExit::Usage;
    }
    const uint16_t from = options.From.value_or(0);
    const TDisassembly dis =
        DisassembleImage(image, from, options.Count.value_or(SIZE_MAX), options.DisSource);
    if (dis.Lines.empty()) {
        PrintLine(err, "orlek-cli: " + shown + " nima bajtov od naslova $" + Hex4(from) + " naprej");
        return CliExit::Ok;
    }
    if (!options.DisSource) {
        Print(out, DisassemblyListing(dis));
        return CliExit::Ok;
    }
    const std::string name =
        path == "-" ? std::string("standardnega vhoda") : std::filesystem::path(path).filename().string();
    Print(out, DisassemblySource(dis, "Razstavljeno iz " + name + " (orlek-cli dis --source)"));
    const bool resetVector = std::any_of(dis.Lines.begin(), dis.Lines.end(), [](const TDisLine& line) {
        return line.Kind == DisKind::Word && line.Address == 0xFFFE;
    });
    bool registers = false;
    for (uint16_t a = 0; a < 0x20; ++a)
        registers = registers || (image.Has(a) && TMemory::WriteOwner(a) != RegisterOwner::None);
    if (registers)
        PrintLine(err,
                  "orlek-cli: opozorilo: bajti na naslovih vgrajenih registrov (pod $20) se ob prevajanju "
                  "zapišejo v naprave, ne v pomnilnik");
    if (!resetVector)
        PrintLine(err, "orlek-cli: opozorilo: izpis nima vektorja reset ($FFFE); prevajalnik ga bo zavrnil "
                       "(\"Napaka: ni oznake START\")");
    return CliExit::Ok;
}

CliExit AsmCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out,
                   std::FILE* err) {
    TPrepared p = Prepare(options, programDir, err);
    if (p.Exit) return *p.Exit;
    TSession& session = *p.Session;
    session.ListingPath = options.ListingFile;

    TLoadResult result = session.Compile(p.Source.Lines());
    bool filesOk = ReportListingErrors(result, err, options.ListingFile);
    PrintWarnings(result, err);
    if (!result.Ok) {
        for (const std::string& message : result.Messages)
            PrintLine(err, message);
        return CliExit::LoadFailed;
    }
    if (!options.SrecFile.empty()) {
        std::string name = options.Source == "-" ? std::string("stdin")
                                                 : std::filesystem::path(options.Source).filename().string();
        try {
            WriteSRecords(options.SrecFile, session.Memory(), name);
            WarnAboutRegisterBytes(session.Compiler(), err);
        } catch (const std::exception& e) {
            PrintLine(err, std::string("orlek-cli: ") + e.what());
            filesOk = false;
        }
    }
    if (options.Symbols) {
        std::string text;
        for (const LabelEntry& label : session.Compiler().Labels().Entries())
            text += Cp1250ToUtf8(label.Name) + " $" + Hex4(label.Value) + "\n";
        Print(out, text);
    }
    return filesOk ? CliExit::Ok : CliExit::Usage;
}

namespace {

// The --break lines and labels as breakpoints of the session; false after a message when one
// names no line of the source.
bool SetBreakpoints(const TCliOptions& options, const TSourceText& source, TSession& session,
                    std::FILE* err) {
    std::vector<int> breaks = options.Breaks;
    for (const std::string& label : options.BreakLabels) {
        std::string name = IsValidUtf8(label) ? Utf8ToCp1250(label) : label;
        const int line = LabelDefinitionLine(source.Lines(), name);
        if (line == 0) {
            PrintLine(err, "orlek-cli: --break: oznake \"" + label +
                               "\" ni v izvoru (podajte oznako ali številko "
                               "vrstice)");
            return false;
        }
        breaks.push_back(line);
    }
    for (int line : breaks) {
        if (static_cast<size_t>(line) > source.Lines().size()) {
            PrintLine(err, "orlek-cli: --break: vrstica " + std::to_string(line) + " je za koncem izvora (" +
                               std::to_string(source.Lines().size()) + " vrstic)");
            return false;
        }
        if (!session.Breakpoints.Contains(line)) session.Breakpoints.Add(line);
    }
    return true;
}

// --log: the log streamed to its file while the program runs; false after a message when the
// file cannot be created. The last --back records stay in the log so that going back can still
// take them back.
bool OpenLog(const TCliOptions& options, TSession& session, std::unique_ptr<TLogStream>& log,
             std::FILE* err) {
    session.Log.Enabled = !options.LogFile.empty();
    if (options.LogFile.empty()) return true;
    try {
        log = std::make_unique<TLogStream>(session.Log, options.LogFile, static_cast<size_t>(options.Back));
    } catch (const FileError& e) {
        PrintLine(err, std::string("orlek-cli: ") + e.what());
        return false;
    }
    session.Log.onAppended = [&log](size_t) { log->Flush(); };
    return true;
}

// --back N after the run: the report becomes that of the state N steps earlier. Usage when the
// run took fewer steps (it goes back as far as it can).
CliExit GoBack(const TCliOptions& options, TSession& session, TRunReport& report, std::FILE* err) {
    // Back from where the run stopped: a halted run stays halted.
    session.Pause();
    uint64_t back = 0;
    while (back < options.Back && session.StepBack())
        ++back;
    report.Stop = "back";
    report.Steps -= back;
    report.Line = session.PeekLine(session.Cpu().PC);
    if (back == options.Back) return CliExit::Ok;
    PrintLine(err, "orlek-cli: --back " + std::to_string(options.Back) + ": nazaj je bilo mogoče le " +
                       std::to_string(back) + " korakov");
    return CliExit::Usage;
}

} // namespace

CliExit RunCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out,
                   std::FILE* err) {
    TPrepared p = Prepare(options, programDir, err);
    if (p.Exit) return *p.Exit;
    TSession& session = *p.Session;
    std::unique_ptr<TLogStream> log;
    const bool continued = p.Snapshot.has_value();
    // A snapshot's breakpoints come with it; those of the options are added after it is loaded.
    if ((!continued && !SetBreakpoints(options, p.Source, session, err)) ||
        !OpenLog(options, session, log, err))
        return CliExit::Usage;

    // The history of the steps costs time; it is kept only when the run goes back afterwards.
    session.SetHistoryEnabled(options.Back > 0);
    // Virtual time from the load on: each step is one millisecond, as in the workbench's fast run.
    TScenario scenario(session);
    scenario.Clock = {options.TimerEvery, options.SciEvery, 1};
    // In the chip model the devices count E cycles: no interface clock acts on them.
    session.SetModel(options.Model);
    if (options.Model == TProcessorModel::Chip) scenario.Clock.TimerEvery = scenario.Clock.SciEvery = 0;
    scenario.StepLimit = options.Steps;
    // The seed goes in before the load, which draws the timer's start value.
    if (options.Seed) session.Machine().Random.Seed(*options.Seed);
    TRunReport report;
    uint64_t from = 0;
    if (continued) {
        if (!ContinueFromState(options.LoadState, *p.Snapshot, session, err)) return CliExit::LoadFailed;
        from = p.Snapshot->Steps;
        scenario.ContinueFrom(from);
        if (!SetBreakpoints(options, p.Source, session, err) ||
            !AddBoardEvents(options, session, scenario, from, err))
            return CliExit::Usage;
    }
    if (!continued && !SetUpBoard(options, session, scenario, err)) return CliExit::Usage;
    std::vector<TSignal> signals;
    if (!options.VcdFile.empty()) {
        std::string error;
        const TBoardConfig* board = session.Board() ? &session.Board()->Config() : nullptr;
        auto chosen = SelectSignals(options.Signals.value_or(""), board, error);
        if (!chosen) {
            PrintLine(err, "orlek-cli: --signals: " + error);
            return CliExit::Usage;
        }
        signals = std::move(*chosen);
        session.SetSignalRecording(true);
    }
    session.SetExecutionWatch(options.Profile);
    TLoadResult load;
    if (continued) load.Ok = true;
    else load = session.LoadProgram(p.Source.Lines());
    PrintWarnings(load, err);
    if (!load.Ok) {
        report.Messages = load.Messages;
        if (options.Json) Print(out, FormatReportJson(report));
        else
            for (const std::string& message : load.Messages)
                PrintLine(err, message);
        return CliExit::LoadFailed;
    }
    report.Loaded = true;
    ConfigureBoard(options, session.Machine(), continued, err);
    AddStimuli(options, scenario, from);
    scenario.onReport = [&](const TStepResult& result) {
        for (const std::string& message : result.Messages) {
            if (!options.Json) PrintLine(out, message);
            report.Messages.push_back(message);
        }
        if (!result.Failure.empty()) PrintLine(err, "orlek-cli: korak ni uspel: " + result.Failure);
    };
    report.Stop = ScenarioStopName(scenario.Run());
    report.Steps = scenario.Steps();
    report.Line = scenario.Line();
    CliExit exit = options.Back > 0 ? GoBack(options, session, report, err) : CliExit::Ok;
    report.Cycles = session.Cycles();
    report.Model = std::string(ModelName(session.LoadedModel()));
    GatherReport(options, session, report);
    if (options.Profile) GatherProfile(session, report);
    WarnAboutDroppedTraceRows(session.Machine().Memory.Trace, err);
    if (session.Board()) WarnAboutBoardConflicts(*session.Board(), err);
    if (!options.SaveState.empty() && !SaveStateFile(options, session, continued ? &*p.Snapshot : nullptr,
                                                     p.Source.Lines(), report.Steps, err))
        exit = CliExit::Usage;

    if (!options.VcdFile.empty()) {
        std::string error;
        if (!WriteVcd(options.VcdFile, *session.Signals(), signals, session.TimeBase().Hz, error)) {
            PrintLine(err, "orlek-cli: " + error);
            exit = CliExit::Usage;
        } else if (session.Signals()->Dropped() != 0) {
            PrintLine(err, "orlek-cli: --vcd: najstarejših " + std::to_string(session.Signals()->Dropped()) +
                               " sprememb signalov ni v datoteki (hrani se jih največ " +
                               std::to_string(session.Signals()->Capacity()) + ")");
        }
    }
    if (log) {
        try {
            session.Log.onAppended = nullptr;
            log->Commit();
        } catch (const FileError& e) {
            PrintLine(err, std::string("orlek-cli: ") + e.what());
            exit = CliExit::Usage;
        }
    }
    Print(out, options.Json ? FormatReportJson(report) : FormatReportText(report));
    return exit;
}

int CliMain(const std::vector<std::string>& args, const std::function<std::string()>& programDir,
            std::FILE* out, std::FILE* err) {
    TCliOptions options;
    try {
        options = ParseCliOptions(args);
    } catch (const UsageError& e) {
        std::fprintf(err, "orlek-cli: %s\nPomoč: orlek-cli --help\n", e.what());
        return static_cast<int>(CliExit::Usage);
    }
    if (options.Command == CliCommand::Help) {
        std::fputs(CliHelpText(), out);
        return static_cast<int>(CliExit::Ok);
    }
    const std::string dir = programDir();
    if (dir.empty()) {
        std::fprintf(err, "orlek-cli: ne najdem mape programa (/proc/self/exe)\n");
        return static_cast<int>(CliExit::Usage);
    }
    CliExit code;
    try {
        switch (options.Command) {
        case CliCommand::Asm:
            code = AsmCommand(options, dir, out, err);
            break;
        case CliCommand::Check:
            code = CheckCommand(options, dir, out, err);
            break;
        case CliCommand::Dis:
            code = DisCommand(options, out, err);
            break;
        case CliCommand::Similar:
            code = SimilarCommand(options, out, err);
            break;
        default:
            code = RunCommand(options, dir, out, err);
            break;
        }
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "orlek-cli: zmanjkalo je pomnilnika\n");
        return static_cast<int>(CliExit::Usage);
    } catch (const std::exception& e) {
        std::fprintf(err, "orlek-cli: %s\n", e.what());
        return static_cast<int>(CliExit::Usage);
    }
    if (std::fflush(out) != 0) {
        std::fprintf(err, "orlek-cli: napaka pri pisanju na standardni izhod\n");
        return static_cast<int>(CliExit::Usage);
    }
    return static_cast<int>(code);
}
