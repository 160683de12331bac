#include "session/signals.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "base/outfile.h"
#include "board/pins.h"
#include "engine/machine.h"

namespace {

constexpr const char* kChipNames[kChipSignals] = {
    "P10", "P11", "P12", "P13", "P14", "P15", "P16", "P17", "P20",  "P21",
    "P22", "P23", "P24", "IRQ", "NMI", "TOF", "OCF", "ICF", "RDRF", "TDRE",
};

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

void AddPin(std::vector<TSignal>& out, const std::string& part, const std::string& signal, TPin pin) {
    out.push_back({part + "." + signal, static_cast<uint8_t>(pin.Index())});
}

void AddPins(std::vector<TSignal>& out, const std::string& part, const char* prefix,
             const std::vector<TPin>& pins) {
    for (size_t i = 0; i < pins.size(); ++i)
        AddPin(out, part, prefix + std::to_string(i), pins[i]);
}

// A VCD identifier for the n-th variable: printable characters from '!' on, base 94.
std::string VcdId(size_t n) {
    std::string id;
    do {
        id.push_back(static_cast<char>('!' + n % 94));
        n /= 94;
    } while (n != 0);
    return id;
}

// The $timescale for one cycle of `hz` when its period is 1, 10 or 100 of a unit VCD has.
std::optional<std::string> CycleTimescale(uint64_t hz) {
    static constexpr const char* kUnits[] = {"s", "ms", "us", "ns", "ps", "fs"};
    constexpr uint64_t kFsPerSecond = 1'000'000'000'000'000;
    if (hz == 0 || kFsPerSecond % hz != 0) return std::nullopt;
    uint64_t fs = kFsPerSecond / hz;
    // fs = m * 10^e with m in 1, 10, 100 and e a multiple of 3 gives m and the unit 10^e fs.
    int exponent = 0;
    while (fs % 1000 == 0 && exponent < 15) {
        fs /= 1000;
        exponent += 3;
    }
    if (fs != 1 && fs != 10 && fs != 100) return std::nullopt;
    return std::to_string(fs) + " " + kUnits[(15 - exponent) / 3];
}

// "1,2288 MHz": the frequency with a decimal comma and no trailing zeros.
std::string FrequencyText(uint64_t hz) {
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(hz) / 1e6);
    std::string out = text;
    while (out.back() == '0')
        out.pop_back();
    if (out.back() == '.') out.pop_back();
    std::replace(out.begin(), out.end(), '.', ',');
    return out + " MHz";
}

} // namespace

const char* ChipSignalName(int bit) { return bit >= 0 && bit < kChipSignals ? kChipNames[bit] : ""; }

uint32_t SampleSignals(const TMachine& machine) {
    const uint8_t pending = machine.Cpu.Pending.LowByte();
    const uint8_t tcsr = machine.Timer.St.TCSR;
    const uint8_t trcsr = machine.Sci.St.TRCSR;
    uint32_t levels = machine.Port1.St.Level | uint32_t{machine.Port2.Levels() & 0x1Fu} << kSignalP20;
    // Pending bits 2 (NMI) and 3 (IRQ) go to bits 14 and 13.
    levels |= uint32_t{(pending >> SourceNumber(InterruptSource::IRQ)) & 1u} << kSignalIrq;
    levels |= uint32_t{(pending >> SourceNumber(InterruptSource::NMI)) & 1u} << kSignalNmi;
    levels |= uint32_t{(tcsr & TTimer::TCSR_TOF) != 0} << kSignalTof;
    levels |= uint32_t{(tcsr & TTimer::TCSR_OCF) != 0} << kSignalOcf;
    levels |= uint32_t{(tcsr & TTimer::TCSR_ICF) != 0} << kSignalIcf;
    levels |= uint32_t{(trcsr & TSci::TRCSR_RDRF) != 0} << kSignalRdrf;
    levels |= uint32_t{(trcsr & TSci::TRCSR_TDRE) != 0} << kSignalTdre;
    return levels;
}

std::vector<TSignal> AvailableSignals(const TBoardConfig* board) {
    std::vector<TSignal> out;
    for (int bit = 0; bit < kChipSignals; ++bit)
        out.push_back({kChipNames[bit], static_cast<uint8_t>(bit)});
    if (!board) return out;
    for (const TBoardPart& part : board->Parts) {
        const std::string& name = part.Name;
        switch (part.Kind) {
        case TPartKind::Led:
        case TPartKind::Switch:
        case TPartKind::Button:
            AddPin(out, name, "PIN", part.Pin);
            break;
        case TPartKind::Digit:
        case TPartKind::Display:
            if (part.Bcd) AddPins(out, name, "BCD", {part.Bcd->begin(), part.Bcd->end()});
            for (size_t s = 0; s < part.Segments.size(); ++s)
                if (part.Segments[s])
                    AddPin(out, name, s == 7 ? std::string("DP") : std::string("SEG") + char('A' + s),
                           *part.Segments[s]);
            AddPins(out, name, "DIG", part.Digits);
            break;
        case TPartKind::Keypad:
            AddPins(out, name, "ROW", part.Rows);
            AddPins(out, name, "COL", part.Cols);
            break;
        case TPartKind::Lcd:
            AddPin(out, name, "E", part.E);
            AddPin(out, name, "RS", part.Rs);
            if (part.Rw) AddPin(out, name, "RW", *part.Rw);
            // D0-D7, or D4-D7 on a 4-bit bus.
            for (size_t i = 0; i < part.Data.size(); ++i)
                AddPin(out, name, "D" + std::to_string(i + 8 - part.Data.size()), part.Data[i]);
            break;
        }
    }
    return out;
}

std::optional<std::vector<TSignal>> SelectSignals(std::string_view list, const TBoardConfig* board,
                                                  std::string& error) {
    const std::vector<TSignal> all = AvailableSignals(board);
    if (Trim(list).empty() || Trim(list) == "*") return all;
    std::vector<TSignal> out;
    auto add = [&out](const TSignal& signal) {
        if (std::none_of(out.begin(), out.end(), [&](const TSignal& s) { return s.Name == signal.Name; }))
            out.push_back(signal);
    };
    while (!list.empty()) {
        const size_t comma = list.find(',');
        const std::string name = Upper(Trim(list.substr(0, comma)));
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        if (name.empty()) continue;
        if (name == "P1" || name == "P2") {
            const int first = name == "P1" ? kSignalP10 : kSignalP20, count = name == "P1" ? 8 : 5;
            for (int bit = first; bit < first + count; ++bit)
                add(all[bit]);
            continue;
        }
        const auto it =
            std::find_if(all.begin(), all.end(), [&](const TSignal& s) { return Upper(s.Name) == name; });
        if (it == all.end()) {
            error = "neznan signal \"" + name +
                    "\" (signali so P10..P17, P20..P24, IRQ, NMI, TOF, OCF, ICF, "
                    "RDRF, TDRE in signali delov plošče kot IME.SIGNAL)";
            return std::nullopt;
        }
        add(*it);
    }
    return out;
}

// --- the recorder --------------------------------------------------------------------------------

TSignalRecorder::TSignalRecorder(size_t capacity) : capacity_(std::max<size_t>(capacity, 2)) {}

void TSignalRecorder::Clear() {
    ring_.clear();
    first_ = count_ = 0;
    dropped_ = 0;
    last_ = 0;
    now_ = 0;
}

void TSignalRecorder::Append(uint64_t time, uint32_t levels) {
    now_ = time;
    // A second change at the same time (a clock tick between two steps) replaces the first.
    if (count_ != 0 && At(count_ - 1).Time == time) {
        --count_;
        last_ = count_ ? At(count_ - 1).Levels : ~levels;
        if (count_ != 0 && last_ == levels) {
            if (ring_.size() < capacity_) ring_.resize(count_);
            return;
        }
        if (ring_.size() < capacity_) ring_.resize(count_);
    }
    const TSignalChange change{time, levels};
    if (count_ == ring_.size() && ring_.size() < capacity_) {
        ring_.push_back(change);
        ++count_;
    } else if (count_ < ring_.size()) {
        ring_[(first_ + count_) % ring_.size()] = change;
        ++count_;
    } else {
        ring_[first_] = change;
        first_ = (first_ + 1) % ring_.size();
        ++dropped_;
    }
    last_ = levels;
}

void TSignalRecorder::Rewind(uint64_t time, uint32_t levels) {
    while (count_ != 0 && At(count_ - 1).Time >= time)
        --count_;
    // While the ring grows it starts at slot 0 and holds exactly the changes kept.
    if (ring_.size() < capacity_) ring_.resize(count_);
    last_ = count_ ? At(count_ - 1).Levels : 0;
    if (count_ == 0 || levels != last_) Append(time, levels);
    now_ = time;
}

size_t TSignalRecorder::IndexAt(uint64_t time) const {
    // The first change after `time`, then one back.
    size_t low = 0, high = count_;
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (At(mid).Time <= time) low = mid + 1;
        else high = mid;
    }
    return low == 0 ? 0 : low - 1;
}

uint32_t TSignalRecorder::LevelsAt(uint64_t time) const { return count_ ? At(IndexAt(time)).Levels : 0; }

std::optional<uint64_t> TSignalRecorder::NextEdge(int bit, uint64_t time) const {
    if (count_ == 0) return std::nullopt;
    const uint32_t mask = uint32_t{1} << bit;
    size_t i = IndexAt(time);
    const uint32_t level = At(i).Levels & mask;
    for (++i; i < count_; ++i)
        if ((At(i).Levels & mask) != level && At(i).Time > time) return At(i).Time;
    return std::nullopt;
}

std::optional<uint64_t> TSignalRecorder::PreviousEdge(int bit, uint64_t time) const {
    if (count_ == 0 || time == 0) return std::nullopt;
    const uint32_t mask = uint32_t{1} << bit;
    // The change that set the level seen just before `time`.
    size_t i = IndexAt(time - 1);
    const uint32_t level = At(i).Levels & mask;
    while (i > 0 && (At(i - 1).Levels & mask) == level)
        --i;
    if (i == 0) return std::nullopt;
    return At(i).Time;
}

std::string TimeSpanText(uint64_t units, uint64_t hz) {
    // 1 korak, 2 koraka, 3 koraki, 5 korakov; 101 korak, 102 koraka, ...
    static constexpr const char* kSteps[] = {"korakov", "korak", "koraka", "koraki"};
    static constexpr const char* kCycles[] = {"ciklov", "cikel", "cikla", "cikli"};
    const uint64_t rest = units % 100;
    const int form = rest == 1 ? 1 : rest == 2 ? 2 : rest == 3 || rest == 4 ? 3 : 0;
    std::string text = std::to_string(units) + " " + (hz == 0 ? kSteps : kCycles)[form];
    if (hz == 0) return text;
    char us[48];
    std::snprintf(us, sizeof us, "%.1f", static_cast<double>(units) * 1e6 / static_cast<double>(hz));
    std::string micro = us;
    std::replace(micro.begin(), micro.end(), '.', ',');
    return text + " = " + micro + " µs";
}

// --- the Value Change Dump -----------------------------------------------------------------------

std::string VcdText(const TSignalRecorder& recorder, const std::vector<TSignal>& chosen, uint64_t hz) {
    std::string out;
    out += "$version Orlek $end\n";
    const std::optional<std::string> cycle = CycleTimescale(hz);
    // Time stamps: steps (hz 0), cycles, or nanoseconds rounded down.
    const bool nanoseconds = hz != 0 && !cycle;
    if (hz == 0) {
        out += "$comment enota časa: en korak (klasični model) $end\n$timescale 1 us $end\n";
    } else {
        out += "$comment E = " + FrequencyText(hz) +
               "; enota časa: " + (nanoseconds ? std::string("1 ns") : std::string("en cikel E")) + " $end\n";
        out += "$timescale " + (nanoseconds ? std::string("1 ns") : *cycle) + " $end\n";
    }
    auto stamp = [&](uint64_t time) {
        if (!nanoseconds) return time;
        // The cycle's time, as the lab board counts it: exact for any count below 2^64 / 10^9 s.
        const unsigned __int128 ns = static_cast<unsigned __int128>(time) * 1'000'000'000u / hz;
        return static_cast<uint64_t>(ns);
    };
    if (recorder.Dropped() != 0)
        out += "$comment starejših sprememb ni več: " + std::to_string(recorder.Dropped()) + " $end\n";
    out += "$scope module orlek $end\n";
    std::vector<std::string> ids;
    for (size_t i = 0; i < chosen.size(); ++i) {
        ids.push_back(VcdId(i));
        out += "$var wire 1 " + ids.back() + " " + chosen[i].Name + " $end\n";
    }
    out += "$upscope $end\n$enddefinitions $end\n";
    if (recorder.Count() == 0) return out;
    uint32_t mask = 0;
    for (const TSignal& signal : chosen)
        mask |= uint32_t{1} << signal.Bit;
    const TSignalChange& first = recorder.At(0);
    out += "#" + std::to_string(stamp(first.Time)) + "\n$dumpvars\n";
    for (size_t i = 0; i < chosen.size(); ++i)
        out += ((first.Levels >> chosen[i].Bit) & 1u ? "1" : "0") + ids[i] + "\n";
    out += "$end\n";
    uint32_t levels = first.Levels;
    uint64_t last = stamp(first.Time);
    for (size_t c = 1; c < recorder.Count(); ++c) {
        const TSignalChange& change = recorder.At(c);
        const uint32_t changed = (change.Levels ^ levels) & mask;
        if (changed == 0) continue;
        const uint64_t time = stamp(change.Time);
        if (time != last) out += "#" + std::to_string(time) + "\n";
        last = time;
        for (size_t i = 0; i < chosen.size(); ++i)
            if ((changed >> chosen[i].Bit) & 1u)
                out += ((change.Levels >> chosen[i].Bit) & 1u ? "1" : "0") + ids[i] + "\n";
        levels = change.Levels;
    }
    // The recording goes on up to now: the last levels hold until then.
    if (stamp(recorder.Now()) > last) out += "#" + std::to_string(stamp(recorder.Now())) + "\n";
    return out;
}

bool WriteVcd(const std::string& path, const TSignalRecorder& recorder, const std::vector<TSignal>& chosen,
              uint64_t hz, std::string& error) {
    TOutputFile file;
    if (!file.Open(path, error)) return false;
    const std::string text = VcdText(recorder, chosen, hz);
    // A short write leaves the stream's error set, which Commit reports.
    std::fwrite(text.data(), 1, text.size(), file.Stream());
    return file.Commit(error);
}
