#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "assembler/encoding.h"

namespace {

[[noreturn]] void Fail(const std::string& message) { throw UsageError(message); }

// Decimal unsigned integer, whole text, no sign, no overflow.
uint64_t ParseDecimal(const std::string& text, const std::string& what) {
    uint64_t value = 0;
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        Fail(what + ": pričakujem desetiško število, dobil sem \"" + text + "\"");
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size())
        Fail(what + ": število \"" + text + "\" je preveliko");
    return value;
}

// Hexadecimal digits with an optional "$" or "0x" prefix.
uint64_t ParseHex(std::string text, const std::string& what) {
    std::string original = text;
    if (!text.empty() && text[0] == '$') text.erase(0, 1);
    else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.erase(0, 2);
    if (text.empty() || text.size() > 8 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        Fail(what + ": pričakujem šestnajstiško število, dobil sem \"" + original + "\"");
    return std::stoull(text, nullptr, 16);
}

// Decimal, or hexadecimal with a "$" or "0x" prefix.
uint64_t ParseNumber(const std::string& text, const std::string& what) {
    if (!text.empty() &&
        (text[0] == '$' || (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))))
        return ParseHex(text, what);
    return ParseDecimal(text, what);
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
        for (const std::string& part : SplitOn(data, ',')) {
            if (part.empty() || part.size() > 2 || !std::all_of(part.begin(), part.end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c));
                }))
                Fail("--send: \"" + data +
                     "\" ni niz šestnajstiških bajtov (npr. 41,42) ali besedilo v narekovajih");
            bytes.push_back(static_cast<uint8_t>(std::stoul(part, nullptr, 16)));
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

bool IsRunOnly(const std::string& name) {
    static const char* const kNames[] = {"--steps",     "--break",   "--irq",       "--nmi", "--timer-every",
                                         "--sci-every", "--send",    "--loopback",  "--pin", "--seed",
                                         "--mem",       "--trigger", "--qualifier", "--log", "--json"};
    return std::find_if(std::begin(kNames), std::end(kNames), [&](const char* n) { return name == n; }) !=
           std::end(kNames);
}

bool IsKnownOption(const std::string& name) {
    return IsRunOnly(name) || name == "--listing" || name == "--srec" || name == "--symbols";
}

bool TakesValue(const std::string& name) {
    return name != "--symbols" && name != "--loopback" && name != "--json" && name != "--help";
}

} // namespace

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
    TCliOptions options;
    if (args.empty()) Fail("manjka ukaz (asm ali run)");
    if (std::find(args.begin(), args.end(), "--help") != args.end() ||
        std::find(args.begin(), args.end(), "-h") != args.end() || args[0] == "help") {
        options.Command = CliCommand::Help;
        return options;
    }
    if (args[0] == "asm") options.Command = CliCommand::Asm;
    else if (args[0] == "run") options.Command = CliCommand::Run;
    else Fail("neznan ukaz \"" + args[0] + "\" (pričakujem asm ali run)");

    bool haveSource = false;
    bool seenListing = false, seenSrec = false, seenSteps = false, seenTimer = false, seenSci = false,
         seenSeed = false, seenLog = false;
    auto once = [](bool& seen, const std::string& name) {
        if (seen) Fail(name + " je podan več kot enkrat");
        seen = true;
    };

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
        // An unknown name is reported as such before any value is looked for, so a typo in the last
        // option is not mistaken for a known option whose value is missing.
        if (!IsKnownOption(name)) Fail("neznana izbira \"" + name + "\"");
        if (options.Command == CliCommand::Asm && IsRunOnly(name)) Fail(name + " velja samo za ukaz run");
        if (options.Command == CliCommand::Run &&
            (name == "--listing" || name == "--srec" || name == "--symbols"))
            Fail(name + " velja samo za ukaz asm");
        if (TakesValue(name)) {
            if (!value) {
                if (i + 1 >= args.size()) Fail(name + ": manjka vrednost");
                value = args[++i];
            }
        } else if (value) {
            Fail(name + " ne sprejme vrednosti");
        }
        const std::string& v = value ? *value : std::string();

        if (name == "--listing") {
            once(seenListing, name);
            if (v.empty()) Fail("--listing: prazno ime datoteke");
            options.ListingFile = v;
        } else if (name == "--srec") {
            once(seenSrec, name);
            if (v.empty()) Fail("--srec: prazno ime datoteke");
            options.SrecFile = v;
        } else if (name == "--symbols") {
            options.Symbols = true;
        } else if (name == "--steps") {
            once(seenSteps, name);
            options.Steps = ParseDecimal(v, name);
        } else if (name == "--break") {
            uint64_t line = ParseDecimal(v, name);
            if (line == 0 || line > 0x7FFF) Fail("--break: vrstica mora biti med 1 in 32767");
            if (std::find(options.Breaks.begin(), options.Breaks.end(), static_cast<int>(line)) ==
                options.Breaks.end())
                options.Breaks.push_back(static_cast<int>(line));
        } else if (name == "--irq") {
            options.IrqSteps.push_back(ParseStep(v, name));
        } else if (name == "--nmi") {
            options.NmiSteps.push_back(ParseStep(v, name));
        } else if (name == "--timer-every") {
            once(seenTimer, name);
            options.TimerEvery = ParseStep(v, name);
        } else if (name == "--sci-every") {
            once(seenSci, name);
            options.SciEvery = ParseStep(v, name);
        } else if (name == "--send") {
            auto [data, step] = SplitAtStep(v, name);
            options.Sends.push_back({ParseSendData(data), step});
        } else if (name == "--loopback") {
            options.Loopback = true;
        } else if (name == "--pin") {
            auto [pin, step] = SplitAtStep(v, name);
            size_t dot = pin.find('.');
            if (dot == std::string::npos)
                Fail("--pin: pričakujem VRATA.BIT@KORAK (npr. 1.3@100), dobil sem \"" + v + "\"");
            uint64_t port = ParseDecimal(pin.substr(0, dot), name);
            uint64_t bit = ParseDecimal(pin.substr(dot + 1), name);
            if (port != 1 && port != 2) Fail("--pin: vrata so 1 ali 2");
            if (bit > (port == 1 ? 7u : 4u))
                Fail("--pin: vrata " + std::to_string(port) + " imajo bite 0.." + (port == 1 ? "7" : "4"));
            options.Pins.push_back({static_cast<int>(port), static_cast<int>(bit), step});
        } else if (name == "--seed") {
            once(seenSeed, name);
            uint64_t seed = ParseNumber(v, name);
            if (seed > 0xFFFFFFFFull) Fail("--seed: seme mora biti 32-bitno število");
            options.Seed = static_cast<uint32_t>(seed);
        } else if (name == "--mem") {
            size_t colon = v.find(':');
            if (colon == std::string::npos)
                Fail("--mem: pričakujem NASLOV:DOLŽINA (npr. 2000:16), dobil sem \"" + v + "\"");
            uint64_t address = ParseHex(v.substr(0, colon), name);
            uint64_t length = ParseNumber(v.substr(colon + 1), name);
            if (address > 0xFFFF) Fail("--mem: naslov je večji od FFFF");
            if (length == 0 || address + length > 0x10000)
                Fail("--mem: obseg \"" + v + "\" sega čez konec pomnilnika ali je prazen");
            options.Mems.push_back({static_cast<uint16_t>(address), static_cast<uint32_t>(length)});
        } else if (name == "--trigger") {
            options.Triggers.push_back(ParseTraceCondition(v, name));
        } else if (name == "--qualifier") {
            options.Qualifiers.push_back(ParseTraceCondition(v, name));
        } else if (name == "--log") {
            once(seenLog, name);
            if (v.empty()) Fail("--log: prazno ime datoteke");
            options.LogFile = v;
        } else if (name == "--json") {
            options.Json = true;
        } else {
            Fail("neznana izbira \"" + name + "\"");
        }
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
                      [--log DATOTEKA] [--json]
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
  --json               izpiše rezultat kot en objekt JSON

Izpis ukaza run (besedilo):
  sporočila, kot nastajajo (npr. "IRQ vektor ni definiran!", "Kam pa sedaj?")
  A=12 B=34 D=1234 X=0000 PC=2003 SP=00FF CCR=11010100     (CCR kot 11HINZVC)
  steps=17 stop=left line=-1                                (line: vrstica zadnjega koraka)
  AAAA: XX XX ...                                           (za vsak --mem, 16 bajtov v vrstici)
  sci-out: XX XX ...                                        (bajti, ki jih je čip oddal)
  trace: AAAA DD R                                          (vrstica za vsak posneti dostop)

Izpis JSON: {"loaded":true,"messages":[...],"registers":{"A":18,"B":52,"D":4660,"X":0,
  "PC":8195,"SP":255,"CCR":"11010100"},"steps":17,"stop":"left","line":-1,
  "memory":[{"address":8192,"bytes":[...]}],"sci_out":[65,66],
  "trace":[{"address":8192,"data":18,"rw":"W"}]}
  Če nalaganje ne uspe: {"loaded":false,"messages":[...]}.

Izhodna koda: 0 program je tekel (ne glede na način ustavitve) ali prevod je uspel,
  1 prevajanje/nalaganje ni uspelo, 2 napačni argumenti ali napaka pri branju/pisanju datotek.
)HELP";
}
