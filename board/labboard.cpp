#include "board/labboard.h"

#include <algorithm>

#include "board/keypad.h"

struct TLabBoard::TDerived {
    uint16_t Drive = 0, DriveLevel = 0;
    uint16_t Firm = 0, FirmLevel = 0;
    uint16_t Conflicts = 0;
    uint64_t NextEvent = std::numeric_limits<uint64_t>::max();
};

namespace {

constexpr uint64_t kMs = 1'000'000;
// A bouncing contact: the bounce time is cut into slices; in the first the contact already
// has its new state, in the last quarter it has settled, in between it is open or closed by a
// pattern that differs from press to press.
constexpr uint64_t kBounceSlices = 16;
constexpr uint64_t kSettledSlice = 12;

// What one part drives: firmly (Firm, Level) and through resistors (Weak, WeakLevel).
struct TPartDrive {
    uint16_t Firm = 0, Level = 0;
    uint16_t Weak = 0, WeakLevel = 0;
};

uint16_t Outputs(const TLabBoard::State& s) {
    return BoardMask(s.Ports[0].Direction, s.Ports[1].Direction) & kBoardPins;
}
uint16_t OutputLevels(const TLabBoard::State& s) {
    return BoardMask(s.Ports[0].Level, s.Ports[1].Level) & Outputs(s);
}

uint32_t Scramble(uint32_t a, uint32_t b) {
    uint32_t x = a * 0x9E3779B1u + b * 0x85EBCA6Bu;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    return x;
}

// Whether a button's contact is closed at `now`; `next` is lowered to when that may change.
bool Contact(const TLabBoard::TButtonState& b, uint64_t bounceNs, uint64_t now, uint64_t& next) {
    if (bounceNs == 0 || now < b.ChangedAt || now - b.ChangedAt >= bounceNs) return b.Held;
    const uint64_t slice = std::max<uint64_t>(1, bounceNs / kBounceSlices);
    const uint64_t i = (now - b.ChangedAt) / slice;
    next = std::min(next, i + 1 >= kBounceSlices ? b.ChangedAt + bounceNs : b.ChangedAt + (i + 1) * slice);
    if (i == 0 || i >= kSettledSlice) return b.Held;
    return (Scramble(b.Presses, static_cast<uint32_t>(i)) & 1u) ? b.Held : !b.Held;
}

// The lines of a keypad (rows, then columns) as pins.
TPin KeypadLine(const TBoardPart& p, int line) {
    const int rows = static_cast<int>(p.Rows.size());
    return line < rows ? p.Rows[static_cast<size_t>(line)] : p.Cols[static_cast<size_t>(line - rows)];
}

TMatrixLevels SolveKeypad(const TBoardPart& p, uint16_t held, uint16_t out, uint16_t outLevel) {
    const int lines = static_cast<int>(p.Rows.size() + p.Cols.size());
    uint8_t outputs = 0, levels = 0;
    for (int i = 0; i < lines; ++i) {
        const uint16_t m = KeypadLine(p, i).Mask();
        if (out & m) outputs |= static_cast<uint8_t>(1u << i);
        if (outLevel & m) levels |= static_cast<uint8_t>(1u << i);
    }
    return SolveKeyMatrix(static_cast<int>(p.Rows.size()), static_cast<int>(p.Cols.size()), held, outputs,
                          levels);
}

std::string Who(const TBoardPart& p) { return std::string(PartKindName(p.Kind)) + " \"" + p.Name + "\""; }

std::string JoinAnd(const std::vector<std::string>& items) {
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += i + 1 == items.size() ? " in " : ", ";
        out += items[i];
    }
    return out;
}

std::vector<std::string> PinList(uint16_t pins) {
    std::vector<std::string> out;
    for (int i = 0; i < 16; ++i)
        if (pins & (1u << i)) out.push_back(PinText(TPin::FromIndex(i)));
    return out;
}

} // namespace

TLabBoard::TLabBoard(TBoardConfig config) : config_(std::move(config)) {
    for (size_t i = 0; i < config_.Parts.size(); ++i) {
        const TBoardPart& p = config_.Parts[i];
        if (p.Kind == TPartKind::Switch && p.On) s_.Switches |= 1u << p.Slot;
        if (p.Kind == TPartKind::Switch || p.Kind == TPartKind::Button) contacts_.push_back(i);
        if (p.Kind == TPartKind::Switch || p.Kind == TPartKind::Button || p.Kind == TPartKind::Keypad ||
            p.Kind == TPartKind::Lcd)
            drivers_.push_back(i);
        if (p.Kind == TPartKind::Lcd) lcds_.push_back(i);
        if (p.Kind == TPartKind::Display) displays_.push_back(i);
    }
    PowerOn(0);
}

void TLabBoard::PowerOn(uint64_t now) {
    s_.Now = now;
    s_.Ports = {};
    s_.ConflictsSeen = 0;
    for (const TBoardPart& p : config_.Parts) {
        if (p.Kind == TPartKind::Lcd) s_.Lcds[p.Slot] = THd44780::PowerOn(now);
        if (p.Kind == TPartKind::Display)
            s_.Displays[p.Slot] = TPersistence::Start(now, p.PersistenceMs * kMs);
        // A button held through the power-on has settled long ago.
        if (p.Kind == TPartKind::Button) s_.Buttons[p.Slot].ChangedAt = std::numeric_limits<uint64_t>::max();
    }
    Recompute(now);
    s_.ConflictsSeen = s_.Conflicts;
}

TLabBoard::TDerived TLabBoard::Derive(const State& s, std::vector<uint16_t>* firmByPart) const {
    TDerived d;
    const uint16_t out = Outputs(s), outLevel = OutputLevels(s);
    uint16_t any = 0, twice = 0, level = 0, weakHigh = 0, weakLow = 0, shorted = 0;
    for (const size_t i : drivers_) {
        const TBoardPart& p = config_.Parts[i];
        TPartDrive pd;
        switch (p.Kind) {
        case TPartKind::Switch:
            pd.Firm = p.Pin.Mask();
            if (((s.Switches >> p.Slot) & 1u) == p.ActiveHigh) pd.Level = pd.Firm;
            break;
        case TPartKind::Button:
            if (Contact(s.Buttons[p.Slot], p.BounceMs * kMs, s.Now, d.NextEvent)) {
                pd.Firm = p.Pin.Mask();
                pd.Level = p.ActiveHigh ? pd.Firm : 0;
            } else {
                pd.Weak = p.Pin.Mask();
                pd.WeakLevel = p.ActiveHigh ? 0 : pd.Weak;
            }
            break;
        case TPartKind::Keypad: {
            const TMatrixLevels m = SolveKeypad(p, s.Keys[p.Slot], out, outLevel);
            const int lines = static_cast<int>(p.Rows.size() + p.Cols.size());
            for (int line = 0; line < lines; ++line) {
                const uint16_t pin = KeypadLine(p, line).Mask();
                const uint8_t bit = static_cast<uint8_t>(1u << line);
                if (m.Driven & bit) {
                    pd.Firm |= pin;
                    if (m.Level & bit) pd.Level |= pin;
                } else {
                    pd.Weak |= pin;
                    pd.WeakLevel |= pin;
                }
                if (m.Shorted & bit) shorted |= pin;
            }
            break;
        }
        case TPartKind::Lcd: {
            const THd44780::State& lcd = s.Lcds[p.Slot];
            for (TPin pin : p.Data)
                pd.Weak |= pin.Mask();
            pd.Weak |= p.Rs.Mask() | (p.Rw ? p.Rw->Mask() : 0);
            pd.WeakLevel = pd.Weak;
            if (THd44780::Driving(lcd)) {
                const uint8_t value = THd44780::Output(lcd, s.Now, lcd.LatchedRs);
                const int first = p.Data.size() == 8 ? 0 : 4;
                for (size_t k = 0; k < p.Data.size(); ++k) {
                    pd.Firm |= p.Data[k].Mask();
                    if (value & (1u << (first + static_cast<int>(k)))) pd.Level |= p.Data[k].Mask();
                }
                d.NextEvent = std::min(d.NextEvent, THd44780::NextChange(lcd, s.Now));
            }
            break;
        }
        case TPartKind::Led:
        case TPartKind::Digit:
        case TPartKind::Display:
            break;
        }
        if (firmByPart) (*firmByPart)[i] = pd.Firm;
        twice |= any & pd.Firm;
        any |= pd.Firm;
        level |= pd.Level & pd.Firm;
        weakHigh |= pd.Weak & pd.WeakLevel;
        weakLow |= pd.Weak & static_cast<uint16_t>(~pd.WeakLevel);
    }
    d.Conflicts = twice | (any & out) | shorted;
    const uint16_t firm = any & static_cast<uint16_t>(~d.Conflicts & ~out);
    // A pin pulled both ways at once has no level to speak of: it is left alone.
    const uint16_t weak = (weakHigh ^ weakLow) & static_cast<uint16_t>(~any & ~out);
    d.Drive = firm | weak;
    d.DriveLevel = (level & firm) | (weakHigh & weak);
    d.Firm = (out & static_cast<uint16_t>(~d.Conflicts)) | firm;
    d.FirmLevel = (outLevel & d.Firm) | (level & firm);
    return d;
}

void TLabBoard::Rederive(State& state) const {
    const TDerived d = Derive(state, nullptr);
    state.Drive = d.Drive;
    state.DriveLevel = d.DriveLevel;
    state.Firm = d.Firm;
    state.FirmLevel = d.FirmLevel;
    state.Conflicts = d.Conflicts;
    state.NextEvent = d.NextEvent;
}

void TLabBoard::LcdPins(State& s, const TBoardPart& p, uint64_t now, uint16_t known, uint16_t levels) const {
    // An input nothing drives: the controller's pull-ups hold DB, RS and R/W high; E is low.
    const auto in = [&](TPin pin, bool pulled) {
        return (known & pin.Mask()) ? (levels & pin.Mask()) != 0 : pulled;
    };
    const bool e = in(p.E, false), rs = in(p.Rs, true), rw = p.Rw ? in(*p.Rw, true) : false;
    const bool eight = p.Data.size() == 8;
    uint8_t bus = eight ? 0x00 : 0x0F; // unconnected DB3-DB0 read high
    for (size_t k = 0; k < p.Data.size(); ++k)
        if (in(p.Data[k], true)) bus |= static_cast<uint8_t>(1u << ((eight ? 0 : 4) + k));
    THd44780::Pins(s.Lcds[p.Slot], now, e, rs, rw, bus);
}

void TLabBoard::Recompute(uint64_t now) {
    ++revision_;
    const uint64_t t = std::max(now, s_.Now);
    s_.Now = t;
    // What the LCDs' inputs see: the processor's outputs and the switches and pressed buttons
    // (the drives that do not depend on the LCDs themselves), each pin driven once.
    if (!lcds_.empty()) {
        const uint16_t out = Outputs(s_), outLevel = OutputLevels(s_);
        uint16_t any = 0, twice = 0, level = 0;
        uint64_t ignored = 0;
        for (const size_t i : contacts_) {
            const TBoardPart& p = config_.Parts[i];
            uint16_t pin = 0;
            bool high = false;
            if (p.Kind == TPartKind::Switch) {
                pin = p.Pin.Mask();
                high = ((s_.Switches >> p.Slot) & 1u) == p.ActiveHigh;
            } else if (p.Kind == TPartKind::Button &&
                       Contact(s_.Buttons[p.Slot], p.BounceMs * kMs, t, ignored)) {
                pin = p.Pin.Mask();
                high = p.ActiveHigh;
            }
            twice |= any & pin;
            any |= pin;
            if (high) level |= pin;
        }
        const uint16_t parts = any & static_cast<uint16_t>(~twice & ~out);
        for (const size_t i : lcds_)
            LcdPins(s_, config_.Parts[i], t, out | parts, outLevel | (level & parts));
    }
    Rederive(s_);
    s_.ConflictsSeen |= s_.Conflicts;
    for (const size_t i : displays_) {
        const TBoardPart& p = config_.Parts[i];
        TPersistence::Light(s_.Displays[p.Slot], t, p.PersistenceMs * kMs, DisplayLit(s_, p));
    }
}

bool TLabBoard::PortsChanged(uint64_t now, const TPortLines& port1, const TPortLines& port2) {
    const TPortLines p1{port1.Direction, static_cast<uint8_t>(port1.Level & port1.Direction)};
    const TPortLines p2{static_cast<uint8_t>(port2.Direction & 0x1F),
                        static_cast<uint8_t>(port2.Level & port2.Direction & 0x1F)};
    if (p1 == s_.Ports[0] && p2 == s_.Ports[1] && now < s_.NextEvent) return false;
    const uint16_t drive = s_.Drive, level = s_.DriveLevel;
    s_.Ports = {p1, p2};
    Recompute(now);
    return drive != s_.Drive || level != s_.DriveLevel;
}

bool TLabBoard::Advance(uint64_t now) {
    if (now < s_.NextEvent) return false;
    const uint16_t drive = s_.Drive, level = s_.DriveLevel;
    Recompute(now);
    return drive != s_.Drive || level != s_.DriveLevel;
}

std::optional<TBoardInput> TLabBoard::FindInput(std::string_view name, TInputUse use,
                                                std::string& error) const {
    const std::string quoted = "\"" + std::string(name) + "\"";
    for (size_t i = 0; i < config_.Parts.size(); ++i) {
        const TBoardPart& p = config_.Parts[i];
        if (p.Name != name) continue;
        if (use == TInputUse::Switch && p.Kind == TPartKind::Switch)
            return TBoardInput{static_cast<int>(i), -1};
        if (use == TInputUse::Press && p.Kind == TPartKind::Button)
            return TBoardInput{static_cast<int>(i), -1};
        if (use == TInputUse::Press && p.Kind == TPartKind::Keypad && !p.Keys.empty()) {
            error = quoted + " je tipkovnica: navedite tipko, npr. \"" + p.Name + ":" + p.Keys[0] + "\"";
            return std::nullopt;
        }
        error = quoted + " je " + PartKindName(p.Kind) +
                (use == TInputUse::Switch ? ", ne stikalo" : ", ne tipka");
        return std::nullopt;
    }
    if (use == TInputUse::Switch) {
        error = "na plošči ni stikala " + quoted;
        return std::nullopt;
    }
    // A key, with or without the keypad's name.
    const size_t colon = name.find(':');
    const std::string_view pad = colon == std::string_view::npos ? std::string_view{} : name.substr(0, colon);
    const std::string_view key = colon == std::string_view::npos ? name : name.substr(colon + 1);
    std::optional<TBoardInput> found;
    std::vector<std::string> pads;
    for (size_t i = 0; i < config_.Parts.size(); ++i) {
        const TBoardPart& p = config_.Parts[i];
        if (p.Kind != TPartKind::Keypad || (!pad.empty() && p.Name != pad)) continue;
        for (size_t k = 0; k < p.Keys.size(); ++k)
            if (p.Keys[k] == key) {
                found = TBoardInput{static_cast<int>(i), static_cast<int>(k)};
                pads.push_back("\"" + p.Name + "\"");
            }
    }
    if (pads.size() > 1) {
        error = "tipko " + quoted + " imajo tipkovnice " + JoinAnd(pads) +
                ": navedite jo s tipkovnico, npr. \"" + pads[0].substr(1, pads[0].size() - 2) + ":" +
                std::string(key) + "\"";
        return std::nullopt;
    }
    if (!found) error = "na plošči ni tipke ali tipke tipkovnice " + quoted;
    return found;
}

bool TLabBoard::Press(uint64_t now, TBoardInput input) {
    if (input.Part < 0 || input.Part >= static_cast<int>(config_.Parts.size())) return false;
    const TBoardPart& p = config_.Parts[static_cast<size_t>(input.Part)];
    const uint16_t drive = s_.Drive, level = s_.DriveLevel;
    if (p.Kind == TPartKind::Button && !s_.Buttons[p.Slot].Held) {
        TButtonState& b = s_.Buttons[p.Slot];
        b.Held = true;
        b.ChangedAt = std::max(now, s_.Now);
        ++b.Presses;
    } else if (p.Kind == TPartKind::Keypad && input.Key >= 0 && input.Key < static_cast<int>(p.Keys.size())) {
        s_.Keys[p.Slot] |= static_cast<uint16_t>(1u << input.Key);
    } else {
        return false;
    }
    Recompute(now);
    return drive != s_.Drive || level != s_.DriveLevel;
}

bool TLabBoard::Release(uint64_t now, TBoardInput input) {
    if (input.Part < 0 || input.Part >= static_cast<int>(config_.Parts.size())) return false;
    const TBoardPart& p = config_.Parts[static_cast<size_t>(input.Part)];
    const uint16_t drive = s_.Drive, level = s_.DriveLevel;
    if (p.Kind == TPartKind::Button && s_.Buttons[p.Slot].Held) {
        TButtonState& b = s_.Buttons[p.Slot];
        b.Held = false;
        b.ChangedAt = std::max(now, s_.Now);
        ++b.Presses;
    } else if (p.Kind == TPartKind::Keypad && input.Key >= 0 && input.Key < static_cast<int>(p.Keys.size())) {
        s_.Keys[p.Slot] &= static_cast<uint16_t>(~(1u << input.Key));
    } else {
        return false;
    }
    Recompute(now);
    return drive != s_.Drive || level != s_.DriveLevel;
}

bool TLabBoard::SetSwitch(uint64_t now, TBoardInput input, bool on) {
    if (input.Part < 0 || input.Part >= static_cast<int>(config_.Parts.size())) return false;
    const TBoardPart& p = config_.Parts[static_cast<size_t>(input.Part)];
    if (p.Kind != TPartKind::Switch) return false;
    const uint16_t drive = s_.Drive, level = s_.DriveLevel;
    if (on) s_.Switches |= 1u << p.Slot;
    else s_.Switches &= ~(1u << p.Slot);
    Recompute(now);
    return drive != s_.Drive || level != s_.DriveLevel;
}

bool TLabBoard::ButtonClosed(const TBoardPart& part, uint64_t now) const {
    uint64_t next = 0;
    return Contact(s_.Buttons[part.Slot], part.BounceMs * kMs, std::max(now, s_.Now), next);
}

namespace {
// Whether a pin is driven firmly to the given level.
bool FirmAt(const TLabBoard::State& s, TPin pin, bool high) {
    const uint16_t m = pin.Mask();
    return (s.Firm & m) && ((s.FirmLevel & m) != 0) == high;
}
} // namespace

bool TLabBoard::LampLit(const TBoardPart& part) const { return FirmAt(s_, part.Pin, part.ActiveHigh); }

uint8_t TLabBoard::Segments(const State& s, const TBoardPart& part) const {
    uint8_t pattern = 0;
    if (part.Bcd) {
        // The decoder shows nothing while one of its inputs floats.
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const TPin pin = (*part.Bcd)[static_cast<size_t>(i)];
            if (!(s.Firm & pin.Mask())) return 0;
            if (s.FirmLevel & pin.Mask()) value |= 1u << i;
        }
        pattern = BcdPattern(value);
        if (part.Segments[7] && FirmAt(s, *part.Segments[7], !part.CommonAnode)) pattern |= kSegmentDp;
        return pattern;
    }
    for (int seg = 0; seg < 8; ++seg)
        if (part.Segments[seg] && FirmAt(s, *part.Segments[seg], !part.CommonAnode))
            pattern |= static_cast<uint8_t>(1u << seg);
    return pattern;
}

TPersistence::TPatterns TLabBoard::DisplayLit(const State& s, const TBoardPart& part) const {
    TPersistence::TPatterns lit{};
    const uint8_t segments = Segments(s, part);
    if (segments == 0) return lit;
    for (size_t d = 0; d < part.Digits.size(); ++d)
        if (FirmAt(s, part.Digits[d], part.SelectHigh)) lit[d] = segments;
    return lit;
}

uint8_t TLabBoard::DigitPattern(const TBoardPart& part) const { return Segments(s_, part); }

TPersistence::TPatterns TLabBoard::DisplayPatterns(const TBoardPart& part, uint64_t now) const {
    return TPersistence::Shown(s_.Displays[part.Slot], std::max(now, s_.Now), part.PersistenceMs * kMs);
}

std::vector<TBoardConflict> TLabBoard::Conflicts() const {
    std::vector<TBoardConflict> out;
    if (s_.Conflicts == 0) return out;
    std::vector<uint16_t> firm(config_.Parts.size());
    Derive(s_, &firm);
    const uint16_t outputs = Outputs(s_);
    for (const TBoardPart& p : config_.Parts) {
        if (p.Kind != TPartKind::Keypad) continue;
        const TMatrixLevels m = SolveKeypad(p, s_.Keys[p.Slot], outputs, OutputLevels(s_));
        uint16_t pins = 0;
        for (int line = 0; line < static_cast<int>(p.Rows.size() + p.Cols.size()); ++line)
            if (m.Shorted & (1u << line)) pins |= KeypadLine(p, line).Mask();
        if (pins == 0) continue;
        const std::vector<std::string> list = PinList(pins);
        out.push_back({pins, Who(p) + ": držane tipke sklenejo " +
                                 (list.size() == 2 ? "izhoda " : "izhode ") + JoinAnd(list) +
                                 (list.size() == 2 ? " z različnima nivojema" : " z različnimi nivoji")});
    }
    for (int i = 0; i < 16; ++i) {
        const uint16_t m = static_cast<uint16_t>(1u << i);
        if (!(s_.Conflicts & m)) continue;
        std::vector<std::string> drivers;
        if (outputs & m) drivers.emplace_back("procesor (izhod)");
        for (size_t k = 0; k < config_.Parts.size(); ++k)
            if (firm[k] & m) drivers.push_back(Who(config_.Parts[k]));
        if (drivers.size() < 2) continue; // only shorted through keys: reported above
        out.push_back({m, "nožico " + PinText(TPin::FromIndex(i)) + " hkrati " +
                              (drivers.size() == 2 ? "poganjata " : "poganjajo ") + JoinAnd(drivers)});
    }
    return out;
}
