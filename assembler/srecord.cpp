#include "assembler/srecord.h"

#include <cstdio>
#include <stdexcept>
#include <vector>

#include "base/outfile.h"
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

namespace {

[[noreturn]] void Refuse(size_t line, const std::string& what) {
    throw SRecordError("zapis S v vrstici " + std::to_string(line) + ": " + what);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// One record line without its line end: the type digit and the bytes after "S" and the type
// (count, address, data, checksum), checked.
std::vector<uint8_t> RecordBytes(std::string_view text, size_t number) {
    if (text.size() < 4 || text[0] != 'S' || HexDigit(text[1]) < 0 || HexDigit(text[1]) > 9)
        Refuse(number, "vrstica ni zapis S (pričakujem \"S\", številko vrste in šestnajstiške bajte)");
    std::string_view digits = text.substr(2);
    if (digits.size() % 2 != 0) Refuse(number, "liho število šestnajstiških števk");
    std::vector<uint8_t> bytes;
    bytes.reserve(digits.size() / 2);
    for (size_t i = 0; i < digits.size(); i += 2) {
        const int hi = HexDigit(digits[i]), lo = HexDigit(digits[i + 1]);
        if (hi < 0 || lo < 0)
            Refuse(number, "\"" + std::string(digits.substr(i, 2)) + "\" ni šestnajstiški bajt");
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    if (bytes.size() != static_cast<size_t>(bytes[0]) + 1)
        Refuse(number, "dolžina " + std::to_string(bytes[0]) + " se ne ujema z " +
                           std::to_string(bytes.size() - 1) + " bajti v vrstici");
    unsigned sum = 0;
    for (size_t i = 0; i + 1 < bytes.size(); ++i)
        sum += bytes[i];
    if (static_cast<uint8_t>(~sum) != bytes.back()) Refuse(number, "napačna kontrolna vsota");
    return bytes;
}

} // namespace

TCodeImage ReadSRecords(std::string_view text) {
    TCodeImage image;
    size_t number = 0;
    while (!text.empty()) {
        ++number;
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.empty()) continue;
        const std::vector<uint8_t> bytes = RecordBytes(line, number);
        const char type = line[1];
        if (type == '2' || type == '3' || type == '7' || type == '8')
            Refuse(number, std::string("zapis S") + type +
                               " ima naslov, daljši od 16 bitov; MC6803 ima 64 KiB naslovnega prostora");
        if (type == '4') Refuse(number, "zapisa S4 ne poznam");
        if (bytes.size() < 4) Refuse(number, "zapis je prekratek za naslov");
        const uint16_t address = static_cast<uint16_t>(bytes[1] << 8 | bytes[2]);
        const size_t dataBegin = 3, dataEnd = bytes.size() - 1;
        switch (type) {
        case '0':
            image.Name.assign(bytes.begin() + dataBegin, bytes.begin() + static_cast<long>(dataEnd));
            break;
        case '1':
            if (address + (dataEnd - dataBegin) > 0x10000) Refuse(number, "podatki segajo čez naslov $FFFF");
            for (size_t i = dataBegin; i < dataEnd; ++i) {
                const auto at = static_cast<uint16_t>(address + (i - dataBegin));
                if (image.Has(at)) Refuse(number, "naslov $" + HexText(at, 4) + " je zapisan že prej");
                image.Set(at, bytes[i]);
            }
            break;
        case '9':
            image.Start = address;
            break;
        default: // S5, S6: record counts
            break;
        }
    }
    return image;
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
