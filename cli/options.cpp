#include "cli/options.h"

#include <algorithm>

#include "base/encoding.h"
#include "engine/numbers.h"
#include "session/journal.h"
#include "session/scenario.h"

namespace {

[[noreturn]] void Fail(const std::string& message) { throw UsageError(message); }

// Decimal unsigned integer, whole text, no sign, no overflow.
uint64_t ParseDecimal(const std::string& text, const std::string& what) {
    const TParsedNumber n = ParseNumberText(text, TNumberSyntax{});
    if (n.Error == NumberError::Range) Fail(what + ": število \"" + text + "\" je preveliko");
    if (!n.Ok()) Fail(what + ": pričakujem desetiško število, dobil sem \"" + text + "\"");
    return n.Magnitude;
}

// Decimal, or hexadecimal with a "$" or "0x" prefix; with `hexOnly`, digits without a prefix
// are hexadecimal too. Hexadecimal numbers have at most eight digits.
uint64_t ParseNumber(const std::string& text, const std::string& what, bool hexOnly = false) {
    TNumberSyntax syntax;
    syntax.PlainBase = hexOnly ? 16 : 10;
    syntax.Dollar = true;
    syntax.ZeroX = true;
    const TParsedNumber n = ParseNumberText(text, syntax);
    if (n.Base == 10) return ParseDecimal(text, what);
    if (!n.Ok() || n.Digits > 8)
        Fail(what + ": pričakujem šestnajstiško število, dobil sem \"" + text + "\"");
    return n.Magnitude;
}

uint64_t ParseStep(const std::string& text, const std::string& what) {
    uint64_t step = ParseDecimal(text, what);
    if (step == 0) Fail(what + ": koraki se štejejo od 1");
    return step;
}

// A step, or a cycle count when it ends in "c" ("5000c"): the moment of a stimulus.
uint64_t ParseMoment(const std::string& text, const std::string& what) {
    if (text.size() > 1 && text.back() == 'c') {
        const uint64_t cycle = ParseDecimal(text.substr(0, text.size() - 1), what);
        if (cycle >= kAtCycle) Fail(what + ": prevelik cikel \"" + text + "\"");
        return cycle | kAtCycle;
    }
    return ParseStep(text, what);
}

// Splits "VALUE@STEP" (or "VALUE@CYCLEc") at the last '@'.
std::pair<std::string, uint64_t> SplitAtStep(const std::string& text, const std::string& what) {
    size_t at = text.rfind('@');
    if (at == std::string::npos) Fail(what + ": manjka \"@KORAK\" v \"" + text + "\"");
    return {text.substr(0, at), ParseMoment(text.substr(at + 1), what)};
}

void SetModel(TCliOptions& o, const std::string& v, const std::string& name) {
    if (!ParseModelName(v, o.Model))
        Fail(name + ": model je \"classic\" ali \"chip\", dobil sem \"" + v + "\"");
}

std::vector<std::string> SplitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return parts;
}

std::vector<uint8_t> ParseSendData(const std::string& data) {
    std::vector<uint8_t> bytes;
    if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
        std::string text = data.substr(1, data.size() - 2);
        // The machine's character set is Windows-1250; the terminal's text is UTF-8 when valid.
        if (IsValidUtf8(text)) text = Utf8ToCp1250(text);
        bytes.assign(text.begin(), text.end());
    } else {
        TNumberSyntax hexDigits;
        hexDigits.PlainBase = 16;
        for (const std::string& part : SplitOn(data, ',')) {
            const TParsedNumber n = ParseNumberText(part, hexDigits);
            if (!n.Ok() || n.Digits > 2)
                Fail("--send: \"" + data +
                     "\" ni niz šestnajstiških bajtov (npr. 41,42) ali besedilo v narekovajih");
            bytes.push_back(static_cast<uint8_t>(n.Magnitude));
        }
    }
    if (bytes.empty()) Fail("--send: ni podatkov za pošiljanje");
    return bytes;
}

TraceCondition ParseTraceCondition(const std::string& text, const std::string& what) {
    std::vector<std::string> parts = SplitOn(text, ',');
    if (parts.size() != 3)
        Fail(what + ": pričakujem NASLOV,PODATEK,SMER (npr. 20xx,x,W), dobil sem \"" + text + "\"");
    std::optional<TraceCondition> condition = ParseCondition(parts[0], parts[1], parts[2]);
    if (!condition) Fail(what + ": neveljaven pogoj \"" + text + "\"");
    return *condition;
}

std::string FileName(const std::string& value, const std::string& what) {
    if (value.empty()) Fail(what + ": prazno ime datoteke");
    return value;
}

// A line number, or the name of a label (its line is found in the source later).
void AddBreak(TCliOptions& o, const std::string& v, const std::string& name) {
    if (v.empty()) Fail("--break: manjka vrstica ali oznaka");
    if (!(v[0] >= '0' && v[0] <= '9') && v[0] != '+' && v[0] != '-') {
        if (std::find(o.BreakLabels.begin(), o.BreakLabels.end(), v) == o.BreakLabels.end())
            o.BreakLabels.push_back(v);
        return;
    }
    uint64_t line = ParseDecimal(v, name);
    if (line == 0 || line > 0x7FFF) Fail("--break: vrstica mora biti med 1 in 32767");
    if (std::find(o.Breaks.begin(), o.Breaks.end(), static_cast<int>(line)) == o.Breaks.end())
        o.Breaks.push_back(static_cast<int>(line));
}

void AddPin(TCliOptions& o, const std::string& v, const std::string& name) {
    auto [pin, step] = SplitAtStep(v, name);
    size_t dot = pin.find('.');
    if (dot == std::string::npos)
        Fail("--pin: pričakujem VRATA.BIT@KORAK (npr. 1.3@100), dobil sem \"" + v + "\"");
    uint64_t port = ParseDecimal(pin.substr(0, dot), name);
    uint64_t bit = ParseDecimal(pin.substr(dot + 1), name);
    if (port != 1 && port != 2) Fail("--pin: vrata so 1 ali 2");
    if (bit > (port == 1 ? 7u : 4u))
        Fail("--pin: vrata " + std::to_string(port) + " imajo bite 0.." + (port == 1 ? "7" : "4"));
    o.Pins.push_back({static_cast<int>(port), static_cast<int>(bit), step});
}

void SetSeed(TCliOptions& o, const std::string& v, const std::string& name) {
    uint64_t seed = ParseNumber(v, name);
    if (seed > 0xFFFFFFFFull) Fail("--seed: seme mora biti 32-bitno število");
    o.Seed = static_cast<uint32_t>(seed);
}

void SetFrom(TCliOptions& o, const std::string& v, const std::string& name) {
    uint64_t address = ParseNumber(v, name, /*hexOnly=*/true);
    if (address > 0xFFFF) Fail(name + ": naslov je večji od FFFF");
    o.From = static_cast<uint16_t>(address);
}

void SetBack(TCliOptions& o, const std::string& v, const std::string& name) {
    const uint64_t back = ParseDecimal(v, name);
    if (back == 0) Fail("--back: korakov nazaj mora biti vsaj 1");
    if (back > TJournal::kMaxSteps)
        Fail("--back: zgodovina hrani največ " + std::to_string(TJournal::kMaxSteps) + " korakov");
    o.Back = back;
}

void AddMem(TCliOptions& o, const std::string& v, const std::string& name) {
    size_t colon = v.find(':');
    if (colon == std::string::npos)
        Fail("--mem: pričakujem NASLOV:DOLŽINA (npr. 2000:16), dobil sem \"" + v + "\"");
    uint64_t address = ParseNumber(v.substr(0, colon), name, /*hexOnly=*/true);
    uint64_t length = ParseNumber(v.substr(colon + 1), name);
    if (address > 0xFFFF) Fail("--mem: naslov je večji od FFFF");
    // Compared so that no sum can wrap, however large the length.
    if (length == 0 || length > 0x10000 - address)
        Fail("--mem: obseg \"" + v + "\" sega čez konec pomnilnika ali je prazen");
    o.Mems.push_back({static_cast<uint16_t>(address), static_cast<uint32_t>(length)});
}

// A decimal number with at most three decimals after a point or a comma ("2", "0.5", "1,25"),
// in thousandths; nullopt when the text is no such number or it is beyond a million.
std::optional<uint64_t> Thousandths(const std::string& text) {
    const size_t dot = text.find_first_of(".,");
    const std::string whole = text.substr(0, dot);
    std::string fraction = dot == std::string::npos ? std::string() : text.substr(dot + 1);
    const auto digits = [](const std::string& t) {
        return !t.empty() && t.size() <= 7 &&
               std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(whole) || (dot != std::string::npos && (!digits(fraction) || fraction.size() > 3)))
        return std::nullopt;
    fraction.resize(3, '0');
    return std::stoull(whole) * 1000 + std::stoull(fraction);
}

uint64_t ParseSeconds(const std::string& text, const std::string& what) {
    const std::optional<uint64_t> ms = Thousandths(text);
    if (!ms) Fail(what + ": pričakujem sekunde, npr. 30 ali 2.5, dobil sem \"" + text + "\"");
    if (*ms > 86'400'000) Fail(what + ": največ 86400 sekund (en dan)");
    return *ms;
}

// A share from 0 to 1 ("0.8", "0,85") or a percentage ("85%").
double ParseShare(const std::string& text, const std::string& what) {
    std::string t = text;
    const bool percent = !t.empty() && t.back() == '%';
    if (percent) t.pop_back();
    const std::optional<uint64_t> n = Thousandths(t);
    const double share = n ? (percent ? *n / 100000.0 : *n / 1000.0) : -1;
    if (share < 0 || share > 1.0)
        Fail(what + ": prag je število od 0 do 1 (npr. 0.8) ali odstotek (80%), dobil sem \"" + text + "\"");
    return share;
}

void AddBoardEvent(TCliOptions& o, const std::string& v, const std::string& name, TBoardEvent::Kind kind) {
    auto [what, step] = SplitAtStep(v, name);
    TBoardEvent e;
    e.What = kind;
    e.Step = step;
    e.Option = name;
    e.Value = v;
    if (kind == TBoardEvent::Kind::Switch) {
        const size_t eq = what.rfind('=');
        if (eq == std::string::npos || eq == 0)
            Fail("--switch: pričakujem IME=0|1@KORAK (npr. S0=1@100), dobil sem \"" + v + "\"");
        const std::string position = what.substr(eq + 1);
        if (position != "0" && position != "1")
            Fail("--switch: stikalo je 0 (izklopljeno) ali 1 (vklopljeno), dobil sem \"" + position + "\"");
        e.On = position == "1";
        what.resize(eq);
    }
    if (what.empty())
        Fail(name + ": manjka ime " + (kind == TBoardEvent::Kind::Switch ? "stikala" : "tipke") +
             " pred \"@\"");
    e.Name = what;
    o.BoardEvents.push_back(std::move(e));
}

// One option of the command line: its name, the command it belongs to (nullopt: both), whether
// it takes a value and may be given only once, and what it does with its value.
struct TOptionRule {
    const char* Name;
    std::optional<CliCommand> Command;
    bool TakesValue;
    bool Once;
    void (*Apply)(TCliOptions& options, const std::string& value, const std::string& name);
};

using V = const std::string&;
const TOptionRule kOptions[] = {
    {"--listing", CliCommand::Asm, true, true,
     [](TCliOptions& o, V v, V n) { o.ListingFile = FileName(v, n); }},
    {"--srec", CliCommand::Asm, true, true, [](TCliOptions& o, V v, V n) { o.SrecFile = FileName(v, n); }},
    {"--symbols", CliCommand::Asm, false, false, [](TCliOptions& o, V, V) { o.Symbols = true; }},
    {"--steps", CliCommand::Run, true, true, [](TCliOptions& o, V v, V n) { o.Steps = ParseDecimal(v, n); }},
    {"--break", CliCommand::Run, true, false, AddBreak},
    {"--irq", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { o.IrqSteps.push_back(ParseMoment(v, n)); }},
    {"--nmi", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { o.NmiSteps.push_back(ParseMoment(v, n)); }},
    {"--timer-every", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) {
         o.TimerEvery = ParseStep(v, n);
         o.ClockGiven = true;
     }},
    {"--sci-every", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) {
         o.SciEvery = ParseStep(v, n);
         o.ClockGiven = true;
     }},
    {"--model", CliCommand::Run, true, true, SetModel},
    {"--model", CliCommand::Check, true, true, SetModel},
    {"--send", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) {
         auto [data, step] = SplitAtStep(v, n);
         o.Sends.push_back({ParseSendData(data), step});
     }},
    {"--loopback", CliCommand::Run, false, false, [](TCliOptions& o, V, V) { o.Loopback = true; }},
    {"--pin", CliCommand::Run, true, false, AddPin},
    {"--seed", CliCommand::Run, true, true, SetSeed},
    {"--mem", CliCommand::Run, true, false, AddMem},
    {"--trigger", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { o.Triggers.push_back(ParseTraceCondition(v, n)); }},
    {"--qualifier", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { o.Qualifiers.push_back(ParseTraceCondition(v, n)); }},
    {"--trace-limit", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) {
         o.TraceLimit = ParseDecimal(v, n);
         o.TraceLimitGiven = true;
     }},
    {"--log", CliCommand::Run, true, true, [](TCliOptions& o, V v, V n) { o.LogFile = FileName(v, n); }},
    {"--json", CliCommand::Run, false, false, [](TCliOptions& o, V, V) { o.Json = true; }},
    {"--json", CliCommand::Check, false, false, [](TCliOptions& o, V, V) { o.Json = true; }},
    {"--csv", CliCommand::Check, true, true, [](TCliOptions& o, V v, V n) { o.CsvFile = FileName(v, n); }},
    {"--junit", CliCommand::Check, true, true,
     [](TCliOptions& o, V v, V n) { o.JUnitFile = FileName(v, n); }},
    {"--jobs", CliCommand::Check, true, true,
     [](TCliOptions& o, V v, V n) {
         const uint64_t jobs = ParseDecimal(v, n);
         if (jobs == 0 || jobs > 256) Fail("--jobs: število hkratnih preverjanj je od 1 do 256");
         o.Jobs = static_cast<unsigned>(jobs);
     }},
    {"--timeout", CliCommand::Check, true, true,
     [](TCliOptions& o, V v, V n) { o.TimeoutMs = ParseSeconds(v, n); }},
    {"--max-steps", CliCommand::Check, true, true,
     [](TCliOptions& o, V v, V n) { o.MaxSteps = ParseStep(v, n); }},
    {"--show-hidden", CliCommand::Check, false, false, [](TCliOptions& o, V, V) { o.ShowHidden = true; }},
    {"--threshold", CliCommand::Similar, true, true,
     [](TCliOptions& o, V v, V n) { o.Threshold = ParseShare(v, n); }},
    {"--html", CliCommand::Similar, true, true,
     [](TCliOptions& o, V v, V n) { o.HtmlFile = FileName(v, n); }},
    {"--from", CliCommand::Dis, true, true, SetFrom},
    {"--count", CliCommand::Dis, true, true, [](TCliOptions& o, V v, V n) { o.Count = ParseStep(v, n); }},
    {"--source", CliCommand::Dis, false, false, [](TCliOptions& o, V, V) { o.DisSource = true; }},
    {"--back", CliCommand::Run, true, true, SetBack},
    {"--vcd", CliCommand::Run, true, true, [](TCliOptions& o, V v, V n) { o.VcdFile = FileName(v, n); }},
    {"--profile", CliCommand::Run, false, true, [](TCliOptions& o, V, V) { o.Profile = true; }},
    {"--signals", CliCommand::Run, true, true, [](TCliOptions& o, V v, V) { o.Signals = v; }},
    {"--board", CliCommand::Run, true, true, [](TCliOptions& o, V v, V n) { o.Board = FileName(v, n); }},
    {"--load-state", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) { o.LoadState = FileName(v, n); }},
    {"--save-state", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) { o.SaveState = FileName(v, n); }},
    {"--press", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { AddBoardEvent(o, v, n, TBoardEvent::Kind::Press); }},
    {"--release", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { AddBoardEvent(o, v, n, TBoardEvent::Kind::Release); }},
    {"--switch", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { AddBoardEvent(o, v, n, TBoardEvent::Kind::Switch); }},
};

// The row of an option for the command; an option of another command when the command has no
// such option (for the message), nullptr when no command has it.
const TOptionRule* FindOption(const std::string& name, CliCommand command) {
    const TOptionRule* other = nullptr;
    for (const TOptionRule& rule : kOptions) {
        if (name != rule.Name) continue;
        if (!rule.Command || *rule.Command == command) return &rule;
        if (!other) other = &rule;
    }
    return other;
}

const char* CommandName(CliCommand command) {
    switch (command) {
    case CliCommand::Asm:
        return "asm";
    case CliCommand::Check:
        return "check";
    case CliCommand::Dis:
        return "dis";
    case CliCommand::Similar:
        return "similar";
    case CliCommand::Run:
    case CliCommand::Help:
        break;
    }
    return "run";
}

// The command word: asm, run, or help (also as --help / -h anywhere).
CliCommand ParseCommand(const std::vector<std::string>& args) {
    if (args.empty()) Fail("manjka ukaz (asm, run, check, similar ali dis)");
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end() || args[0] == "help")
        return CliCommand::Help;
    if (args[0] == "asm") return CliCommand::Asm;
    if (args[0] == "run") return CliCommand::Run;
    if (args[0] == "check") return CliCommand::Check;
    if (args[0] == "dis") return CliCommand::Dis;
    if (args[0] == "similar") return CliCommand::Similar;
    Fail("neznan ukaz \"" + args[0] + "\" (pričakujem asm, run, check, similar ali dis)");
}

} // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
    TCliOptions options;
    options.Command = ParseCommand(args);
    if (options.Command == CliCommand::Help) return options;

    // check takes the exercise and then programs or folders, similar folders or files; the
    // other commands one source.
    const bool check = options.Command == CliCommand::Check;
    const bool many = check || options.Command == CliCommand::Similar;
    bool haveExercise = false;
    bool haveSource = false;
    std::vector<const TOptionRule*> seen;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.size() < 2 || arg[0] != '-' || arg == "--") {
            if (arg == "--") {
                if (i + 1 >= args.size()) Fail("po \"--\" manjka izvorna datoteka");
                arg = args[++i];
            }
            if (check && !haveExercise) {
                options.Exercise = arg;
                haveExercise = true;
                continue;
            }
            if (many) {
                if (!haveSource) options.Source = arg;
                options.Programs.push_back(arg);
                haveSource = true;
                continue;
            }
            if (haveSource)
                Fail("podana je več kot ena izvorna datoteka (\"" + options.Source + "\" in \"" + arg +
                     "\")");
            options.Source = arg;
            haveSource = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        size_t eq = arg.find('=');
        if (arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        // An unknown name is reported as such before any value is looked for, so a typo in the
        // last option is not mistaken for a known option whose value is missing.
        const TOptionRule* rule = FindOption(name, options.Command);
        if (!rule) Fail("neznana izbira \"" + name + "\"");
        if (rule->Command && *rule->Command != options.Command)
            Fail(name + " velja samo za ukaz " + CommandName(*rule->Command));
        if (rule->TakesValue && !value) {
            if (i + 1 >= args.size()) Fail(name + ": manjka vrednost");
            value = args[++i];
        } else if (!rule->TakesValue && value) {
            Fail(name + " ne sprejme vrednosti");
        }
        if (rule->Once) {
            if (std::find(seen.begin(), seen.end(), rule) != seen.end())
                Fail(name + " je podan več kot enkrat");
            seen.push_back(rule);
        }
        rule->Apply(options, value.value_or(std::string()), name);
    }
    if (check && !haveExercise) Fail("manjka datoteka z nalogo");
    // A snapshot brings its source and its lab board with it.
    const bool continued = !options.LoadState.empty();
    if (continued && haveSource)
        Fail("--load-state: izvorno besedilo je v datoteki stanja; izvorne datoteke \"" + options.Source +
             "\" ne podajte");
    if (continued && !options.Board.empty())
        Fail("--load-state: plošča je v datoteki stanja; --board ni mogoč");
    if (options.ClockGiven && options.Model == TProcessorModel::Chip)
        Fail("--timer-every in --sci-every v modelu MC6803 ne veljata: časovnik in serijski vmesnik "
             "štejeta cikle E");
    if (options.Signals && options.VcdFile.empty()) Fail("--signals: ni datoteke (podajte --vcd DATOTEKA)");
    if (!options.BoardEvents.empty() && options.Board.empty() && !continued)
        Fail(options.BoardEvents.front().Option + ": ni plošče (podajte --board DATOTEKA)");
    if (!haveSource && !continued) {
        if (options.Command == CliCommand::Similar) Fail("manjka mapa s programi");
        Fail(options.Command == CliCommand::Dis ? "manjka datoteka z zapisi S" : "manjka izvorna datoteka");
    }
    if (check && options.Programs.size() > 1 &&
        std::find(options.Programs.begin(), options.Programs.end(), "-") != options.Programs.end())
        Fail("standardni vhod (\"-\") je lahko le edini program");
    std::stable_sort(options.Sends.begin(), options.Sends.end(),
                     [](const TSendEvent& a, const TSendEvent& b) { return a.Step < b.Step; });
    return options;
}

const char* CliHelpText() {
    return R"HELP(orlek-cli — ukazna vrstica delovnega okolja Orlek za MC6803

Uporaba:
  orlek-cli asm IZVOR [--listing DATOTEKA] [--srec DATOTEKA] [--symbols]
  orlek-cli run IZVOR|--load-state STANJE [--steps N] [--break VRSTICA|OZNAKA]... [--irq KORAK]... [--nmi KORAK]...
                      [--timer-every K] [--sci-every K] [--send PODATKI@KORAK]... [--loopback]
                      [--pin VRATA.BIT@KORAK]... [--seed S] [--mem NASLOV:DOLŽINA]...
                      [--trigger NASLOV,PODATEK,SMER]... [--qualifier NASLOV,PODATEK,SMER]...
                      [--trace-limit N] [--log DATOTEKA] [--back N] [--json]
                      [--board DATOTEKA] [--press TIPKA@KORAK]... [--release TIPKA@KORAK]...
                      [--switch IME=0|1@KORAK]... [--model classic|chip] [--save-state STANJE]
                      [--vcd DATOTEKA [--signals SEZNAM]] [--profile]
  orlek-cli check NALOGA PROGRAM|MAPA... [--csv DATOTEKA] [--junit DATOTEKA] [--jobs N]
                      [--timeout S] [--max-steps N] [--show-hidden] [--json] [--model classic|chip]
  orlek-cli similar MAPA... [--threshold T] [--html DATOTEKA]
  orlek-cli dis ZAPISI [--from NASLOV] [--count N] [--source]
  orlek-cli --help

IZVOR je izvorna datoteka v zbirniku (.asm, .s07) ali "-" za standardni vhod. Besedilo v
veljavnem UTF-8 se pretvori v kodno tabelo Windows-1250, vse drugo se bere kot Windows-1250.
Binarne datoteke (bajt NUL ali drugi kontrolni znaki) niso sprejete. Vrednost izbire se poda
kot naslednji argument ali za "=" (--steps=100).

asm — prevede program kot ukaz "Prevedi".
  --listing DATOTEKA   zapiše listing prevoda
  --srec DATOTEKA      zapiše prevedeni program kot zapise S (Motorola S19)
  --symbols            izpiše tabelo oznak, vrstico "IME $VVVV" za vsako oznako po vrsti definicij
  Ob napaki izpiše na standardni izhod za napake sporočila, ki bi jih pokazalo okno s kodo,
  npr. "Napaka: neznan ukaz (napaka v vrstici 3)" in "Simulatorja ne morem zagnati!"; kjer
  sporočilo samo ne pove dovolj (tabulator med polji, predolgo besedilo FCC), sledi vrstica
  "Namig: ...". Opozorila prevajalnika ("Opozorilo: ...", npr. odmik oznake, ki se prelije, ali
  koda čez zloge prejšnjega bloka ORG) in zlogi na naslovih registrov čipa, ki jih zapisi S
  izpustijo, gredo prav tako na standardni izhod za napake; rezultata ne spremenijo.

run — naloži program kot ukaz "Naloži" in ga izvaja korak za korakom, dokler program ne zapusti
prevedene kode (stop=left), izvajanje ne doseže vrstice s prekinitveno točko (stop=breakpoint)
ali se ne izvede N korakov (stop=limit).
  --steps N            največje število korakov (privzeto 1000000)
  --break VRSTICA      prekinitvena točka na vrstici (od 1 naprej); ustavi se pred ukazom te vrstice
  --break OZNAKA       prekinitvena točka na vrstici, ki definira oznako (npr. --break ZANKA)
  --model MODEL        model procesorja: classic (klasični, privzeto) ali chip (MC6803 v taktu E:
                       časovnik in serijski vmesnik štejeta cikle, zato --timer-every in
                       --sci-every tedaj ne veljata)
  KORAK                povsod je lahko tudi cikel, npr. 5000c: dražljaj pride pred prvim korakom,
                       ki se začne pri tem številu ciklov ali pozneje
  --irq KORAK          zahteva IRQ pred korakom KORAK (koraki se štejejo od 1)
  --nmi KORAK          zahteva NMI pred korakom KORAK
  --timer-every K      časovnik tiksne enkrat na K korakov (privzeto 5)
  --sci-every K        serijski vmesnik tiksne enkrat na K korakov (privzeto 150)
                       (razmerji hitrega izvajanja 1 ms proti urama 5 ms in 150 ms)
  --send PODATKI@KORAK zunanji sistem pošlje bajte od koraka KORAK naprej: šestnajstiški bajti
                       "41,42" ali besedilo v narekovajih '"AB"'; bajti gredo drug za drugim,
                       naslednji, ko je prejšnji prispel (10 tiksov serijskega vmesnika).
                       Zunanji sistem dela s hitrostjo 9600, kot v oknu SCI; bajt, poslan,
                       ko sprejemnik ni vklopljen, se izgubi.
  --loopback           povezava Rx=Tx serijskega vmesnika
  --pin VRATA.BIT@KORAK preklopi vhodni priključek (1.0-1.7, 2.0-2.4) pred korakom KORAK
  --seed S             seme generatorja naključnih števil (ponovljiv tek)
  --mem NASLOV:DOLŽINA izpiše pomnilnik od šestnajstiškega naslova, DOLŽINA bajtov
  --trigger N,P,S      sprožilni pogoj sledenja v obliki okna Sledenje (npr. 20xx,x,W)
  --qualifier N,P,S    pogoj za zapis v sled; oba vklopita snemanje sledi, posname pa se
                       le s sprožilnim pogojem in pogojem za zapis skupaj
  --trace-limit N      sled hrani največ N dostopov (privzeto 1000000); koliko jih ni bilo
                       posnetih, pove opozorilo na standardnem izhodu za napake
  --log DATOTEKA       zapiše dnevnik: glavo in zapis za vsak izvedeni korak (stolpec CAS je
                       navidezni čas: 1 ms na korak)
  --back N             po teku gre N korakov nazaj (kot "Korak nazaj", največ 100000) in izpiše
                       stanje, v katerem je bil isti tek N korakov prej (stop=back); dnevnik
                       se konča s tem korakom
  --json               izpiše rezultat kot en objekt JSON
  --board DATOTEKA     laboratorijska plošča na nožicah vrat (lučke, stikala, tipke, prikazovalniki,
                       tipkovnica, LCD), opisana v datoteki JSON; nalaganje jo vklopi, njen čas so
                       cikli ure E (1,2288 MHz). Nožica, ki jo hkrati poganjata dva vira, se javi
                       kot opozorilo na standardnem izhodu za napake.
  --press TIPKA@KORAK  pritisne tipko plošče ali tipko tipkovnice ("T0", "5"; pri več tipkovnicah
                       "KEY:5") pred korakom KORAK; ostane pritisnjena do --release
  --release TIPKA@KORAK spusti tipko pred korakom KORAK
  --switch IME=0|1@KORAK postavi stikalo plošče (npr. S0=1@100): 1 vklopljeno, 0 izklopljeno
  --save-state STANJE  na koncu teka zapiše stanje (izvorno besedilo, prekinitvene točke, stanje
                       stroja s pomnilnikom, napravami, terminalom, sledjo in ploščo, števec
                       ciklov in korakov) v datoteko JSON, ki jo odpre tudi okolje ("Datoteke >
                       Odpri stanje ..."); z --back zapiše še zgodovino korakov, tako da korak
                       nazaj po odprtju stanja seže tudi pred korak, pri katerem je zapisano
  --load-state STANJE  nadaljuje iz stanja, ki ga je zapisal --save-state ali okolje ("Datoteke >
                       Shrani stanje ..."), namesto izvorne datoteke; koraki (--steps, @KORAK)
                       se štejejo naprej od nalaganja programa, kot v teku, ki je stanje zapisal,
                       dražljaji za korake pred stanjem se ne ponovijo. Ukazna vrstica, ki je
                       stanje zapisala, z --load-state namesto izvora konča tam, kjer bi končal
                       nepretrgan tek. Bajti --send, ki ob zapisu še niso bili poslani, niso del
                       stanja.
  --vcd DATOTEKA       zapiše časovni diagram signalov od nalaganja naprej kot Value Change Dump
                       (IEEE 1364; odpre ga GTKWave ali PulseView); enota časa je en korak,
                       v modelu MC6803 ena ns (komentar v datoteki pove frekvenco E)
  --signals SEZNAM     signali za --vcd, ločeni z vejicami: P10..P17, P20..P24 (P1, P2 za vsa
                       vrata), IRQ, NMI, TOF, OCF, ICF, RDRF, TDRE in signali plošče kot IME.SIGNAL
                       (LCD.E, LCD.RS, DISP.DIG0, ...); privzeto vsi
  --profile            doda profil: za vsako izvedeno vrstico število izvedb in cikle, za vsak
                       podprogram (od cilja JSR/BSR do RTS, prekinitveni program do RTI) klice ter
                       cikle skupaj s klicanimi (inclusive) in brez njih (exclusive)

Izpis ukaza run (besedilo):
  sporočila, kot nastajajo (npr. "IRQ vektor ni definiran!", "Kam pa sedaj?")
  A=12 B=34 D=1234 X=0000 PC=2003 SP=00FF CCR=11010100     (CCR kot 11HINZVC)
  steps=17 stop=left line=-1 cycles=58                      (line: vrstica zadnjega koraka;
                                                            cycles: cikli ure E od nalaganja)
  AAAA: XX XX ...                                           (za vsak --mem, 16 bajtov v vrstici)
  sci-out: XX XX ...                                        (bajti, ki jih je čip oddal)
  board LCD: "Pozdrav" ""                                   (z --board vrstica za vsak del
                                                            plošče: L0: on, T0: released,
                                                            D0: "8" abcdefg, DISP: "1234",
                                                            KEY: "5")
  trace: AAAA DD R                                          (vrstica za vsak posneti dostop)
  profile-line: 12 count=100 cycles=300                     (z --profile, za vsako vrstico)
  profile-sub: ZANKA 1010 calls=2 inclusive=40 exclusive=12 (z --profile, za vsak podprogram)

Izpis JSON: {"loaded":true,"messages":[...],"registers":{"A":18,"B":52,"D":4660,"X":0,
  "PC":8195,"SP":255,"CCR":"11010100"},"steps":17,"stop":"left","line":-1,"cycles":58,
  "memory":[{"address":8192,"bytes":[...]}],"sci_out":[65,66],
  "board":{"L0":{"on":true},"D0":{"segments":"abcdefg","text":"8"},"DISP":{"text":"1234"},
  "KEY":{"pressed":"5"},"LCD":{"lines":["Pozdrav",""],"cursor":[0,7]}},
  "trace":[{"address":8192,"data":18,"rw":"W"}],
  "profile":{"lines":[{"line":12,"count":100,"cycles":300}],"subroutines":[{"label":"ZANKA",
  "address":4112,"calls":2,"inclusive":40,"exclusive":12}]}}
  Ključ "profile" je le z --profile; vsota ciklov vrstic je "cycles".
  Ključ "board" je le pri teku s ploščo; prazno mesto prikazovalnika je presledek, vzorec, ki ni
  števka, "?"; vrstice LCD so brez presledkov na koncu, "cursor" je null, ko kazalka ni vidna.
  Če nalaganje ne uspe: {"loaded":false,"messages":[...]}.

check — preveri program z nalogo: NALOGA je datoteka JSON z naslovom, dražljaji (IRQ, NMI,
nožice, bajti po SCI pred danimi koraki) in preverjanji (po N korakih ali pri oznaki) s
pričakovanimi vrednostmi registrov, pomnilnika, izhoda SCI, nožic, s pogojem, da program ne
zapusti svoje kode, in z mejami ciklov, korakov in velikosti programa. Program se naloži kot z ukazom "Naloži" in teče z navideznim
časom (1 ms na korak). Izpiše vsako pričakovanje z dejansko vrednostjo:
  Preverjanje 1: pri oznaki KONEC (korak 35)
    ok      A: $90
    NAPAKA  bajt na $0082: pričakovano $55, dejansko $00
  Izpolnjenih 7 od 8 pričakovanj.
  --json               izpiše rezultat kot en objekt JSON: {"title":...,"loaded":true,
                       "messages":[...],"passed":false,"passed_count":7,"total":8,"steps":35,
                       "checks":[{"where":...,"name":...,"reached":true,"steps":35,
                       "results":[{"what":"A","expected":"$90","actual":"$90","passed":true}]}]}
  Zapis naloge je opisan v priročniku (Pomoč > Kazalo, "Naloge, ki se preverijo same").
  Preverjanje, ki ga naloga označi za skrito ("hidden"), pokaže le, ali je izpolnjeno; naloga s
  točkami ("points") izpiše še "Točke: 3 od 5.".

Preverjanje razreda: če je podanih več programov ali mapa, check preveri vsakega posebej v
svojem procesu, več hkrati (po en program na jedro procesorja). Program, ki se zacikla ali
sesuje, ne zadrži in ne zmoti drugih. Mapa da program iz vsake datoteke .asm in .s07 v njej in
iz vsake podmape (ena mapa na študenta): v podmapi je to edini program v njej ali tisti, ki je
imenovan kot naloga (kvadrat.asm za kvadrat.json). Izpiše preglednico: program, točke,
izpolnjena in neizpolnjena preverjanja ter besedilo prve napake.
  --csv DATOTEKA       zapiše izid v obliki CSV: glava "program,points,max,passed,failed" in
                       stolpec za vsako preverjanje, nato vrstica za vsak program z 1 ali 0
                       za vsako preverjanje
  --junit DATOTEKA     zapiše izid v obliki JUnit XML (za GitHub Classroom, Moodle, CI): testna
                       zbirka za vsak program, testni primer za vsako preverjanje, neizpolnjeno
                       preverjanje s pričakovano in dejansko vrednostjo
  --jobs N             največ N hkratnih preverjanj (privzeto število jeder)
  --timeout S          največ S sekund za en program (privzeto 30, 0 brez meje); potem se
                       preverjanje ustavi in kar ni preverjeno, ni izpolnjeno
  --max-steps N        največ N korakov za en program (privzeto 100000000)
  --show-hidden        pokaže tudi, kaj preverjajo skrita preverjanja
  --model MODEL        model procesorja (classic ali chip), kadar ga naloga ne določa sama
                       s ključem "model"
  --json               izpiše izid razreda kot en objekt JSON: {"title":...,"passed":false,
                       "programs":[{"program":...,"points":1,"max":2,"passed":1,"failed":1,
                       "first_failure":...,"checks":[...]}]}
  Obe datoteki se zapišeta tudi pri enem programu; izpis je tedaj tak kot zgoraj.

similar — poišče pare programov, katerih zaporedja ukazov so si podobna, in jih izpiše s
podobnostjo od 1 (enaka) navzdol. Primerja le ukaze in vrsto naslavljanja: oznake, komentarji,
presledki, imena, števila in naslovi so prezrti, A in B sta lahko zamenjana. Podobnost je
delež ukazov v najdaljšem skupnem podzaporedju. Je pripomoček za učiteljevo presojo in nič ne
ocenjuje; izhodna koda je 0, če je primerjava uspela. Programe najde kot check (mape, podmape
študentov, datoteke); programi z manj kot petimi ukazi so prezrti.
  --threshold T        izpiše pare s podobnostjo vsaj T (od 0 do 1 ali v odstotkih, privzeto 0.8)
  --html DATOTEKA      zapiše poročilo HTML: za vsak par vrstice z ukazi obeh programov drugo ob
                       drugi, ujemajoče se pobarvane

dis — razstavi zapise S (Motorola S19, kot jih zapiše asm --srec; "-" za standardni vhod).
  Brez --source izpiše vrstico za vsak ukaz: naslov, bajte, oznako, ukaz in operand, npr.
  "2006  B6 10 01  L2006   LDAA $1001". Bajt, ki ni ukaz, je FCB, vektorji od $FFF0 naprej FDB.
  Cilji skokov in naslovi, ki so začetki vrstic, dobijo oznake L z naslovom (L2006).
  --from NASLOV        začne pri šestnajstiškem naslovu (privzeto pri prvem bajtu)
  --count N            izpiše največ N vrstic
  --source             izpiše izvorno kodo, ki jo ta prevajalnik sprejme in iz katere nastanejo
                       isti bajti na istih naslovih: ORG za vsak kos, ukaze, FCB za bajte, ki
                       niso ukazi, vektor reset kot FDB. Cilji vejitev so vedno oznake, razširjeni
                       naslovi do $FF tudi (številka bi izbrala neposredno naslavljanje).

Izhodna koda: 0 program je tekel (ne glede na način ustavitve) ali prevod je uspel, pri check
  so vsi programi izpolnili vsa pričakovanja; 1 prevajanje/nalaganje ni uspelo, pri check vsaj
  eno pričakovanje ni izpolnjeno ali program ni bil preverjen; 2 napačni argumenti, napačna
  naloga ali napaka pri branju/pisanju datotek (tudi pokvarjeni zapisi S).
)HELP";
}
