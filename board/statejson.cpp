#include "board/statejson.h"

#include <limits>
#include <stdexcept>

namespace {

using Out = nlohmann::ordered_json;
using In = nlohmann::json;

constexpr uint64_t kSettled = std::numeric_limits<uint64_t>::max();

std::string Hex(const uint8_t* bytes, size_t n) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

struct TBad : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Reads the fields of one object; a missing or wrong field names where it is.
class TFields {
public:
    TFields(const In& object, std::string where) : object_(object), where_(std::move(where)) {
        if (!object.is_object()) throw TBad(where_ + " mora biti objekt");
    }
    const In& Get(const char* key) const {
        if (!object_.contains(key)) throw TBad(where_ + ": manjka \"" + key + "\"");
        return object_[key];
    }
    uint64_t Number(const char* key, uint64_t high = kSettled) const {
        const In& v = Get(key);
        if (!v.is_number_unsigned() || v.get<uint64_t>() > high)
            throw TBad(where_ + ": \"" + key + "\" mora biti celo število od 0 do " + std::to_string(high));
        return v.get<uint64_t>();
    }
    bool Flag(const char* key) const {
        const In& v = Get(key);
        if (!v.is_boolean()) throw TBad(where_ + ": \"" + key + "\" mora biti true ali false");
        return v.get<bool>();
    }
    template <size_t N> void Bytes(const char* key, std::array<uint8_t, N>& out) const {
        const In& v = Get(key);
        const std::string bad =
            where_ + ": \"" + key + "\" mora biti " + std::to_string(2 * N) + " šestnajstiških števk";
        if (!v.is_string() || v.get<std::string>().size() != 2 * N) throw TBad(bad);
        const std::string text = v.get<std::string>();
        for (size_t i = 0; i < N; ++i) {
            const std::string pair = text.substr(2 * i, 2);
            if (pair.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) throw TBad(bad);
            out[i] = static_cast<uint8_t>(std::stoul(pair, nullptr, 16));
        }
    }
    const std::string& Where() const { return where_; }

private:
    const In& object_;
    std::string where_;
};

Out LcdToJson(const THd44780::State& s) {
    return {{"ddram", Hex(s.Ddram.data(), s.Ddram.size())},
            {"cgram", Hex(s.Cgram.data(), s.Cgram.size())},
            {"ac", s.Ac},
            {"ac_cgram", s.AcCgram},
            {"dr", s.Dr},
            {"shift", s.Shift},
            {"increment", s.Increment},
            {"shift_on_write", s.ShiftOnWrite},
            {"display_on", s.DisplayOn},
            {"cursor_on", s.CursorOn},
            {"blink", s.Blink},
            {"eight_bit", s.EightBit},
            {"two_lines", s.TwoLines},
            {"font_5x10", s.Font5x10},
            {"second_half", s.SecondHalf},
            {"first_half", s.FirstHalf},
            {"busy_until", s.BusyUntil},
            {"ac_shown_from", s.AcShownFrom},
            {"ac_before", s.AcBefore},
            {"enable", s.Enable},
            {"latched_rs", s.LatchedRs},
            {"latched_rw", s.LatchedRw},
            {"latched_bus", s.LatchedBus}};
}

THd44780::State LcdFromJson(const TFields& f) {
    THd44780::State s;
    f.Bytes("ddram", s.Ddram);
    f.Bytes("cgram", s.Cgram);
    s.Ac = static_cast<uint8_t>(f.Number("ac", 127));
    s.AcCgram = f.Flag("ac_cgram");
    s.Dr = static_cast<uint8_t>(f.Number("dr", 255));
    s.Shift = static_cast<uint8_t>(f.Number("shift", 79));
    s.Increment = f.Flag("increment");
    s.ShiftOnWrite = f.Flag("shift_on_write");
    s.DisplayOn = f.Flag("display_on");
    s.CursorOn = f.Flag("cursor_on");
    s.Blink = f.Flag("blink");
    s.EightBit = f.Flag("eight_bit");
    s.TwoLines = f.Flag("two_lines");
    s.Font5x10 = f.Flag("font_5x10");
    s.SecondHalf = f.Flag("second_half");
    s.FirstHalf = static_cast<uint8_t>(f.Number("first_half", 15));
    s.BusyUntil = f.Number("busy_until");
    s.AcShownFrom = f.Number("ac_shown_from");
    s.AcBefore = static_cast<uint8_t>(f.Number("ac_before", 127));
    s.Enable = f.Flag("enable");
    s.LatchedRs = f.Flag("latched_rs");
    s.LatchedRw = f.Flag("latched_rw");
    s.LatchedBus = static_cast<uint8_t>(f.Number("latched_bus", 255));
    return s;
}

Out DisplayToJson(const TPersistence::State& s) {
    Out thisFrame = Out::array(), lastFrame = Out::array();
    for (int d = 0; d < TPersistence::kMaxDigits; ++d) {
        thisFrame.push_back(s.This[d]);
        lastFrame.push_back(s.Last[d]);
    }
    return {{"begin", s.Begin}, {"since", s.Since},  {"frame", s.Frame},
            {"lit", s.Lit},     {"this", thisFrame}, {"last", lastFrame}};
}

TPersistence::State DisplayFromJson(const TFields& f, uint64_t windowNs) {
    TPersistence::State s;
    s.Begin = f.Number("begin");
    s.Since = f.Number("since");
    s.Frame = f.Number("frame");
    const auto list = [&f](const char* key, size_t n) -> const In& {
        const In& v = f.Get(key);
        if (!v.is_array() || v.size() != n)
            throw TBad(f.Where() + ": \"" + key + "\" mora biti seznam " + std::to_string(n) + " vrednosti");
        return v;
    };
    const auto number = [&f](const In& v, const char* key, uint64_t high) {
        if (!v.is_number_unsigned() || v.get<uint64_t>() > high)
            throw TBad(f.Where() + ": \"" + key + "\" ima vrednost zunaj 0-" + std::to_string(high));
        return v.get<uint64_t>();
    };
    const In& lit = list("lit", TPersistence::kMaxDigits);
    for (int d = 0; d < TPersistence::kMaxDigits; ++d)
        s.Lit[d] = static_cast<uint8_t>(number(lit[d], "lit", 255));
    for (const char* key : {"this", "last"}) {
        const In& frames = list(key, TPersistence::kMaxDigits);
        auto& into = std::string(key) == "this" ? s.This : s.Last;
        for (int d = 0; d < TPersistence::kMaxDigits; ++d) {
            if (!frames[d].is_array() || frames[d].size() != 8)
                throw TBad(f.Where() + ": \"" + key + "\" mora imeti po 8 vrednosti za vsako mesto");
            for (int seg = 0; seg < 8; ++seg)
                into[d][seg] = static_cast<uint16_t>(number(frames[d][seg], key, 0xFFFF));
        }
    }
    if (s.Since / windowNs != s.Frame) throw TBad(f.Where() + ": \"frame\" se ne ujema s \"since\"");
    return s;
}

} // namespace

Out BoardStateToJson(const TLabBoard& board, const TLabBoard::State& s) {
    Out parts = Out::object();
    for (const TBoardPart& p : board.Parts()) {
        switch (p.Kind) {
        case TPartKind::Switch:
            parts[p.Name] = {{"on", ((s.Switches >> p.Slot) & 1u) != 0}};
            break;
        case TPartKind::Button: {
            const TLabBoard::TButtonState& b = s.Buttons[p.Slot];
            parts[p.Name] = {{"held", b.Held},
                             {"changed_at", b.ChangedAt == kSettled ? Out(nullptr) : Out(b.ChangedAt)},
                             {"presses", b.Presses}};
            break;
        }
        case TPartKind::Keypad:
            parts[p.Name] = {{"held", s.Keys[p.Slot]}};
            break;
        case TPartKind::Display:
            parts[p.Name] = DisplayToJson(s.Displays[p.Slot]);
            break;
        case TPartKind::Lcd:
            parts[p.Name] = LcdToJson(s.Lcds[p.Slot]);
            break;
        case TPartKind::Led:
        case TPartKind::Digit:
            break;
        }
    }
    Out ports = Out::array();
    for (const TPortLines& port : s.Ports)
        ports.push_back({{"ddr", port.Direction}, {"dr", port.Level}});
    return {{"now", s.Now}, {"ports", ports}, {"conflicts_seen", s.ConflictsSeen}, {"parts", parts}};
}

std::optional<TLabBoard::State> BoardStateFromJson(const TLabBoard& board, const In& json,
                                                   std::string& error) {
    try {
        TLabBoard::State s;
        const TFields top(json, "stanje plošče");
        s.Now = top.Number("now");
        const In& ports = top.Get("ports");
        if (!ports.is_array() || ports.size() != 2)
            throw TBad("stanje plošče: \"ports\" mora imeti dvoje vrat");
        for (size_t i = 0; i < 2; ++i) {
            const TFields port(ports[i], "stanje plošče: vrata " + std::to_string(i + 1));
            const uint64_t mask = i == 0 ? 0xFF : 0x1F;
            s.Ports[i].Direction = static_cast<uint8_t>(port.Number("ddr", mask));
            s.Ports[i].Level = static_cast<uint8_t>(port.Number("dr", mask) & s.Ports[i].Direction);
        }
        s.ConflictsSeen = static_cast<uint16_t>(top.Number("conflicts_seen", kBoardPins));
        const TFields parts(top.Get("parts"), "stanje plošče: \"parts\"");
        for (const TBoardPart& p : board.Parts()) {
            if (p.Kind == TPartKind::Led || p.Kind == TPartKind::Digit) continue;
            const TFields f(parts.Get(p.Name.c_str()), "stanje dela \"" + p.Name + "\"");
            switch (p.Kind) {
            case TPartKind::Switch:
                if (f.Flag("on")) s.Switches |= 1u << p.Slot;
                break;
            case TPartKind::Button: {
                TLabBoard::TButtonState& b = s.Buttons[p.Slot];
                b.Held = f.Flag("held");
                b.ChangedAt = f.Get("changed_at").is_null() ? kSettled : f.Number("changed_at", s.Now);
                b.Presses = static_cast<uint32_t>(f.Number("presses", std::numeric_limits<uint32_t>::max()));
                break;
            }
            case TPartKind::Keypad:
                s.Keys[p.Slot] = static_cast<uint16_t>(f.Number("held", (1u << p.Keys.size()) - 1));
                break;
            case TPartKind::Display:
                s.Displays[p.Slot] = DisplayFromJson(f, p.PersistenceMs * uint64_t{1'000'000});
                break;
            case TPartKind::Lcd:
                s.Lcds[p.Slot] = LcdFromJson(f);
                break;
            case TPartKind::Led:
            case TPartKind::Digit:
                break;
            }
        }
        board.Rederive(s);
        return s;
    } catch (const TBad& bad) {
        error = bad.what();
        return std::nullopt;
    }
}
