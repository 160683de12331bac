#include "session/exercise.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "assembler/labels.h"
#include "base/encoding.h"
#include "base/files.h"
#include "base/jsonlines.h"
#include "base/syserror.h"
#include "board/labboard.h"
#include "engine/numbers.h"

namespace {

using Json = nlohmann::ordered_json;

// An exercise is a few kilobytes. The bound keeps a pathological file quick to refuse: the
// order-keeping objects of the JSON library look their keys up one by one.
constexpr size_t kMaxFileBytes = 256u << 10;
// An exercise nests a few levels; a file nested far deeper is no exercise.
constexpr size_t kMaxDepth = 32;

// --- checking the parsed document ------------------------------------------------------------

// A fault of the exercise: the message and the JSON pointer of the value it concerns.
struct TFault : std::runtime_error {
    TFault(std::string at, const std::string& message) : std::runtime_error(message), at(std::move(at)) {}
    std::string at;
};

[[noreturn]] void Fail(const std::string& at, const std::string& message) { throw TFault(at, message); }

std::string Quoted(const std::string& key) { return "\"" + key + "\""; }

// What a pointer names, for messages: its last key, or "key[3]" for an element of a list.
std::string KeyOf(const std::string& at) {
    const size_t slash = at.rfind('/');
    std::string last = at.substr(slash + 1);
    const bool index = !last.empty() && std::all_of(last.begin(), last.end(),
                                                    [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!index || slash == 0 || slash == std::string::npos) return last;
    return KeyOf(at.substr(0, slash)) + "[" + last + "]";
}

// Refuses keys an object must not have: a misspelt key would otherwise go unnoticed.
void OnlyKeys(const Json& object, const std::string& at, std::initializer_list<const char*> allowed,
              const char* where) {
    for (auto it = object.begin(); it != object.end(); ++it) {
        bool known = false;
        for (const char* key : allowed)
            known = known || it.key() == key;
        if (!known) {
            std::string list;
            for (const char* key : allowed)
                list += std::string(list.empty() ? "" : ", ") + key;
            Fail(at + "/" + JsonPointerToken(it.key()),
                 "neznan ključ " + Quoted(it.key()) + " " + where + " (dovoljeni: " + list + ")");
        }
    }
}

const Json& Object(const Json& value, const std::string& at, const std::string& what) {
    if (!value.is_object()) Fail(at, what + " mora biti objekt {...}");
    return value;
}

const Json& Array(const Json& value, const std::string& at, const std::string& what) {
    if (!value.is_array()) Fail(at, what + " mora biti seznam [...]");
    return value;
}

std::string Text(const Json& value, const std::string& at) {
    if (!value.is_string()) Fail(at, Quoted(KeyOf(at)) + " mora biti besedilo v narekovajih");
    return value.get<std::string>();
}

bool Boolean(const Json& value, const std::string& at) {
    if (value.is_boolean()) return value.get<bool>();
    if (value.is_number_integer() && (value.get<int64_t>() == 0 || value.get<int64_t>() == 1))
        return value.get<int64_t>() == 1;
    Fail(at, Quoted(KeyOf(at)) + " mora biti true ali false (ali 1 ali 0)");
}

// A whole number from `low` to `high`, given as a JSON integer.
uint64_t Count(const Json& value, const std::string& at, uint64_t low, uint64_t high) {
    const std::string range = "od " + std::to_string(low) + " do " + std::to_string(high);
    if (!value.is_number_integer()) Fail(at, Quoted(KeyOf(at)) + " mora biti celo število " + range);
    if (value.is_number_unsigned()) {
        const uint64_t n = value.get<uint64_t>();
        if (n >= low && n <= high) return n;
    } else if (value.get<int64_t>() >= 0 && static_cast<uint64_t>(value.get<int64_t>()) >= low &&
               static_cast<uint64_t>(value.get<int64_t>()) <= high) {
        return static_cast<uint64_t>(value.get<int64_t>());
    }
    Fail(at, Quoted(KeyOf(at)) + ": število " + value.dump() + " ni " + range);
}

std::string WidthText(int bits) {
    return bits == 8 ? "bajt (-128 do 255)" : "16-bitna vrednost (-32768 do 65535)";
}

int32_t InWidth(int64_t n, int bits, const std::string& at, const std::string& shown) {
    const int64_t low = -(int64_t{1} << (bits - 1)), high = (int64_t{1} << bits) - 1;
    if (n < low || n > high) Fail(at, "vrednost " + shown + " ni " + WidthText(bits));
    return static_cast<int32_t>(n);
}

// A number written as text: decimal with an optional sign, "$hex", "0xhex" or "%binary".
std::optional<int64_t> NumberText(const std::string& text) {
    TNumberSyntax syntax;
    syntax.Sign = true;
    syntax.Dollar = true;
    syntax.ZeroX = true;
    syntax.Percent = true;
    const TParsedNumber n = ParseNumberText(text, syntax);
    if (!n.Ok() || n.Magnitude > 0xFFFFFFFFull) return std::nullopt;
    const int64_t magnitude = static_cast<int64_t>(n.Magnitude);
    return n.Negative ? -magnitude : magnitude;
}

bool StartsLikeNumber(const std::string& text) {
    const unsigned char c = static_cast<unsigned char>(text[0]);
    return std::isdigit(c) || c == '$' || c == '%' || c == '+' || c == '-';
}

// A number or a label reference of `bits` width (8 or 16).
TExerciseValue Value(const Json& value, const std::string& at, int bits, bool labels = true) {
    TExerciseValue v;
    if (value.is_number_integer()) {
        v.Text = value.dump();
        if (value.is_number_unsigned() && value.get<uint64_t>() > 0xFFFFFFFFull)
            Fail(at, "vrednost " + v.Text + " ni " + WidthText(bits));
        v.Number = InWidth(value.get<int64_t>(), bits, at, v.Text);
        return v;
    }
    if (!value.is_string() || value.get<std::string>().empty())
        Fail(at, Quoted(KeyOf(at)) + " mora biti število (49, \"$31\", \"%110001\")" +
                     (labels ? " ali oznaka programa (\"TABELA+2\")" : ""));
    v.Text = value.get<std::string>();
    if (StartsLikeNumber(v.Text)) {
        const std::optional<int64_t> n = NumberText(v.Text);
        if (!n) Fail(at, Quoted(v.Text) + " ni število (desetiško, \"$\" šestnajstiško, \"%\" dvojiško)");
        v.Number = InWidth(*n, bits, at, Quoted(v.Text));
        return v;
    }
    if (!labels) Fail(at, "tu so dovoljena samo števila, ne oznaka " + Quoted(v.Text));
    // A label with an optional offset, read as the assembler reads it in an operand, so that the
    // same text names the same address in the exercise and in the program. What the assembler
    // would read otherwise than it looks (a wrapping, zero or cut-off offset) is refused.
    std::string reference = Utf8ToCp1250(v.Text);
    UpperCase1250(reference);
    if (reference.size() > TOznake::SignificantLength && reference.find_first_of("+-") != std::string::npos)
        Fail(at, Quoted(v.Text) + ": zbirnik upošteva le prvih " +
                     std::to_string(TOznake::SignificantLength) +
                     " znakov sklica z odmikom vred; skrajšajte ime oznake");
    const TOznake::TReference r = TOznake::ParseReference(reference);
    if (r.Status != LabelLookup::Found || (r.HasOffset && r.Offset != r.Written))
        Fail(at, "odmik v " + Quoted(v.Text) + " ni desetiško število od -128 do 127 (kot pri zbirniku)");
    if (r.HasOffset && r.Offset == 0)
        Fail(at, "odmik 0 v " + Quoted(v.Text) + ": zbirnik bere tak sklic kot ime oznake; napišite le ime");
    const unsigned char first = static_cast<unsigned char>(r.Name.empty() ? 0 : r.Name[0]);
    if (!(std::isalpha(first) || first >= 0x80))
        Fail(at, Quoted(v.Text) + " ni ne število ne oznaka (oznaka se začne s črko)");
    v.Label = std::string(r.Name);
    v.Number = r.Offset;
    return v;
}

// A list of byte numbers or a text in Windows-1250.
std::vector<uint8_t> ByteSequence(const Json& value, const std::string& at, bool allowEmpty) {
    std::vector<uint8_t> bytes;
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        const std::string cp1250 = Utf8ToCp1250(text);
        if (Cp1250ToUtf8(cp1250) != text)
            Fail(at, "besedilo " + Quoted(text) + " ima znake, ki jih kodna tabela Windows-1250 nima");
        bytes.assign(cp1250.begin(), cp1250.end());
    } else if (value.is_array()) {
        for (size_t i = 0; i < value.size(); ++i)
            bytes.push_back(
                static_cast<uint8_t>(Value(value[i], at + "/" + std::to_string(i), 8, false).Number));
    } else {
        Fail(at, Quoted(KeyOf(at)) + " mora biti seznam bajtov ([65, \"$42\"]) ali besedilo (\"AB\")");
    }
    if (bytes.empty() && !allowEmpty) Fail(at, Quoted(KeyOf(at)) + " ne sme biti prazen");
    return bytes;
}

// A pin as "1.7" or "P17": port 1 has pins 0-7, port 2 pins 0-4.
std::pair<int, int> Pin(const std::string& text, const std::string& at) {
    std::string t = text;
    if (!t.empty() && (t[0] == 'P' || t[0] == 'p')) t.erase(0, 1);
    else if (t.size() == 3 && t[1] == '.') t.erase(1, 1);
    else t.clear();
    if (t.size() != 2 || (t[0] != '1' && t[0] != '2') || !std::isdigit(static_cast<unsigned char>(t[1])) ||
        t[1] > (t[0] == '1' ? '7' : '4'))
        Fail(at, "nožica " + Quoted(text) +
                     " ne obstaja (vrata 1: 1.0-1.7 ali P10-P17, vrata 2: 2.0-2.4 ali P20-P24)");
    return {t[0] - '0', t[1] - '0'};
}

struct TRegisterName {
    const char* Name;
    bool IsFlag;
    CpuRegister Register;
    CpuFlag Flag;
};
const TRegisterName kRegisterNames[] = {
    {"A", false, CpuRegister::A, CpuFlag::C},     {"B", false, CpuRegister::B, CpuFlag::C},
    {"D", false, CpuRegister::D, CpuFlag::C},     {"X", false, CpuRegister::X, CpuFlag::C},
    {"PC", false, CpuRegister::PC, CpuFlag::C},   {"SP", false, CpuRegister::SP, CpuFlag::C},
    {"CCR", false, CpuRegister::CCR, CpuFlag::C}, {"H", true, CpuRegister::A, CpuFlag::H},
    {"I", true, CpuRegister::A, CpuFlag::I},      {"N", true, CpuRegister::A, CpuFlag::N},
    {"Z", true, CpuRegister::A, CpuFlag::Z},      {"V", true, CpuRegister::A, CpuFlag::V},
    {"C", true, CpuRegister::A, CpuFlag::C},
};

int RegisterBits(CpuRegister reg) {
    return reg == CpuRegister::A || reg == CpuRegister::B || reg == CpuRegister::CCR ? 8 : 16;
}

void ReadRegisters(const Json& object, const std::string& at, std::vector<TExpectation>& out) {
    Object(object, at, "\"registers\"");
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string key = it.key();
        const std::string here = at + "/" + JsonPointerToken(key);
        std::string upper = key;
        std::transform(upper.begin(), upper.end(), upper.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        const TRegisterName* name = nullptr;
        for (const TRegisterName& n : kRegisterNames)
            if (upper == n.Name) name = &n;
        if (!name)
            Fail(here, "neznan register ali zastavica " + Quoted(key) +
                           " (A, B, D, X, PC, SP, CCR, H, I, N, Z, V, C)");
        TExpectation e;
        if (name->IsFlag) {
            e.What = TExpectation::Kind::Flag;
            e.Flag = name->Flag;
            e.Level = Boolean(it.value(), here);
        } else {
            e.What = TExpectation::Kind::Register;
            e.Register = name->Register;
            e.Value = Value(it.value(), here, RegisterBits(name->Register));
        }
        out.push_back(std::move(e));
    }
}

void ReadMemory(const Json& list, const std::string& at, std::vector<TExpectation>& out) {
    Array(list, at, "\"memory\"");
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string here = at + "/" + std::to_string(i);
        const Json& item = Object(list[i], here, "Vsak vnos v \"memory\"");
        OnlyKeys(item, here, {"address", "byte", "word", "bytes"}, "v vnosu \"memory\"");
        if (!item.contains("address")) Fail(here, "vnos v \"memory\" nima ključa \"address\"");
        const int kinds = static_cast<int>(item.contains("byte")) + static_cast<int>(item.contains("word")) +
                          static_cast<int>(item.contains("bytes"));
        if (kinds != 1)
            Fail(here, "vnos v \"memory\" potrebuje natanko enega od ključev \"byte\", \"word\", \"bytes\"");
        TExpectation e;
        e.Address = Value(item["address"], here + "/address", 16);
        if (item.contains("byte")) {
            e.What = TExpectation::Kind::Byte;
            e.Value = Value(item["byte"], here + "/byte", 8);
        } else if (item.contains("word")) {
            e.What = TExpectation::Kind::Word;
            e.Value = Value(item["word"], here + "/word", 16);
        } else {
            e.What = TExpectation::Kind::Bytes;
            e.Bytes = ByteSequence(item["bytes"], here + "/bytes", false);
        }
        out.push_back(std::move(e));
    }
}

void ReadPins(const Json& object, const std::string& at, std::vector<TExpectation>& out) {
    Object(object, at, "\"pins\"");
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string here = at + "/" + JsonPointerToken(it.key());
        TExpectation e;
        e.What = TExpectation::Kind::Pin;
        std::tie(e.Port, e.Bit) = Pin(it.key(), here);
        e.Level = Boolean(it.value(), here);
        out.push_back(std::move(e));
    }
}

// What a checkpoint is worth: a number of points from 0 to 1000, halves and the like allowed.
double Points(const Json& value, const std::string& at) {
    constexpr double kMaxPoints = 1000;
    if (!value.is_number() || value.get<double>() < 0 || value.get<double>() > kMaxPoints)
        Fail(at, "\"points\" mora biti število točk od 0 do 1000 (npr. 2 ali 0.5), ne " + value.dump());
    return value.get<double>();
}

// --- the lab board -------------------------------------------------------------------------

[[noreturn]] void NoBoard(const std::string& at) {
    Fail(at, "naloga nima plošče (ključ \"board\" z imenom datoteke plošče)");
}

// What of a part a check may look at: the keys of its JSON (board/shows.h).
std::vector<std::string> PartFields(TPartKind kind) {
    switch (kind) {
    case TPartKind::Led:
    case TPartKind::Switch:
        return {"on"};
    case TPartKind::Button:
    case TPartKind::Keypad:
        return {"pressed"};
    case TPartKind::Digit:
        return {"text", "segments"};
    case TPartKind::Display:
        return {"text"};
    case TPartKind::Lcd:
        return {"lines", "cursor"};
    }
    return {};
}

std::string PartWho(const TBoardPart& part) {
    return std::string(PartKindName(part.Kind)) + " " + Quoted(part.Name);
}

void ReadBoardChecks(const Json& object, const std::string& at, const TLabBoard* board,
                     std::vector<TExpectation>& out) {
    Object(object, at, "\"board\"");
    if (!board) NoBoard(at);
    for (auto it = object.begin(); it != object.end(); ++it) {
        const std::string here = at + "/" + JsonPointerToken(it.key());
        const auto found = std::find_if(board->Parts().begin(), board->Parts().end(),
                                        [&](const TBoardPart& p) { return p.Name == it.key(); });
        if (found == board->Parts().end()) Fail(here, "plošča nima dela " + Quoted(it.key()));
        const TBoardPart& part = *found;
        const std::string who = PartWho(part);
        Object(it.value(), here, "Preverjanje dela " + Quoted(part.Name));
        const std::vector<std::string> fields = PartFields(part.Kind);
        if (it.value().empty()) Fail(here, "pri delu " + Quoted(part.Name) + " ni ničesar za preveriti");
        for (auto f = it.value().begin(); f != it.value().end(); ++f) {
            const std::string key = f.key(), there = here + "/" + JsonPointerToken(key);
            if (std::find(fields.begin(), fields.end(), key) == fields.end()) {
                std::string list;
                for (const std::string& field : fields)
                    list += (list.empty() ? "" : ", ") + Quoted(field);
                Fail(there, who + " nima ključa " + Quoted(key) + " (ima: " + list + ")");
            }
            TExpectation e;
            e.What = TExpectation::Kind::BoardPart;
            e.PartName = part.Name;
            e.Field = key;
            const Json& v = f.value();
            if (key == "on" || (key == "pressed" && part.Kind == TPartKind::Button)) {
                e.Shown = Json(Boolean(v, there)).dump();
            } else if (key == "lines") {
                Array(v, there, "\"lines\"");
                if (v.empty() || v.size() > static_cast<size_t>(part.LcdRows))
                    Fail(there, who + " ima " + std::to_string(part.LcdRows) +
                                    " vrstic: \"lines\" naj navede od 1 do toliko vrstic, od prve naprej");
                for (size_t row = 0; row < v.size(); ++row) {
                    e.Row = static_cast<int>(row);
                    e.Shown = Json(Text(v[row], there + "/" + std::to_string(row))).dump();
                    out.push_back(e);
                }
                continue;
            } else if (key == "cursor") {
                if (v.is_null()) {
                    e.Shown = "null";
                } else {
                    if (!v.is_array() || v.size() != 2)
                        Fail(there, "\"cursor\" mora biti [vrstica, stolpec] (od 0 naprej) ali null");
                    const uint64_t row =
                        Count(v[0], there + "/0", 0, static_cast<uint64_t>(part.LcdRows) - 1);
                    const uint64_t col =
                        Count(v[1], there + "/1", 0, static_cast<uint64_t>(part.LcdCols) - 1);
                    e.Shown = Json::array({row, col}).dump();
                }
            } else {
                const std::string text = Text(v, there);
                if (part.Kind == TPartKind::Display && key == "text" && text.size() != part.Digits.size())
                    Fail(there, who + " ima " + std::to_string(part.Digits.size()) +
                                    " mest: \"text\" naj ima po en znak za vsako (presledek za temno)");
                e.Shown = Json(text).dump();
            }
            out.push_back(std::move(e));
        }
    }
}

// A button, a key or a switch of the board, as a stimulus names it.
TBoardInput BoardInput(const Json& value, const std::string& at, const TLabBoard* board,
                       TLabBoard::TInputUse use) {
    const std::string name = Text(value, at);
    if (!board) NoBoard(at);
    std::string error;
    const std::optional<TBoardInput> input = board->FindInput(name, use, error);
    if (!input) Fail(at, error);
    return *input;
}

TCheckpoint ReadCheckpoint(const Json& item, const std::string& at, const TLabBoard* board) {
    Object(item, at, "Vsako preverjanje v \"checks\"");
    OnlyKeys(item, at,
             {"name", "at", "hit", "within", "steps", "registers", "memory", "sci_out", "pins",
              "stays_in_code", "max_cycles", "max_steps", "max_code_bytes", "points", "hidden", "board"},
             "v preverjanju");
    TCheckpoint c;
    if (item.contains("name")) c.Name = Text(item["name"], at + "/name");
    if (item.contains("at") == item.contains("steps"))
        Fail(at,
             "preverjanje potrebuje natanko enega od ključev \"at\" (oznaka) in \"steps\" (število korakov)");
    if (item.contains("steps")) {
        c.Steps = Count(item["steps"], at + "/steps", 1, TCheckpoint::kMaxSteps);
        for (const char* key : {"hit", "within"})
            if (item.contains(key))
                Fail(at + "/" + key, Quoted(key) + " velja samo za preverjanje pri oznaki (\"at\")");
    } else {
        const TExerciseValue label = Value(item["at"], at + "/at", 16);
        if (!label.IsLabel() || label.Number != 0)
            Fail(at + "/at", "\"at\" mora biti oznaka programa brez odmika, npr. \"KONEC\"");
        c.Label = label.Label;
        c.LabelText = label.Text;
        if (item.contains("hit")) c.Hit = Count(item["hit"], at + "/hit", 1, TCheckpoint::kMaxSteps);
        if (item.contains("within"))
            c.Within = Count(item["within"], at + "/within", 1, TCheckpoint::kMaxSteps);
    }
    // The expectations, in the order the file gives them.
    for (auto it = item.begin(); it != item.end(); ++it) {
        const std::string key = it.key();
        const std::string here = at + "/" + key;
        if (key == "registers") ReadRegisters(it.value(), here, c.Expectations);
        else if (key == "memory") ReadMemory(it.value(), here, c.Expectations);
        else if (key == "pins") ReadPins(it.value(), here, c.Expectations);
        else if (key == "board") ReadBoardChecks(it.value(), here, board, c.Expectations);
        else if (key == "sci_out") {
            TExpectation e;
            e.What = TExpectation::Kind::SciOut;
            e.Bytes = ByteSequence(it.value(), here, true);
            c.Expectations.push_back(std::move(e));
        } else if (key == "stays_in_code") {
            if (Boolean(it.value(), here)) {
                TExpectation e;
                e.What = TExpectation::Kind::StaysInCode;
                c.Expectations.push_back(std::move(e));
            }
        } else if (key == "max_cycles" || key == "max_steps" || key == "max_code_bytes") {
            TExpectation e;
            e.What = key == "max_cycles"  ? TExpectation::Kind::MaxCycles
                     : key == "max_steps" ? TExpectation::Kind::MaxSteps
                                          : TExpectation::Kind::MaxCodeBytes;
            e.Limit = Count(it.value(), here, 0, key == "max_code_bytes" ? 0x10000 : uint64_t{1} << 62);
            c.Expectations.push_back(std::move(e));
        } else if (key == "points") {
            c.Points = Points(it.value(), here);
        } else if (key == "hidden") {
            c.Hidden = Boolean(it.value(), here);
        }
    }
    // A checkpoint at a label checks at least that the label is reached; one after a number of
    // steps has nothing to check without expectations.
    if (c.Steps != 0 && c.Expectations.empty())
        Fail(at, "preverjanje po " + std::to_string(c.Steps) + " korakih nima nobenega pričakovanja");
    return c;
}

TStimulus ReadStimulus(const Json& item, const std::string& at, const TLabBoard* board) {
    Object(item, at, "Vsak dražljaj v \"stimuli\"");
    OnlyKeys(item, at, {"step", "cycle", "irq", "nmi", "pin", "send", "press", "release", "switch", "on"},
             "v dražljaju");
    if (item.contains("step") == item.contains("cycle"))
        Fail(at, "dražljaj potrebuje natanko enega od ključev \"step\" (pred katerim korakom se zgodi) in "
                 "\"cycle\" (pri katerem ciklu)");
    TStimulus s;
    // A stimulus at a cycle comes before the first step that begins at that count or later.
    if (item.contains("cycle")) s.Step = Count(item["cycle"], at + "/cycle", 0, uint64_t{1} << 62) | kAtCycle;
    else s.Step = Count(item["step"], at + "/step", 1, uint64_t{1} << 62);
    int kinds = 0;
    for (const char* key : {"irq", "nmi", "pin", "send", "press", "release", "switch"})
        kinds += static_cast<int>(item.contains(key));
    if (kinds != 1)
        Fail(at, "dražljaj potrebuje natanko enega od ključev \"irq\", \"nmi\", \"pin\", \"send\", "
                 "\"press\", \"release\", \"switch\"");
    if (item.contains("on") != item.contains("switch"))
        Fail(at, item.contains("on") ? "\"on\" velja samo za dražljaj \"switch\""
                                     : "dražljaj \"switch\" potrebuje ključ \"on\" (true ali false)");
    if (item.contains("press") || item.contains("release")) {
        const char* key = item.contains("press") ? "press" : "release";
        s.Action = TBoardPress{BoardInput(item[key], at + "/" + key, board, TLabBoard::TInputUse::Press),
                               item.contains("press")};
    } else if (item.contains("switch")) {
        s.Action =
            TBoardSwitch{BoardInput(item["switch"], at + "/switch", board, TLabBoard::TInputUse::Switch),
                         Boolean(item["on"], at + "/on")};
    } else if (item.contains("irq") || item.contains("nmi")) {
        const char* key = item.contains("irq") ? "irq" : "nmi";
        if (item[key] != true) Fail(at + "/" + key, Quoted(key) + " mora biti true");
        if (item.contains("irq")) s.Action = TIrqRequest{};
        else s.Action = TNmiRequest{};
    } else if (item.contains("pin")) {
        const auto [port, bit] = Pin(Text(item["pin"], at + "/pin"), at + "/pin");
        s.Action = TPinToggle{port, bit};
    } else {
        s.Action = TSerialSend{ByteSequence(item["send"], at + "/send", false)};
    }
    return s;
}

TExercise ReadExercise(const Json& root, const std::string& directory) {
    Object(root, "", "Naloga");
    OnlyKeys(root, "",
             {"title", "description", "seed", "timer_every", "sci_every", "loopback", "stimuli", "checks",
              "board", "model"},
             "v nalogi");
    TExercise x;
    if (!root.contains("title")) Fail("", "naloga nima naslova (ključ \"title\")");
    x.Title = Text(root["title"], "/title");
    if (x.Title.empty()) Fail("/title", "naslov naloge je prazen");
    if (root.contains("description")) {
        const Json& d = root["description"];
        if (d.is_array()) {
            for (size_t i = 0; i < d.size(); ++i)
                x.Description += (i ? "\n" : "") + Text(d[i], "/description/" + std::to_string(i));
        } else {
            x.Description = Text(d, "/description");
        }
    }
    if (root.contains("seed")) x.Seed = static_cast<uint32_t>(Count(root["seed"], "/seed", 0, 0xFFFFFFFFu));
    if (root.contains("timer_every"))
        x.Clock.TimerEvery = Count(root["timer_every"], "/timer_every", 1, 1'000'000);
    if (root.contains("sci_every")) x.Clock.SciEvery = Count(root["sci_every"], "/sci_every", 1, 1'000'000);
    x.Clock.MsPerStep = 1;
    if (root.contains("loopback")) x.Loopback = Boolean(root["loopback"], "/loopback");
    if (root.contains("model")) {
        const std::string name = Text(root["model"], "/model");
        TProcessorModel model;
        if (!ParseModelName(name, model))
            Fail("/model", "neznan model procesorja " + Quoted(name) + " (\"classic\" ali \"chip\")");
        x.Model = model;
    }
    // The board first: the stimuli and checks name its parts.
    std::optional<TLabBoard> board;
    if (root.contains("board")) {
        x.BoardFile = Text(root["board"], "/board");
        if (x.BoardFile.empty()) Fail("/board", "ime datoteke plošče je prazno");
        std::filesystem::path path(x.BoardFile);
        if (path.is_relative() && !directory.empty()) path = std::filesystem::path(directory) / path;
        const TBoardRead read = ReadBoardFile(path.string());
        if (!read.Ok()) Fail("/board", "plošča " + Quoted(x.BoardFile) + ": " + read.Message());
        x.Board = read.Board;
        board.emplace(*read.Board);
    }
    const TLabBoard* parts = board ? &*board : nullptr;
    if (root.contains("stimuli")) {
        const Json& list = Array(root["stimuli"], "/stimuli", "\"stimuli\"");
        for (size_t i = 0; i < list.size(); ++i)
            x.Stimuli.push_back(ReadStimulus(list[i], "/stimuli/" + std::to_string(i), parts));
    }
    if (!root.contains("checks")) Fail("", "naloga nima preverjanj (ključ \"checks\")");
    const Json& checks = Array(root["checks"], "/checks", "\"checks\"");
    if (checks.empty()) Fail("/checks", "seznam \"checks\" je prazen");
    uint64_t lastSteps = 0;
    for (size_t i = 0; i < checks.size(); ++i) {
        const std::string at = "/checks/" + std::to_string(i);
        x.Checkpoints.push_back(ReadCheckpoint(checks[i], at, parts));
        x.Scored = x.Scored || checks[i].contains("points") || checks[i].contains("hidden");
        // The run only goes forward: checkpoints after a number of steps come in growing order.
        const uint64_t steps = x.Checkpoints.back().Steps;
        if (steps != 0) {
            if (steps <= lastSteps)
                Fail(at + "/steps", "preverjanje po " + std::to_string(steps) +
                                        " korakih mora priti za tistim po " + std::to_string(lastSteps) +
                                        " korakih (koraki se štejejo od začetka)");
            lastSteps = steps;
        }
    }
    return x;
}

} // namespace

double TExercise::MaxPoints() const {
    double points = 0;
    for (const TCheckpoint& c : Checkpoints)
        points += c.Points;
    return points;
}

std::string TExerciseRead::Message() const {
    if (Line <= 0) return Error;
    return "vrstica " + std::to_string(Line) + (Column > 0 ? ", stolpec " + std::to_string(Column) : "") +
           ": " + Error;
}

TExerciseRead ParseExercise(std::string_view text, const std::string& directory) {
    TExerciseRead read;
    if (text.size() > kMaxFileBytes) {
        read.Error = "naloga je prevelika (več kot 256 KiB)";
        return read;
    }
    const TJsonParse parsed = ParseJsonWithLines(text, kMaxDepth);
    if (!parsed.Json) {
        read.Error = parsed.TooDeep
                         ? "naloga je pregloboko gnezdena (več kot " + std::to_string(kMaxDepth) + " ravni)"
                         : parsed.Error;
        read.Line = parsed.Line;
        read.Column = parsed.Column;
        return read;
    }
    try {
        read.Exercise = ReadExercise(parsed.Json->Value, directory);
    } catch (const Json::exception&) {
        read.Error = "naloga ima vrednost napačne vrste";
    } catch (const TFault& fault) {
        read.Error = fault.what();
        // The line of the value, or of the nearest enclosing one the file has.
        read.Line = parsed.Json->LineOf(fault.at);
    }
    return read;
}

TExerciseRead ReadExerciseFile(const std::string& path) {
    TExerciseRead read;
    TFileRead file = ReadFileCapped(path, kMaxFileBytes);
    switch (file.Failure) {
    case ReadFailure::None:
    case ReadFailure::TooLarge: // ParseExercise says so
        return ParseExercise(file.Data, std::filesystem::path(path).parent_path().string());
    case ReadFailure::Directory:
        read.Error = "to je mapa, ne datoteka z nalogo";
        break;
    case ReadFailure::Open:
        read.Error = "datoteke ni mogoče odpreti (" + SystemErrorText(file.Error) + ")";
        break;
    case ReadFailure::Read:
        read.Error = "napaka pri branju datoteke";
        break;
    }
    return read;
}
