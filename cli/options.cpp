#include "cli/options.h"

#include <algorithm>

#include "assembler/encoding.h"
#include "engine/numbers.h"
#include "session/journal.h"

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

// Splits "VALUE@STEP" at the last '@'.
std::pair<std::string, uint64_t> SplitAtStep(const std::string& text, const std::string& what) {
    size_t at = text.rfind('@');
    if (at == std::string::npos) Fail(what + ": manjka \"@KORAK\" v \"" + text + "\"");
    return {text.substr(0, at), ParseStep(text.substr(at + 1), what)};
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

void AddBreak(TCliOptions& o, const std::string& v, const std::string& name) {
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
    if (length == 0 || address + length > 0x10000)
        Fail("--mem: obseg \"" + v + "\" sega čez konec pomnilnika ali je prazen");
    o.Mems.push_back({static_cast<uint16_t>(address), static_cast<uint32_t>(length)});
}

// One option of the command line: its name, the command it belongs to (nullopt: both), whether
// it takes a value and may be given only once, and what it does with its value.
struct TOptionSpec {
    const char* Name;
    std::optional<CliCommand> Command;
    bool TakesValue;
    bool Once;
    void (*Apply)(TCliOptions& options, const std::string& value, const std::string& name);
};

using V = const std::string&;
const TOptionSpec kOptions[] = {
    {"--listing", CliCommand::Asm, true, true,
     [](TCliOptions& o, V v, V n) { o.ListingFile = FileName(v, n); }},
    {"--srec", CliCommand::Asm, true, true, [](TCliOptions& o, V v, V n) { o.SrecFile = FileName(v, n); }},
    {"--symbols", CliCommand::Asm, false, false, [](TCliOptions& o, V, V) { o.Symbols = true; }},
    {"--steps", CliCommand::Run, true, true, [](TCliOptions& o, V v, V n) { o.Steps = ParseDecimal(v, n); }},
    {"--break", CliCommand::Run, true, false, AddBreak},
    {"--irq", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { o.IrqSteps.push_back(ParseStep(v, n)); }},
    {"--nmi", CliCommand::Run, true, false,
     [](TCliOptions& o, V v, V n) { o.NmiSteps.push_back(ParseStep(v, n)); }},
    {"--timer-every", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) { o.TimerEvery = ParseStep(v, n); }},
    {"--sci-every", CliCommand::Run, true, true,
     [](TCliOptions& o, V v, V n) { o.SciEvery = ParseStep(v, n); }},
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
    {"--log", CliCommand::Run, true, true, [](TCliOptions& o, V v, V n) { o.LogFile = FileName(v, n); }},
    {"--json", CliCommand::Run, false, false, [](TCliOptions& o, V, V) { o.Json = true; }},
    {"--back", CliCommand::Run, true, true, SetBack},
};

const TOptionSpec* FindOption(const std::string& name) {
    for (const TOptionSpec& spec : kOptions)
        if (name == spec.Name) return &spec;
    return nullptr;
}

const char* CommandName(CliCommand command) { return command == CliCommand::Asm ? "asm" : "run"; }

// The command word: asm, run, or help (also as --help / -h anywhere).
CliCommand ParseCommand(const std::vector<std::string>& args) {
    if (args.empty()) Fail("manjka ukaz (asm ali run)");
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end() || args[0] == "help")
        return CliCommand::Help;
    if (args[0] == "asm") return CliCommand::Asm;
    if (args[0] == "run") return CliCommand::Run;
    Fail("neznan ukaz \"" + args[0] + "\" (pričakujem asm ali run)");
}

} // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
    TCliOptions options;
    options.Command = ParseCommand(args);
    if (options.Command == CliCommand::Help) return options;

    bool haveSource = false;
    std::vector<const TOptionSpec*> seen;
    for (size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (arg.size() < 2 || arg[0] != '-' || arg == "--") {
            if (arg == "--") {
                if (i + 1 >= args.size()) Fail("po \"--\" manjka izvorna datoteka");
                arg = args[++i];
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
        const TOptionSpec* spec = FindOption(name);
        if (!spec) Fail("neznana izbira \"" + name + "\"");
        if (spec->Command && *spec->Command != options.Command)
            Fail(name + " velja samo za ukaz " + CommandName(*spec->Command));
        if (spec->TakesValue && !value) {
            if (i + 1 >= args.size()) Fail(name + ": manjka vrednost");
            value = args[++i];
        } else if (!spec->TakesValue && value) {
            Fail(name + " ne sprejme vrednosti");
        }
        if (spec->Once) {
            if (std::find(seen.begin(), seen.end(), spec) != seen.end())
                Fail(name + " je podan več kot enkrat");
            seen.push_back(spec);
        }
        spec->Apply(options, value.value_or(std::string()), name);
    }
    if (!haveSource) Fail("manjka izvorna datoteka");
    std::stable_sort(options.Sends.begin(), options.Sends.end(),
                     [](const TSendEvent& a, const TSendEvent& b) { return a.Step < b.Step; });
    return options;
}

const char* CliHelpText() {
    return R"HELP(orlek-cli — ukazna vrstica delovnega okolja Orlek za MC6803

Uporaba:
  orlek-cli asm IZVOR [--listing DATOTEKA] [--srec DATOTEKA] [--symbols]
  orlek-cli run IZVOR [--steps N] [--break VRSTICA]... [--irq KORAK]... [--nmi KORAK]...
                      [--timer-every K] [--sci-every K] [--send PODATKI@KORAK]... [--loopback]
                      [--pin VRATA.BIT@KORAK]... [--seed S] [--mem NASLOV:DOLŽINA]...
                      [--trigger NASLOV,PODATEK,SMER]... [--qualifier NASLOV,PODATEK,SMER]...
                      [--log DATOTEKA] [--back N] [--json]
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
  npr. "Napaka: neznan ukaz (napaka v vrstici 3)" in "Simulatorja ne morem zagnati!".

run — naloži program kot ukaz "Naloži" in ga izvaja korak za korakom, dokler program ne zapusti
prevedene kode (stop=left), izvajanje ne doseže vrstice s prekinitveno točko (stop=breakpoint)
ali se ne izvede N korakov (stop=limit).
  --steps N            največje število korakov (privzeto 1000000)
  --break VRSTICA      prekinitvena točka na vrstici (od 1 naprej); ustavi se pred ukazom te vrstice
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
  --log DATOTEKA       zapiše dnevnik: glavo in zapis za vsak izvedeni korak (stolpec CAS je
                       navidezni čas: 1 ms na korak)
  --back N             po teku gre N korakov nazaj (kot "Korak nazaj", največ 100000) in izpiše
                       stanje, v katerem je bil isti tek N korakov prej (stop=back); dnevnik
                       se konča s tem korakom
  --json               izpiše rezultat kot en objekt JSON

Izpis ukaza run (besedilo):
  sporočila, kot nastajajo (npr. "IRQ vektor ni definiran!", "Kam pa sedaj?")
  A=12 B=34 D=1234 X=0000 PC=2003 SP=00FF CCR=11010100     (CCR kot 11HINZVC)
  steps=17 stop=left line=-1 cycles=58                      (line: vrstica zadnjega koraka;
                                                            cycles: cikli ure E od nalaganja)
  AAAA: XX XX ...                                           (za vsak --mem, 16 bajtov v vrstici)
  sci-out: XX XX ...                                        (bajti, ki jih je čip oddal)
  trace: AAAA DD R                                          (vrstica za vsak posneti dostop)

Izpis JSON: {"loaded":true,"messages":[...],"registers":{"A":18,"B":52,"D":4660,"X":0,
  "PC":8195,"SP":255,"CCR":"11010100"},"steps":17,"stop":"left","line":-1,"cycles":58,
  "memory":[{"address":8192,"bytes":[...]}],"sci_out":[65,66],
  "trace":[{"address":8192,"data":18,"rw":"W"}]}
  Če nalaganje ne uspe: {"loaded":false,"messages":[...]}.

Izhodna koda: 0 program je tekel (ne glede na način ustavitve) ali prevod je uspel,
  1 prevajanje/nalaganje ni uspelo, 2 napačni argumenti ali napaka pri branju/pisanju datotek.
)HELP";
}
