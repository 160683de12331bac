#include "board/boardfile.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <stdexcept>

#include "base/files.h"
#include "base/jsonlines.h"
#include "base/syserror.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr size_t kMaxFileBytes = 256u << 10;
constexpr size_t kMaxDepth = 16;
constexpr size_t kMaxNameBytes = 64;
constexpr int kMaxPlace = 10000;

// A fault: the message and the JSON pointer of the value it concerns.
struct TFault : std::runtime_error {
    TFault(std::string at, const std::string& message) : std::runtime_error(message), at(std::move(at)) {}
    std::string at;
};

[[noreturn]] void Fail(const std::string& at, const std::string& message) { throw TFault(at, message); }

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// A count with its noun in the right form: 1 nožico, 2 nožici, 3 nožice, 5 nožic.
std::string Counted(size_t n, const char* one, const char* two, const char* few, const char* many) {
    const size_t last = n % 100;
    const char* noun = last == 1 ? one : last == 2 ? two : last == 3 || last == 4 ? few : many;
    return std::to_string(n) + " " + noun;
}
std::string PinCount(size_t n) { return Counted(n, "nožico", "nožici", "nožice", "nožic"); }

struct TKindInfo {
    TPartKind Kind;
    const char* Key;
    const char* Name;
    std::initializer_list<const char*> Fields; // besides type, name, x, y, label
};

const TKindInfo kKinds[] = {
    {TPartKind::Led, "led", "lučka", {"pin", "active"}},
    {TPartKind::Switch, "switch", "stikalo", {"pin", "active", "on"}},
    {TPartKind::Button, "button", "tipka", {"pin", "active", "bounce_ms"}},
    {TPartKind::Digit, "digit", "sedemsegmentni prikazovalnik", {"segments", "bcd", "dp", "common"}},
    {TPartKind::Display,
     "display",
     "večmestni prikazovalnik",
     {"segments", "bcd", "dp", "common", "digits", "select", "persistence_ms"}},
    {TPartKind::Keypad, "keypad", "tipkovnica", {"rows", "cols", "keys"}},
    {TPartKind::Lcd, "lcd", "LCD", {"size", "data", "rs", "rw", "e"}},
};
constexpr const char* kCommonFields[] = {"type", "name", "x", "y", "label"};

const TKindInfo& Info(TPartKind kind) {
    for (const TKindInfo& info : kKinds)
        if (info.Kind == kind) return info;
    return kKinds[0];
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// Edits (insert, delete, change, swap two neighbours) that turn `a` into `b`, up to 2.
int Distance(std::string_view a, std::string_view b) {
    if (a.size() > b.size() + 2 || b.size() > a.size() + 2) return 3;
    std::vector<std::vector<int>> d(a.size() + 1, std::vector<int>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// Whether an unknown key looks like a slip of the known one: the same in another case, one
// edit away (for keys of three letters or more), or the known key cut short ("bounce").
bool LooksLike(std::string_view key, std::string_view known) {
    const std::string k = Lower(key);
    if (k == known) return true;
    if (known.size() < 3 || k.size() < 3) return false;
    return Distance(k, known) <= 1 || std::string_view(known).starts_with(k);
}

// Checks the keys of an object against the keys it knows: unknown keys are allowed unless
// they are a known key's slip or belong to another kind of part (`foreign`).
void CheckKeys(const Json& object, const std::string& at, const std::vector<std::string>& known,
               const std::vector<std::string>& foreign, const std::string& where) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string& key = it.key();
        if (std::find(known.begin(), known.end(), key) != known.end()) continue;
        const std::string here = at + "/" + JsonPointerToken(key);
        for (const std::string& k : known)
            if (LooksLike(key, k))
                Fail(here, where + "neznan ključ " + Quoted(key) + "; ste mislili " + Quoted(k) + "?");
        if (std::find(foreign.begin(), foreign.end(), key) != foreign.end())
            Fail(here, where + "ključ " + Quoted(key) + " ne velja za ta del");
    }
}

// --- values ---------------------------------------------------------------------------------

class TPartReader {
public:
    TPartReader(const Json& part, std::string at) : part_(part), at_(std::move(at)) {}

    // Messages begin with the part they concern, once its name is known.
    std::string who = "";

    bool Has(const char* key) const { return part_.contains(key); }
    std::string At(const char* key) const { return at_ + "/" + key; }
    [[noreturn]] void Wrong(const char* key, const std::string& message) const {
        Fail(At(key), who + Quoted(key) + " " + message);
    }
    [[noreturn]] void Missing(const char* key) const { Fail(at_, who + "manjka ključ " + Quoted(key)); }

    std::string Text(const char* key) const {
        const Json& v = part_[key];
        if (!v.is_string()) Wrong(key, "mora biti besedilo v narekovajih");
        return v.get<std::string>();
    }
    bool Boolean(const char* key) const {
        const Json& v = part_[key];
        if (!v.is_boolean()) Wrong(key, "mora biti true ali false");
        return v.get<bool>();
    }
    int Integer(const char* key, int low, int high) const {
        const Json& v = part_[key];
        const std::string range = "od " + std::to_string(low) + " do " + std::to_string(high);
        if (!v.is_number_integer()) Wrong(key, "mora biti celo število " + range);
        if ((v.is_number_unsigned() && v.get<uint64_t>() > static_cast<uint64_t>(high)) ||
            v.get<int64_t>() < low || v.get<int64_t>() > high)
            Wrong(key, "je " + v.dump() + ", biti mora " + range);
        return static_cast<int>(v.get<int64_t>());
    }
    // One of two words; true for the first.
    bool Choice(const char* key, const char* first, const char* second) const {
        const std::string v = Text(key);
        if (v != first && v != second) Wrong(key, "mora biti " + Quoted(first) + " ali " + Quoted(second));
        return v == first;
    }
    TPin Pin(const Json& v, const std::string& at, const std::string& field) const {
        if (!v.is_string()) Fail(at, who + field + " mora biti nožica v narekovajih, npr. \"1.0\"");
        if (const std::optional<TPin> pin = ParsePin(v.get<std::string>())) return *pin;
        Fail(at, who + field + ": nožica " + Quoted(v.get<std::string>()) +
                     " ne obstaja (vrata 1: \"1.0\"-\"1.7\", vrata 2: \"2.0\"-\"2.4\")");
    }
    TPin Pin(const char* key) const { return Pin(part_[key], At(key), Quoted(key)); }
    std::vector<TPin> Pins(const char* key, size_t low, size_t high) const {
        const Json& v = part_[key];
        const std::string count = low == high ? std::to_string(low)
                                  : high == low + 1
                                      ? std::to_string(low) + " ali " + std::to_string(high)
                                      : "od " + std::to_string(low) + " do " + std::to_string(high);
        if (!v.is_array()) Wrong(key, "mora biti seznam nožic [\"1.0\", ...]");
        if (v.size() < low || v.size() > high)
            Wrong(key, "ima " + PinCount(v.size()) + ", imeti jih mora " + count);
        std::vector<TPin> pins;
        for (size_t i = 0; i < v.size(); ++i)
            pins.push_back(
                Pin(v[i], At(key) + "/" + std::to_string(i), Quoted(key) + "[" + std::to_string(i) + "]"));
        return pins;
    }

    // Notes the pins one part uses; each only once.
    void Use(TPin pin, const char* key) {
        if (used_ & pin.Mask())
            Fail(At(key),
                 who + Quoted(key) + ": nožica " + Quoted(PinText(pin)) + " je v tem delu že uporabljena");
        used_ |= pin.Mask();
    }

private:
    const Json& part_;
    std::string at_;
    uint16_t used_ = 0;
};

// Splits a text into its UTF-8 characters.
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        size_t n = 1;
        while (i + n < text.size() && (static_cast<unsigned char>(text[i + n]) & 0xC0) == 0x80)
            ++n;
        out.push_back(text.substr(i, n));
        i += n;
    }
    return out;
}

void ReadSegments(TPartReader& r, TBoardPart& p) {
    if (r.Has("segments") == r.Has("bcd"))
        Fail(r.At("segments"), r.who +
                                   "potrebuje natanko enega od ključev \"segments\" (7 ali 8 nožic a-g, dp) "
                                   "in \"bcd\" (4 vhodi dekodirnika)");
    if (r.Has("segments")) {
        if (r.Has("dp")) r.Wrong("dp", "velja samo z \"bcd\"; pri \"segments\" je dp osmi v seznamu");
        const std::vector<TPin> pins = r.Pins("segments", 7, 8);
        for (size_t i = 0; i < pins.size(); ++i) {
            r.Use(pins[i], "segments");
            p.Segments[i] = pins[i];
        }
    } else {
        const std::vector<TPin> pins = r.Pins("bcd", 4, 4);
        p.Bcd.emplace();
        for (size_t i = 0; i < 4; ++i) {
            r.Use(pins[i], "bcd");
            (*p.Bcd)[i] = pins[i];
        }
        if (r.Has("dp")) {
            p.Segments[7] = r.Pin("dp");
            r.Use(*p.Segments[7], "dp");
        }
    }
    if (r.Has("common")) p.CommonAnode = !r.Choice("common", "cathode", "anode");
}

void ReadFields(TPartReader& r, TBoardPart& p) {
    switch (p.Kind) {
    case TPartKind::Led:
    case TPartKind::Switch:
    case TPartKind::Button:
        if (!r.Has("pin")) r.Missing("pin");
        p.Pin = r.Pin("pin");
        if (r.Has("active")) p.ActiveHigh = r.Choice("active", "high", "low");
        if (p.Kind == TPartKind::Switch && r.Has("on")) p.On = r.Boolean("on");
        if (p.Kind == TPartKind::Button && r.Has("bounce_ms"))
            p.BounceMs = static_cast<uint32_t>(r.Integer("bounce_ms", 0, 50));
        break;
    case TPartKind::Digit:
        ReadSegments(r, p);
        break;
    case TPartKind::Display:
        ReadSegments(r, p);
        if (!r.Has("digits")) r.Missing("digits");
        p.Digits = r.Pins("digits", 1, 8);
        for (TPin pin : p.Digits)
            r.Use(pin, "digits");
        if (r.Has("select")) p.SelectHigh = r.Choice("select", "high", "low");
        if (r.Has("persistence_ms"))
            p.PersistenceMs = static_cast<uint32_t>(r.Integer("persistence_ms", 1, 1000));
        break;
    case TPartKind::Keypad: {
        for (const char* key : {"rows", "cols", "keys"})
            if (!r.Has(key)) r.Missing(key);
        p.Rows = r.Pins("rows", 1, 4);
        p.Cols = r.Pins("cols", 1, 4);
        for (TPin pin : p.Rows)
            r.Use(pin, "rows");
        for (TPin pin : p.Cols)
            r.Use(pin, "cols");
        p.Keys = Characters(r.Text("keys"));
        const size_t want = p.Rows.size() * p.Cols.size();
        if (p.Keys.size() != want)
            r.Wrong("keys", "ima " + Counted(p.Keys.size(), "znak", "znaka", "znake", "znakov") +
                                ", tipkovnica " + std::to_string(p.Rows.size()) + "x" +
                                std::to_string(p.Cols.size()) + " jih potrebuje " + std::to_string(want) +
                                " (po vrsticah)");
        for (size_t i = 0; i < p.Keys.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(p.Keys[i][0]);
            if (c <= 0x20 || c == 0x7F || p.Keys[i] == "\"" || p.Keys[i] == "@" || p.Keys[i] == "=" ||
                p.Keys[i] == ":")
                r.Wrong("keys", "ima neveljaven znak za tipko (presledek, kontrolni znak, \", @, = ali :)");
            if (std::find(p.Keys.begin(), p.Keys.begin() + static_cast<long>(i), p.Keys[i]) !=
                p.Keys.begin() + static_cast<long>(i))
                r.Wrong("keys", "ima tipko " + Quoted(p.Keys[i]) + " dvakrat");
        }
        break;
    }
    case TPartKind::Lcd: {
        for (const char* key : {"data", "rs", "e"})
            if (!r.Has(key)) r.Missing(key);
        if (r.Has("size")) {
            const std::string size = r.Text("size");
            static constexpr struct {
                const char* text;
                int cols, rows;
            } kSizes[] = {
                {"16x2", 16, 2}, {"16x4", 16, 4}, {"20x2", 20, 2}, {"20x4", 20, 4}, {"40x2", 40, 2}};
            bool found = false;
            for (const auto& s : kSizes)
                if (size == s.text) p.LcdCols = s.cols, p.LcdRows = s.rows, found = true;
            if (!found) r.Wrong("size", "mora biti \"16x2\", \"16x4\", \"20x2\", \"20x4\" ali \"40x2\"");
        }
        p.Data = r.Pins("data", 4, 8);
        if (p.Data.size() != 4 && p.Data.size() != 8)
            r.Wrong("data", "ima " + PinCount(p.Data.size()) + ", imeti jih mora 8 (D0-D7) ali 4 (D4-D7)");
        for (TPin pin : p.Data)
            r.Use(pin, "data");
        p.Rs = r.Pin("rs");
        r.Use(p.Rs, "rs");
        p.E = r.Pin("e");
        r.Use(p.E, "e");
        if (r.Has("rw")) {
            p.Rw = r.Pin("rw");
            r.Use(*p.Rw, "rw");
        }
        break;
    }
    }
}

// Names are used on the command line (NAME=1, KEY@STEP) and as keys of reports.
bool GoodName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameBytes) return false;
    for (unsigned char c : name)
        if (c <= 0x20 || c == 0x7F || c == '"' || c == '=' || c == '@' || c == ':') return false;
    return true;
}

TBoardPart ReadPart(const Json& item, const std::string& at, int index,
                    const std::vector<TBoardPart>& before) {
    const std::string number = "del " + std::to_string(index + 1);
    if (!item.is_object()) Fail(at, number + " mora biti objekt {...}");
    TPartReader r(item, at);
    r.who = number + ": ";
    if (!item.contains("type")) r.Missing("type");
    const std::string type = r.Text("type");
    const TKindInfo* info = nullptr;
    for (const TKindInfo& k : kKinds)
        if (type == k.Key) info = &k;
    if (!info)
        r.Wrong("type",
                "ima neznano vrsto " + Quoted(type) + " (led, switch, button, digit, display, keypad, lcd)");
    TBoardPart p;
    p.Kind = info->Kind;
    r.who = number + " (" + info->Name + "): ";
    if (!item.contains("name")) r.Missing("name");
    p.Name = r.Text("name");
    if (!GoodName(p.Name))
        r.Wrong("name", "mora biti neprazno ime do 64 zlogov brez presledkov in znakov \" = @ :");
    for (const TBoardPart& other : before)
        if (other.Name == p.Name)
            r.Wrong("name", Quoted(p.Name) + " ima že del v vrstici " + std::to_string(other.Line));
    r.who = "del " + Quoted(p.Name) + " (" + info->Name + "): ";

    std::vector<std::string> known(std::begin(kCommonFields), std::end(kCommonFields));
    known.insert(known.end(), info->Fields.begin(), info->Fields.end());
    std::vector<std::string> foreign;
    for (const TKindInfo& k : kKinds)
        for (const char* field : k.Fields)
            if (std::find(known.begin(), known.end(), field) == known.end()) foreign.emplace_back(field);
    CheckKeys(item, at, known, foreign, r.who);

    if (item.contains("label")) p.Label = r.Text("label");
    if (item.contains("x")) p.X = r.Integer("x", 0, kMaxPlace);
    if (item.contains("y")) p.Y = r.Integer("y", 0, kMaxPlace);
    ReadFields(r, p);
    return p;
}

TBoardConfig ReadBoard(const TJsonLines& doc) {
    const Json& root = doc.Value;
    if (!root.is_object()) Fail("", "plošča mora biti objekt {\"name\": ..., \"parts\": [...]}");
    CheckKeys(root, "", {"name", "parts"}, {}, "plošča: ");
    TBoardConfig board;
    if (root.contains("name")) {
        if (!root["name"].is_string()) Fail("/name", "\"name\" plošče mora biti besedilo v narekovajih");
        board.Name = root["name"].get<std::string>();
    }
    if (!root.contains("parts")) Fail("", "plošča nima ključa \"parts\" (seznam delov)");
    const Json& parts = root["parts"];
    if (!parts.is_array()) Fail("/parts", "\"parts\" mora biti seznam delov [...]");
    if (parts.empty()) Fail("/parts", "plošča nima nobenega dela");
    if (parts.size() > kMaxParts)
        Fail("/parts", "plošča ima lahko največ " + std::to_string(kMaxParts) + " delov");
    struct TLimit {
        TPartKind kind;
        int max;
        const char* what;
    };
    static_assert(kMaxSwitches == 32 && kMaxButtons == 8 && kMaxDisplays == 2 && kMaxKeypads == 2 &&
                  kMaxLcds == 2);
    static constexpr TLimit kLimits[] = {{TPartKind::Switch, kMaxSwitches, "32 stikal"},
                                         {TPartKind::Button, kMaxButtons, "8 tipk"},
                                         {TPartKind::Display, kMaxDisplays, "2 večmestna prikazovalnika"},
                                         {TPartKind::Keypad, kMaxKeypads, "2 tipkovnici"},
                                         {TPartKind::Lcd, kMaxLcds, "2 LCD-ja"}};
    int counts[7] = {};
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string at = "/parts/" + std::to_string(i);
        TBoardPart part = ReadPart(parts[i], at, static_cast<int>(i), board.Parts);
        part.Line = doc.LineOf(at);
        part.Slot = counts[static_cast<int>(part.Kind)]++;
        for (const TLimit& limit : kLimits)
            if (part.Kind == limit.kind && part.Slot >= limit.max)
                Fail(at, std::string("plošča ima lahko največ ") + limit.what);
        board.Parts.push_back(std::move(part));
    }
    return board;
}

} // namespace

const char* PartKindName(TPartKind kind) { return Info(kind).Name; }
const char* PartKindKey(TPartKind kind) { return Info(kind).Key; }

std::string TBoardRead::Message() const {
    if (Line <= 0) return Error;
    return "vrstica " + std::to_string(Line) + (Column > 0 ? ", stolpec " + std::to_string(Column) : "") +
           ": " + Error;
}

TBoardRead ParseBoard(std::string_view text) {
    TBoardRead read;
    if (text.size() > kMaxFileBytes) {
        read.Error = "datoteka plošče je prevelika (več kot 256 KiB)";
        return read;
    }
    TJsonParse parsed = ParseJsonWithLines(text, kMaxDepth);
    if (!parsed.Json) {
        read.Error = parsed.Error;
        read.Line = parsed.Line;
        read.Column = parsed.Column;
        return read;
    }
    try {
        read.Board = ReadBoard(*parsed.Json);
    } catch (const TFault& fault) {
        read.Error = fault.what();
        read.Line = parsed.Json->LineOf(fault.at);
    } catch (const nlohmann::json::exception&) {
        read.Error = "plošča ima vrednost napačne vrste";
    }
    return read;
}

TBoardRead ReadBoardFile(const std::string& path) {
    TBoardRead read;
    const TFileRead file = ReadFileCapped(path, kMaxFileBytes);
    switch (file.Failure) {
    case ReadFailure::None:
    case ReadFailure::TooLarge: // ParseBoard says so
        return ParseBoard(file.Data);
    case ReadFailure::Directory:
        read.Error = "to je mapa, ne datoteka plošče";
        break;
    case ReadFailure::Open:
        read.Error = "datoteke plošče ni mogoče odpreti (" + SystemErrorText(file.Error) + ")";
        break;
    case ReadFailure::Read:
        read.Error = "napaka pri branju datoteke plošče";
        break;
    }
    return read;
}
