// The whole assembler pipeline on arbitrary source text: decoding as orlek-cli does, assembly
// with the listing, the S-records of the image, the load and a few hundred steps with the
// device clocks ticking. Checks: the messages of a failure, the listing's line numbers and
// source texts, S-records that read back as exactly the assembled bytes, D = A:B after every
// step and port bits within their masks.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "assembler/compiler.h"
#include "assembler/srecord.h"
#include "base/encoding.h"
#include "engine/machine.h"
#include "fuzz/check.h"
#include "session/messages.h"
#include "session/session.h"

namespace {

TSession& Session() {
    static TSession* session = [] {
        auto* s = new TSession(ORLEK_PROGRAM_DIR, /*defaultListing=*/false);
        s->Log.Enabled = false;
        s->Machine().Random.Seed(1);
        return s;
    }();
    return *session;
}

const std::string& ListingPath() {
    static const std::string path = "/tmp/orlek-fuzz-" + std::to_string(::getpid()) + ".lst";
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

unsigned HexValue(std::string_view hex) {
    unsigned v = 0;
    for (char c : hex) {
        FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
        v = v * 16 + static_cast<unsigned>(c <= '9' ? c - '0' : c - 'A' + 10);
    }
    return v;
}

bool Assembled(const MemoryCell& c) { return c.Line > 0 || c.Line == PresetLine; }

// Every line is "nnnnn  <text of at least 16> <source>" with CR LF; the numbers run on by one
// from the first line; the source part is the line the assembler was given.
void CheckListing(const std::string& listing, const std::vector<std::string>& lines) {
    size_t start = 0;
    long expected = -1;
    while (start < listing.size()) {
        size_t end = listing.find("\r\n", start);
        FUZZ_CHECK(end != std::string::npos);
        std::string_view line(listing.data() + start, end - start);
        FUZZ_CHECK(line.size() >= 5 + 2 + 16 + 1);
        size_t digits = line.find_first_not_of(' ');
        size_t numberEnd = line.find(' ', digits);
        FUZZ_CHECK(numberEnd != std::string_view::npos && numberEnd >= 5);
        const long number = std::stol(std::string(line.substr(digits, numberEnd - digits)));
        if (expected >= 0) FUZZ_CHECK(number == expected);
        expected = number + 1;
        FUZZ_CHECK(number >= 0 && static_cast<size_t>(number) <= lines.size() + 1);
        if (number >= 1 && static_cast<size_t>(number) <= lines.size()) {
            const std::string& source = lines[static_cast<size_t>(number) - 1];
            FUZZ_CHECK(line.size() >= source.size() && line.substr(line.size() - source.size()) == source);
        }
        start = end + 2;
    }
}

// The records' checksums hold and their data are exactly the assembled cells.
void CheckSRecords(const std::string& s19, const TMemory& memory) {
    size_t dataBytes = 0, start = 0;
    while (start < s19.size()) {
        size_t end = s19.find('\n', start);
        FUZZ_CHECK(end != std::string::npos);
        std::string_view record(s19.data() + start, end - start);
        FUZZ_CHECK(record.size() >= 10 && record[0] == 'S' && record.size() % 2 == 0);
        const unsigned count = HexValue(record.substr(2, 2));
        FUZZ_CHECK(record.size() == 4 + 2 * count);
        unsigned sum = 0;
        for (size_t i = 2; i < record.size(); i += 2)
            sum += HexValue(record.substr(i, 2));
        FUZZ_CHECK((sum & 0xFF) == 0xFF);
        if (record[1] == '1') {
            unsigned address = HexValue(record.substr(4, 4));
            for (size_t i = 8; i + 2 < record.size(); i += 2, ++dataBytes) {
                const MemoryCell& cell = memory.Cells[address++ & 0xFFFF];
                FUZZ_CHECK(Assembled(cell) && cell.Value == HexValue(record.substr(i, 2)));
            }
        }
        start = end + 1;
    }
    size_t assembled = 0;
    for (const MemoryCell& cell : memory.Cells)
        assembled += Assembled(cell);
    FUZZ_CHECK(dataBytes == assembled);
}

void CheckBoard(TMachine& m) {
    FUZZ_CHECK(m.Cpu.D == static_cast<uint16_t>(m.Cpu.A << 8 | m.Cpu.B));
    FUZZ_CHECK((m.Port1.St.Level & ~m.Port1.Mask()) == 0 && (m.Port1.St.Direction & ~m.Port1.Mask()) == 0);
    FUZZ_CHECK((m.Port2.St.Level & ~m.Port2.Mask()) == 0 && (m.Port2.St.Direction & ~m.Port2.Mask()) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
    const std::vector<std::string> lines =
        SplitLines(IsValidUtf8(text) ? Utf8ToCp1250(text) : std::string(text));

    TSession& session = Session();
    session.ListingPath = ListingPath();
    ::unlink(ListingPath().c_str());
    const TLoadResult result = session.LoadProgram(lines);
    FUZZ_CHECK(result.Done);
    if (!result.Ok) {
        FUZZ_CHECK(!result.Messages.empty() && result.Messages.back() == kCannotStartMessage);
        FUZZ_CHECK(result.ErrorLine >= 0 && static_cast<size_t>(result.ErrorLine) <= lines.size() + 1);
    }
    const std::string listing = ReadAll(ListingPath());
    if (!listing.empty()) CheckListing(listing, lines);
    ::unlink(ListingPath().c_str());
    if (!result.Ok) return 0;

    TMachine& machine = session.Machine();
    CheckSRecords(MakeSRecords(machine.Memory, "fuzz"), machine.Memory);
    CheckBoard(machine);
    for (int step = 1; step <= 300 && session.Loaded(); ++step) {
        if (step % 5 == 0) machine.Timer.TimerTick();
        if (step % 150 == 0) machine.Sci.SciTick();
        session.StepOnce();
        CheckBoard(machine);
    }
    session.Stop();
    return 0;
}
