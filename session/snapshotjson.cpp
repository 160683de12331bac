#include "session/snapshotjson.h"

#include <cstdint>
#include <limits>

namespace {

using Out = nlohmann::ordered_json;
using In = nlohmann::json;

constexpr uint64_t kAny = std::numeric_limits<uint64_t>::max();
// The memory is written as rows of this many bytes, so that the file stays readable.
constexpr size_t kRowBytes = 64;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Out ConditionToJson(const TraceCondition& c) {
    return {{"address", c.Address},
            {"address_mask", c.AddressMask},
            {"data", c.Data},
            {"data_mask", c.DataMask},
            {"direction", c.Direction ? "write" : "read"}};
}

TraceCondition ConditionFromJson(const In& json, const std::string& where) {
    const TSnapshotFields f(json, where);
    TraceCondition c;
    c.Address = static_cast<uint16_t>(f.Number("address", 0xFFFF));
    c.AddressMask = static_cast<uint16_t>(f.Number("address_mask", 0xFFFF));
    c.Data = static_cast<uint8_t>(f.Number("data", 0xFF));
    c.DataMask = static_cast<uint8_t>(f.Number("data_mask", 0xFF));
    const std::string direction = f.Text("direction");
    if (direction != "read" && direction != "write") f.Fail("\"direction\" mora biti \"read\" ali \"write\"");
    c.Direction = direction == "write" ? 1 : 0;
    // A pattern digit under a don't-care mask digit never matches: such a condition was not made
    // by the trace window.
    if ((c.Address & ~c.AddressMask) != 0 || (c.Data & ~c.DataMask) != 0)
        f.Fail("vzorec ima števke tam, kjer jih maska ne primerja");
    return c;
}

std::vector<TraceCondition> ConditionsFromJson(const TSnapshotFields& f, const char* key) {
    std::vector<TraceCondition> out;
    const In& list = f.Array(key);
    for (size_t i = 0; i < list.size(); ++i)
        out.push_back(ConditionFromJson(list[i], f.Where() + "." + key + "[" + std::to_string(i) + "]"));
    return out;
}

} // namespace

TSnapshotFields::TSnapshotFields(const In& object, std::string where)
    : object_(object), where_(std::move(where)) {
    if (!object.is_object()) throw TSnapshotError(where_ + " mora biti objekt");
}

void TSnapshotFields::Fail(const std::string& what) const { throw TSnapshotError(where_ + ": " + what); }

const In& TSnapshotFields::Get(const char* key) const {
    if (!object_.contains(key)) Fail(std::string("manjka \"") + key + "\"");
    return object_[key];
}

uint64_t TSnapshotFields::Number(const char* key, uint64_t high) const {
    const In& v = Get(key);
    if (!v.is_number_unsigned() || v.get<uint64_t>() > high)
        Fail(std::string("\"") + key + "\" mora biti celo število od 0 do " + std::to_string(high));
    return v.get<uint64_t>();
}

int64_t TSnapshotFields::Signed(const char* key, int64_t low, int64_t high) const {
    const In& v = Get(key);
    if (!v.is_number_integer() || v.get<int64_t>() < low || v.get<int64_t>() > high)
        Fail(std::string("\"") + key + "\" mora biti celo število od " + std::to_string(low) + " do " +
             std::to_string(high));
    return v.get<int64_t>();
}

bool TSnapshotFields::Flag(const char* key) const {
    const In& v = Get(key);
    if (!v.is_boolean()) Fail(std::string("\"") + key + "\" mora biti true ali false");
    return v.get<bool>();
}

std::string TSnapshotFields::Text(const char* key) const {
    const In& v = Get(key);
    if (!v.is_string()) Fail(std::string("\"") + key + "\" mora biti besedilo");
    return v.get<std::string>();
}

std::vector<uint8_t> TSnapshotFields::Bytes(const char* key) const {
    const std::string text = Text(key);
    if (text.size() % 2 != 0)
        Fail(std::string("\"") + key + "\" mora imeti sodo število šestnajstiških števk");
    std::vector<uint8_t> out(text.size() / 2);
    for (size_t i = 0; i < out.size(); ++i) {
        const int high = HexDigit(text[2 * i]), low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) Fail(std::string("\"") + key + "\" sme vsebovati le šestnajstiške števke");
        out[i] = static_cast<uint8_t>(high << 4 | low);
    }
    return out;
}

const In& TSnapshotFields::Array(const char* key) const {
    const In& v = Get(key);
    if (!v.is_array()) Fail(std::string("\"") + key + "\" mora biti seznam");
    return v;
}

std::string HexBytes(const uint8_t* bytes, size_t n) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(2 * n);
    for (size_t i = 0; i < n; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

// --- the machine --------------------------------------------------------------------------------

Out MachineToJson(const TMachine::State& s) {
    Out pending = Out::array();
    for (size_t n = 0; n < TPending::kSize; ++n)
        if (s.Cpu.Pending.test(n)) pending.push_back(n);
    Out memory = Out::array();
    std::vector<uint8_t> row(kRowBytes);
    for (size_t a = 0; a < s.Cells.size(); a += kRowBytes) {
        for (size_t k = 0; k < kRowBytes; ++k)
            row[k] = s.Cells[a + k].Value;
        memory.push_back(HexBytes(row.data(), row.size()));
    }
    // The line tags as runs of cells with the same line: [address, count, line]. Cells without
    // assembled code (NoLine) are left out.
    Out lines = Out::array();
    for (size_t a = 0; a < s.Cells.size();) {
        size_t end = a + 1;
        while (end < s.Cells.size() && s.Cells[end].Line == s.Cells[a].Line)
            ++end;
        if (s.Cells[a].Line != NoLine) lines.push_back({a, end - a, s.Cells[a].Line});
        a = end;
    }
    return {{"cpu",
             {{"a", s.Cpu.A},
              {"b", s.Cpu.B},
              {"x", s.Cpu.X},
              {"sp", s.Cpu.SP},
              {"pc", s.Cpu.PC},
              {"ccr", s.Cpu.CCR},
              {"pending", pending},
              {"waiting", s.Cpu.Waiting}}},
            {"memory", memory},
            {"lines", lines},
            {"port1", {{"ddr", s.Port1.Direction}, {"dr", s.Port1.Level}}},
            {"port2", {{"ddr", s.Port2.Direction}, {"dr", s.Port2.Level}}},
            {"timer",
             {{"counter", s.Timer.Counter},
              {"compare", s.Timer.OutputCompare},
              {"capture", s.Timer.InputCapture},
              {"tcsr", s.Timer.TCSR}}},
            {"sci",
             {{"rmcr", s.Sci.RMCR},
              {"trcsr", s.Sci.TRCSR},
              {"rdr", s.Sci.RDR},
              {"tdr", s.Sci.TDR},
              {"tx_count", s.Sci.TxCount},
              {"rx_count", s.Sci.RxCount},
              {"rx_byte", s.Sci.RxByte},
              {"rdr_taken", s.Sci.RdrTaken},
              {"overrun_seen", s.Sci.OverrunSeen},
              {"rate_mismatch", s.Sci.RateMismatch}}},
            {"loopback", s.Loopback},
            {"trace_triggered", s.Trace.Triggered},
            {"random", s.Random.Position},
            // What only the chip model keeps: the halves of clearing sequences, the latched
            // counter byte, the serial frames on the line, the RAM control register.
            {"timer_chip",
             {{"armed", s.TimerChip.Armed},
              {"low_latch", s.TimerChip.LowLatch},
              {"latched", s.TimerChip.Latched}}},
            {"sci_chip",
             {{"tx_left", s.SciChip.TxLeft},
              {"rx_left", s.SciChip.RxLeft},
              {"idle_left", s.SciChip.IdleLeft},
              {"tx_shift", s.SciChip.TxShift},
              {"rx_next", s.SciChip.RxNext},
              {"rx_next_queued", s.SciChip.RxNextQueued},
              {"rx_next_mismatch", s.SciChip.RxNextMismatch},
              {"armed", s.SciChip.Armed},
              {"tx_preamble", s.SciChip.TxPreamble}}},
            {"ram_control", s.RamControl}};
}

TMachine::State MachineFromJson(const In& json, size_t sourceLines) {
    const TSnapshotFields f(json, "machine");
    TMachine::State s{};

    const TSnapshotFields cpu(f.Get("cpu"), "machine.cpu");
    s.Cpu.A = static_cast<uint8_t>(cpu.Number("a", 0xFF));
    s.Cpu.B = static_cast<uint8_t>(cpu.Number("b", 0xFF));
    s.Cpu.X = static_cast<uint16_t>(cpu.Number("x", 0xFFFF));
    s.Cpu.SP = static_cast<uint16_t>(cpu.Number("sp", 0xFFFF));
    s.Cpu.PC = static_cast<uint16_t>(cpu.Number("pc", 0xFFFF));
    s.Cpu.CCR = static_cast<uint8_t>(cpu.Number("ccr", 0xFF));
    // The two upper bits of the condition code register always read as ones.
    if ((s.Cpu.CCR & 0xC0) != 0xC0) cpu.Fail("\"ccr\" mora imeti bita 6 in 7 postavljena");
    for (const In& n : cpu.Array("pending")) {
        if (!n.is_number_unsigned() || n.get<uint64_t>() >= TPending::kSize)
            cpu.Fail("\"pending\" mora biti seznam števil od 0 do 255");
        s.Cpu.Pending.set(n.get<size_t>());
    }
    s.Cpu.Waiting = cpu.Flag("waiting");

    s.Cells.assign(size_t{1} << 16, MemoryCell{});
    const In& memory = f.Array("memory");
    if (memory.size() * kRowBytes != s.Cells.size())
        f.Fail("\"memory\" mora imeti " + std::to_string(s.Cells.size() / kRowBytes) + " vrstic po " +
               std::to_string(kRowBytes) + " bajtov");
    for (size_t r = 0; r < memory.size(); ++r) {
        const In wrapped = {{"row", memory[r]}};
        const std::vector<uint8_t> row =
            TSnapshotFields(wrapped, "machine.memory[" + std::to_string(r) + "]").Bytes("row");
        if (row.size() != kRowBytes)
            f.Fail("vrstica " + std::to_string(r) + " v \"memory\" mora imeti " + std::to_string(kRowBytes) +
                   " bajtov");
        for (size_t k = 0; k < kRowBytes; ++k)
            s.Cells[r * kRowBytes + k].Value = row[k];
    }
    const In& lines = f.Array("lines");
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string where = "machine.lines[" + std::to_string(i) + "]";
        const In& run = lines[i];
        if (!run.is_array() || run.size() != 3 || !run[0].is_number_unsigned() ||
            !run[1].is_number_unsigned() || !run[2].is_number_integer())
            throw TSnapshotError(where + " mora biti [naslov, število celic, vrstica]");
        const uint64_t address = run[0].get<uint64_t>(), count = run[1].get<uint64_t>();
        const int64_t line = run[2].get<int64_t>();
        if (address >= s.Cells.size() || count == 0 || count > s.Cells.size() - address)
            throw TSnapshotError(where + ": celice segajo čez naslovni prostor");
        if (line < 0 || line > INT16_MAX || static_cast<uint64_t>(line) > sourceLines)
            throw TSnapshotError(where + ": vrstica " + std::to_string(line) + " ni v izvornem besedilu (" +
                                 std::to_string(sourceLines) + " vrstic)");
        for (uint64_t k = 0; k < count; ++k)
            s.Cells[address + k].Line = static_cast<int16_t>(line);
    }

    const TSnapshotFields p1(f.Get("port1"), "machine.port1"), p2(f.Get("port2"), "machine.port2");
    s.Port1 = {static_cast<uint8_t>(p1.Number("ddr", 0xFF)), static_cast<uint8_t>(p1.Number("dr", 0xFF))};
    // Port 2 has five pins.
    s.Port2 = {static_cast<uint8_t>(p2.Number("ddr", 0x1F)), static_cast<uint8_t>(p2.Number("dr", 0x1F))};

    const TSnapshotFields timer(f.Get("timer"), "machine.timer");
    s.Timer.Counter = static_cast<uint16_t>(timer.Number("counter", 0xFFFF));
    s.Timer.OutputCompare = static_cast<uint16_t>(timer.Number("compare", 0xFFFF));
    s.Timer.InputCapture = static_cast<uint16_t>(timer.Number("capture", 0xFFFF));
    s.Timer.TCSR = static_cast<uint8_t>(timer.Number("tcsr", 0xFF));

    const TSnapshotFields sci(f.Get("sci"), "machine.sci");
    s.Sci.RMCR = static_cast<uint8_t>(sci.Number("rmcr", 0xFF));
    s.Sci.TRCSR = static_cast<uint8_t>(sci.Number("trcsr", 0xFF));
    s.Sci.RDR = static_cast<uint8_t>(sci.Number("rdr", 0xFF));
    s.Sci.TDR = static_cast<uint8_t>(sci.Number("tdr", 0xFF));
    s.Sci.TxCount = static_cast<uint8_t>(sci.Number("tx_count", 0xFF));
    s.Sci.RxCount = static_cast<uint8_t>(sci.Number("rx_count", 0xFF));
    s.Sci.RxByte = static_cast<uint8_t>(sci.Number("rx_byte", 0xFF));
    s.Sci.RdrTaken = sci.Flag("rdr_taken");
    s.Sci.OverrunSeen = sci.Flag("overrun_seen");
    s.Sci.RateMismatch = sci.Flag("rate_mismatch");

    s.Loopback = f.Flag("loopback");
    s.Trace.Triggered = f.Flag("trace_triggered");
    s.Random.Position = f.Number("random", kAny);

    const TSnapshotFields tc(f.Get("timer_chip"), "machine.timer_chip");
    s.TimerChip.Armed = static_cast<uint8_t>(tc.Number("armed", 0xFF));
    s.TimerChip.LowLatch = static_cast<uint8_t>(tc.Number("low_latch", 0xFF));
    s.TimerChip.Latched = tc.Flag("latched");
    const TSnapshotFields sc(f.Get("sci_chip"), "machine.sci_chip");
    s.SciChip.TxLeft = static_cast<uint16_t>(sc.Number("tx_left", 0xFFFF));
    s.SciChip.RxLeft = static_cast<uint16_t>(sc.Number("rx_left", 0xFFFF));
    s.SciChip.IdleLeft = static_cast<uint16_t>(sc.Number("idle_left", 0xFFFF));
    s.SciChip.TxShift = static_cast<uint8_t>(sc.Number("tx_shift", 0xFF));
    s.SciChip.RxNext = static_cast<uint8_t>(sc.Number("rx_next", 0xFF));
    s.SciChip.RxNextQueued = sc.Flag("rx_next_queued");
    s.SciChip.RxNextMismatch = sc.Flag("rx_next_mismatch");
    s.SciChip.Armed = static_cast<uint8_t>(sc.Number("armed", 0xFF));
    // Not in the files of the first version: no preamble on the line then.
    s.SciChip.TxPreamble = sc.Has("tx_preamble") && sc.Flag("tx_preamble");
    s.RamControl = static_cast<uint8_t>(f.Number("ram_control", 0xFF));
    return s;
}

// --- the terminal and the trace ---------------------------------------------------------------

// The output field is 8-bit text in the machine's code page: written as hexadecimal digits, so
// that every byte comes back as it was.
Out TerminalToJson(const TSciTerminal::State& s) {
    return {{"output", HexBytes(reinterpret_cast<const uint8_t*>(s.Output.data()), s.Output.size())},
            {"received", HexBytes(s.Received.data(), s.Received.size())}};
}

TSciTerminal::State TerminalFromJson(const In& json) {
    const TSnapshotFields f(json, "terminal");
    const std::vector<uint8_t> output = f.Bytes("output");
    return {std::string(output.begin(), output.end()), f.Bytes("received")};
}

Out TraceToJson(const TTraceRecord& t) {
    Out triggers = Out::array(), qualifiers = Out::array();
    for (const TraceCondition& c : t.Triggers)
        triggers.push_back(ConditionToJson(c));
    for (const TraceCondition& c : t.Qualifiers)
        qualifiers.push_back(ConditionToJson(c));
    // Each row as four bytes: address (high, low), data, direction.
    std::vector<uint8_t> rows;
    rows.reserve(4 * t.Rows.size());
    for (const TraceRow& r : t.Rows)
        rows.insert(rows.end(), {static_cast<uint8_t>(r.Address >> 8), static_cast<uint8_t>(r.Address),
                                 r.Data, r.Direction});
    return {{"enabled", t.Enabled},
            {"limit", t.RowLimit},
            {"triggers", triggers},
            {"qualifiers", qualifiers},
            {"rows", HexBytes(rows.data(), rows.size())},
            {"dropped", t.Dropped},
            {"recorded", t.Recorded}};
}

TTraceRecord TraceFromJson(const In& json) {
    const TSnapshotFields f(json, "trace");
    TTraceRecord t;
    t.Enabled = f.Flag("enabled");
    t.RowLimit = f.Number("limit", kAny);
    t.Triggers = ConditionsFromJson(f, "triggers");
    t.Qualifiers = ConditionsFromJson(f, "qualifiers");
    const std::vector<uint8_t> rows = f.Bytes("rows");
    if (rows.size() % 4 != 0) f.Fail("\"rows\" mora imeti po 4 bajte za vsak dostop");
    for (size_t i = 0; i < rows.size(); i += 4) {
        if (rows[i + 3] > 1) f.Fail("smer dostopa v \"rows\" mora biti 0 (branje) ali 1 (pisanje)");
        t.Rows.push_back({static_cast<uint16_t>(rows[i] << 8 | rows[i + 1]), rows[i + 2], rows[i + 3]});
    }
    t.Dropped = f.Number("dropped", kAny);
    t.Recorded = f.Number("recorded", kAny);
    if (t.Rows.size() > t.RowLimit) f.Fail("vrstic je več, kot jih sled hrani (\"limit\")");
    if (t.Recorded < t.Rows.size()) f.Fail("\"recorded\" je manjše od števila vrstic");
    return t;
}
