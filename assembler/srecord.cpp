#include "assembler/srecord.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "assembler/outfile.h"
#include "engine/hex.h"

namespace {

void AppendByte(std::string& s, uint8_t v) { AppendHex(s, v, 2); }

// One record: type, 16-bit address, data; count and one's-complement checksum computed here.
void AppendRecord(std::string& out, char type, uint16_t address, const uint8_t* data, size_t n) {
    uint8_t count = static_cast<uint8_t>(n + 3);
    unsigned sum = count + (address >> 8) + (address & 0xFF);
    out.push_back('S');
    out.push_back(type);
    AppendByte(out, count);
    AppendByte(out, static_cast<uint8_t>(address >> 8));
    AppendByte(out, static_cast<uint8_t>(address));
    for (size_t i = 0; i < n; ++i) {
        AppendByte(out, data[i]);
        sum += data[i];
    }
    AppendByte(out, static_cast<uint8_t>(~sum));
    out.push_back('\n');
}

bool Assembled(const MemoryCell& c) { return c.Line > 0 || c.Line == PresetLine; }

} // namespace

std::string MakeSRecords(const TMemory& memory, std::string_view name, int bytesPerRecord) {
    if (bytesPerRecord < 1 || bytesPerRecord > 32)
        throw std::invalid_argument("S-record: število zlogov v zapisu mora biti med 1 in 32");
    std::string out;
    if (name.size() > 64) name = name.substr(0, 64);
    AppendRecord(out, '0', 0, reinterpret_cast<const uint8_t*>(name.data()), name.size());

    uint8_t data[32];
    for (uint32_t a = 0; a < 0x10000;) {
        if (!Assembled(memory.Cells[a])) {
            ++a;
            continue;
        }
        uint32_t start = a;
        size_t n = 0;
        while (a < 0x10000 && n < static_cast<size_t>(bytesPerRecord) && Assembled(memory.Cells[a]))
            data[n++] = memory.Cells[a++].Value;
        AppendRecord(out, '1', static_cast<uint16_t>(start), data, n);
    }
    uint16_t reset = static_cast<uint16_t>(memory.Cells[0xFFFE].Value << 8 | memory.Cells[0xFFFF].Value);
    AppendRecord(out, '9', reset, nullptr, 0);
    return out;
}

void WriteSRecords(const std::string& path, const TMemory& memory, std::string_view name,
                   int bytesPerRecord) {
    std::string text = MakeSRecords(memory, name, bytesPerRecord);
    TOutputFile out;
    std::string error;
    if (out.Open(path, error)) {
        std::fwrite(text.data(), 1, text.size(), out.Stream());
        if (out.Commit(error)) return;
    }
    throw std::runtime_error("Ne morem zapisati zapisov S: " + error);
}
