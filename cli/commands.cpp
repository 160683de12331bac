#include "cli/commands.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "assembler/compiler.h"
#include "assembler/encoding.h"
#include "assembler/srecord.h"
#include "assembler/ukazi.h"
#include "cli/files.h"
#include "cli/report.h"
#include "engine/hex.h"
#include "engine/machine.h"
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
    int Exit = -1;
};

// Two paths that lead to the same regular file, or to the same place where neither exists yet.
// Pipes and devices (e.g. /dev/stdout named twice) may be shared.
bool SameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::file_status sa = fs::status(a, ec), sb = fs::status(b, ec);
    bool existsA = fs::exists(sa), existsB = fs::exists(sb);
    if (existsA && existsB) return fs::is_regular_file(sa) && fs::equivalent(a, b, ec) && !ec;
    if (existsA || existsB) return false;
    fs::path ca = fs::weakly_canonical(fs::absolute(a, ec), ec);
    if (ec) return false;
    fs::path cb = fs::weakly_canonical(fs::absolute(b, ec), ec);
    return !ec && ca == cb;
}

// Refuses output files that would overwrite the source or one another.
bool OutputsAreDistinct(const TCliOptions& options, std::FILE* err) {
    std::vector<std::pair<const char*, std::string>> outputs;
    for (auto [name, path] : {std::pair{"--listing", &options.ListingFile},
                              std::pair{"--srec", &options.SrecFile}, std::pair{"--log", &options.LogFile}})
        if (!path->empty()) outputs.emplace_back(name, *path);
    for (size_t i = 0; i < outputs.size(); ++i) {
        if (options.Source != "-" && SameFile(outputs[i].second, options.Source)) {
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
        p.Exit = ExitUsage;
        return p;
    }
    try {
        p.Source = ReadSource(options.Source);
    } catch (const FileError& e) {
        PrintLine(err, std::string("orlek-cli: ") + e.what());
        p.Exit = ExitUsage;
        return p;
    }
    if (p.Source.Lossy)
        PrintLine(err, "orlek-cli: opozorilo: nekaterih znakov v \"" + options.Source +
                           "\" kodna tabela Windows-1250 nima; prevajalnik vidi namesto njih '?'");
    try {
        p.Session = std::make_unique<TSession>(programDir, /*defaultListing=*/false);
    } catch (const std::exception& e) {
        PrintLine(err, std::string("orlek-cli: ") + e.what());
        p.Exit = ExitUsage;
        return p;
    }
    // The command line writes a listing only where it is asked to.
    return p;
}

std::string Hex4(unsigned value) { return HexText(value & 0xFFFF, 4); }

bool ReportListingErrors(const TLoadResult& result, std::FILE* err, const std::string& path) {
    for (int code : result.ListingErrors)
        PrintLine(err, "orlek-cli: " + ListingErrorMessage(code) + ") — listing \"" + path + "\"");
    return result.ListingErrors.empty();
}

} // namespace

int AsmCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out, std::FILE* err) {
    TPrepared p = Prepare(options, programDir, err);
    if (p.Exit >= 0) return p.Exit;
    TSession& session = *p.Session;
    session.ListingPath = options.ListingFile;

    TLoadResult result = session.Compile(p.Source.Lines);
    bool filesOk = ReportListingErrors(result, err, options.ListingFile);
    if (!result.Ok) {
        for (const std::string& message : result.Messages)
            PrintLine(err, message);
        return ExitLoadFailed;
    }
    if (!options.SrecFile.empty()) {
        std::string name = options.Source == "-" ? std::string("stdin")
                                                 : std::filesystem::path(options.Source).filename().string();
        try {
            WriteSRecords(options.SrecFile, session.Memory(), name);
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
    return filesOk ? ExitOk : ExitUsage;
}

int RunCommand(const TCliOptions& options, const std::string& programDir, std::FILE* out, std::FILE* err) {
    TPrepared p = Prepare(options, programDir, err);
    if (p.Exit >= 0) return p.Exit;
    TSession& session = *p.Session;
    TMachine& machine = session.Machine();

    // Virtual time: each step is one millisecond, as in the workbench's 1 ms fast run.
    uint32_t clock = 0;
    session.TickCount = [&clock] { return clock; };
    session.Log.Enabled = !options.LogFile.empty();
    if (options.Seed) machine.Random.Seed(*options.Seed);
    for (int line : options.Breaks) {
        if (static_cast<size_t>(line) > p.Source.Lines.size()) {
            PrintLine(err, "orlek-cli: --break: vrstica " + std::to_string(line) + " je za koncem izvora (" +
                               std::to_string(p.Source.Lines.size()) + " vrstic)");
            return ExitUsage;
        }
        session.Breakpoints.Add(line);
    }

    // The log goes to its file while the program runs, so a long run does not pile it up.
    std::unique_ptr<TAtomicFile> logFile;
    if (!options.LogFile.empty()) {
        try {
            logFile = std::make_unique<TAtomicFile>(options.LogFile);
        } catch (const FileError& e) {
            PrintLine(err, std::string("orlek-cli: ") + e.what());
            return ExitUsage;
        }
    }
    std::string logBuffer;
    auto flushLog = [&] {
        for (const TLogRecord& record : session.Log.Records()) {
            session.Log.FormatTo(record, logBuffer);
            logBuffer += '\n';
        }
        session.Log.Clear();
        logFile->Write(logBuffer);
        logBuffer.clear();
    };

    TRunReport report;
    TLoadResult load = session.LoadProgram(p.Source.Lines);
    if (!load.Ok) {
        report.Messages = load.Messages;
        if (options.Json) Print(out, FormatReportJson(report));
        else
            for (const std::string& message : load.Messages)
                PrintLine(err, message);
        return ExitLoadFailed;
    }
    report.Loaded = true;

    machine.Sci.Loopback = options.Loopback;
    for (const TraceCondition& c : options.Triggers)
        machine.Memory.Trace.Triggers.Add(c);
    for (const TraceCondition& c : options.Qualifiers)
        machine.Memory.Trace.Qualifiers.Add(c);
    machine.Memory.TraceEnabled = !options.Triggers.empty() || !options.Qualifiers.empty();
    // Recording needs both lists: a trigger to start it and a qualifier to choose what is kept.
    if (options.Triggers.empty() && !options.Qualifiers.empty())
        PrintLine(err,
                  "orlek-cli: opozorilo: brez --trigger se sledenje nikoli ne sproži, posnetega ne bo nič");
    else if (!options.Triggers.empty() && options.Qualifiers.empty())
        PrintLine(err, "orlek-cli: opozorilo: brez --qualifier se po sprožitvi ne posname noben dostop");

    std::vector<uint64_t> irqs = options.IrqSteps, nmis = options.NmiSteps;
    std::sort(irqs.begin(), irqs.end());
    std::sort(nmis.begin(), nmis.end());
    std::vector<TPinEvent> pins = options.Pins;
    std::stable_sort(pins.begin(), pins.end(),
                     [](const TPinEvent& a, const TPinEvent& b) { return a.Step < b.Step; });
    size_t nextIrq = 0, nextNmi = 0, nextPin = 0, nextSend = 0;
    // Bytes the external system has still to send; one goes on the line when the previous one
    // has arrived (or, with the receiver off, when it would have).
    std::deque<uint8_t> sendQueue;
    unsigned sendCooldown = 0;

    session.RunFast();
    report.Stop = "limit";
    report.Line = session.PeekLine(machine.Cpu.PC);
    uint64_t step = 0;
    while (step < options.Steps) {
        ++step;
        while (nextIrq < irqs.size() && irqs[nextIrq] <= step)
            ++nextIrq, session.RequestIrq();
        while (nextNmi < nmis.size() && nmis[nextNmi] <= step)
            ++nextNmi, session.RequestNmi();
        while (nextPin < pins.size() && pins[nextPin].Step <= step) {
            const TPinEvent& pin = pins[nextPin++];
            (pin.Port == 1 ? machine.Port1 : machine.Port2).TogglePin(pin.Bit);
        }
        while (nextSend < options.Sends.size() && options.Sends[nextSend].Step <= step) {
            const std::vector<uint8_t>& bytes = options.Sends[nextSend++].Bytes;
            sendQueue.insert(sendQueue.end(), bytes.begin(), bytes.end());
        }
        if (!sendQueue.empty() && sendCooldown == 0 && machine.Sci.RxCount == 0) {
            machine.Sci.DeliverByte(sendQueue.front());
            sendQueue.pop_front();
            sendCooldown = TSci::LineTicks;
        }

        clock = static_cast<uint32_t>(step);
        TStepResult result = session.StepOnce();
        report.Line = result.Line;
        for (const std::string& message : result.Messages) {
            if (!options.Json) PrintLine(out, message);
            report.Messages.push_back(message);
        }
        if (result.Left) {
            report.Stop = "left";
            break;
        }
        if (result.Breakpoint) {
            report.Stop = "breakpoint";
            break;
        }
        if (logFile && session.Log.Size() >= 4096) flushLog();
        if (step % options.TimerEvery == 0) machine.Timer.TimerTick();
        if (step % options.SciEvery == 0) {
            machine.Sci.SciTick();
            if (sendCooldown > 0) --sendCooldown;
        }
    }
    report.Steps = step;

    Tsimulator& cpu = machine.Cpu;
    report.A = cpu.A;
    report.B = cpu.B;
    report.D = cpu.D;
    report.X = cpu.X;
    report.PC = cpu.PC;
    report.SP = cpu.SP;
    report.CCR = static_cast<uint8_t>(cpu.PackCCR() | 0xC0);
    for (const TMemRange& range : options.Mems) {
        TRunReport::Memory m;
        m.Address = range.Address;
        m.Bytes.reserve(range.Length);
        for (uint32_t k = 0; k < range.Length; ++k)
            m.Bytes.push_back(session.PeekValue(static_cast<uint16_t>(range.Address + k)));
        report.Mems.push_back(std::move(m));
    }
    report.SciOut = machine.Sci.Transmitted;
    report.Trace = machine.Memory.Trace.Rows();

    int exit = ExitOk;
    if (logFile) {
        try {
            flushLog();
            logFile->Commit();
        } catch (const FileError& e) {
            PrintLine(err, std::string("orlek-cli: ") + e.what());
            exit = ExitUsage;
        }
    }
    Print(out, options.Json ? FormatReportJson(report) : FormatReportText(report));
    return exit;
}
