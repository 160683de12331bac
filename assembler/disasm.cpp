#include "assembler/disasm.h"

#include <algorithm>

#include "assembler/compiler.h"
#include "engine/hex.h"

namespace {

constexpr size_t kLabelColumn = 8;   // source text: label, then the mnemonic from column 9
constexpr size_t kMnemonicWidth = 6; // source text: mnemonic field, then the operand
constexpr size_t kSmBytesPerLine = 48;

std::string Hex(unsigned value, int digits) { return "$" + HexText(value, digits); }

void PadTo(std::string& text, size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
}

// Per opcode: whether its mnemonic also has a direct form (then a small number selects it).
const std::array<bool, 256>& HasDirectForm() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (const IsaEntry& e : IsaTable())
            for (const IsaEntry& other : IsaTable())
                if (other.Mode == AddressingMode::Direct && std::string_view(other.Mnemonic) == e.Mnemonic)
                    t[e.Opcode] = true;
        return t;
    }();
    return table;
}

std::string LabelOrNumber(const TLabelOf& labelOf, uint16_t value, int digits) {
    if (labelOf) {
        std::string label = labelOf(value);
        if (!label.empty()) return label;
    }
    return Hex(value, digits);
}

std::string GeneratedLabel(uint16_t value) { return "L" + HexText(value, 4); }

// A source line: label, mnemonic and operand in their columns.
std::string SourceRow(std::string_view label, std::string_view mnemonic, std::string_view operand) {
    std::string text(label);
    text += ' '; // a label field always ends with a blank
    PadTo(text, kLabelColumn);
    text += mnemonic;
    if (!operand.empty()) {
        text += ' ';
        PadTo(text, kLabelColumn + kMnemonicWidth);
        text += operand;
    }
    return text;
}

// The compact form of a source too long for one line per instruction: the bytes preset with
// SM, many to a line, and the vector words as FDB (so the reset vector counts as written).
std::string CompactSource(const TDisassembly& dis, const std::string& title) {
    std::string out = title + "\n";
    out += "* Program ima preveč vrstic, da bi bil vsak ukaz v svoji (prevajalnik zapiše bajte le iz\n"
           "* prvih 32767 vrstic), zato so bajti zapisani z SM, vektorji pa s FDB.\n";
    std::string sm;
    size_t inLine = 0;
    uint32_t next = 0x10000;
    auto flush = [&] {
        if (!sm.empty()) out += sm + "\n";
        sm.clear();
        inLine = 0;
    };
    for (const TDisLine& line : dis.Lines) {
        if (line.Kind == DisKind::Word) continue;
        for (uint8_t i = 0; i < line.Length; ++i) {
            const uint32_t address = line.Address + i;
            if (address != next || inLine == kSmBytesPerLine) {
                flush();
                sm = SourceRow("", "SM", Hex(address, 4));
            }
            sm += " " + Hex(line.Bytes[i], 2);
            ++inLine;
            next = address + 1;
        }
    }
    flush();
    for (const TDisLine& line : dis.Lines) {
        if (line.Kind != DisKind::Word) continue;
        out += SourceRow("", "ORG", Hex(line.Address, 4)) + "\n";
        out += SourceRow("", "FDB", Hex(line.Value, 4)) + "\n";
    }
    out += SourceRow("", "END", "") + "\n";
    return out;
}

} // namespace

size_t DecodeWindow(uint16_t address) {
    if (address >= kVectorTable) return std::min<size_t>(address % 2 == 0 ? 2 : 1, 0x10000u - address);
    return std::min<size_t>(3, kVectorTable - address);
}

TDisLine DecodeLine(uint16_t address, std::span<const uint8_t> bytes) {
    TDisLine line;
    line.Address = address;
    if (bytes.empty()) return line;
    line.Bytes[0] = bytes[0];
    line.Value = bytes[0];
    if (address >= kVectorTable) {
        if (address % 2 == 0 && bytes.size() >= 2) {
            line.Kind = DisKind::Word;
            line.Length = 2;
            line.Bytes[1] = bytes[1];
            line.Value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
        }
        return line;
    }
    const IsaEntry* e = IsaFindOpcode(bytes[0]);
    if (!e || e->Size > bytes.size()) return line;
    line.Kind = DisKind::Instruction;
    line.Entry = e;
    line.Length = e->Size;
    for (size_t i = 1; i < e->Size; ++i)
        line.Bytes[i] = bytes[i];
    const uint16_t word = static_cast<uint16_t>(line.Bytes[1] << 8 | line.Bytes[2]);
    switch (e->Mode) {
    case AddressingMode::Inherent:
    case AddressingMode::None:
        line.Value = 0;
        break;
    case AddressingMode::Immediate:
        line.Value = e->Size == 3 ? word : line.Bytes[1];
        break;
    case AddressingMode::Direct:
    case AddressingMode::Indexed:
        line.Value = line.Bytes[1];
        break;
    case AddressingMode::Extended:
        line.Value = word;
        break;
    case AddressingMode::Relative:
        line.Value = static_cast<uint16_t>(address + 2 + static_cast<int8_t>(line.Bytes[1]));
        break;
    }
    return line;
}

std::string MnemonicText(const TDisLine& line) {
    switch (line.Kind) {
    case DisKind::Instruction:
        return line.Entry->Mnemonic;
    case DisKind::Word:
        return "FDB";
    case DisKind::Byte:
        break;
    }
    return "FCB";
}

std::string OperandText(const TDisLine& line, const TLabelOf& labelOf) {
    switch (line.Kind) {
    case DisKind::Byte:
        return Hex(line.Value, 2);
    case DisKind::Word:
        return LabelOrNumber(labelOf, line.Value, 4);
    case DisKind::Instruction:
        break;
    }
    switch (line.Entry->Mode) {
    case AddressingMode::Inherent:
    case AddressingMode::None:
        return {};
    case AddressingMode::Immediate:
        return "#" + Hex(line.Value, line.Entry->Size == 3 ? 4 : 2);
    case AddressingMode::Direct:
        return Hex(line.Value, 2);
    case AddressingMode::Indexed:
        return Hex(line.Value, 2) + ",X";
    case AddressingMode::Extended:
    case AddressingMode::Relative:
        return LabelOrNumber(labelOf, line.Value, 4);
    }
    return {};
}

std::string BytesText(const TDisLine& line) {
    std::string text;
    for (uint8_t i = 0; i < line.Length; ++i) {
        if (i) text += ' ';
        AppendHex(text, line.Bytes[i], 2);
    }
    return text;
}

std::string DisRowText(const TDisLine& line, std::string_view label, std::string_view operand) {
    std::string text = HexText(line.Address, 4) + "  " + BytesText(line);
    PadTo(text, 16);
    text += label;
    text += ' ';
    PadTo(text, 24);
    text += MnemonicText(line);
    if (!operand.empty()) {
        text += ' ';
        PadTo(text, 29);
        text += operand;
    }
    return text;
}

bool ExtendedNeedsLabel(const TDisLine& line) {
    return line.Kind == DisKind::Instruction && line.Entry->Mode == AddressingMode::Extended &&
           line.Value <= 0xFF && HasDirectForm()[line.Bytes[0]];
}

bool Reassemblable(const TDisLine& line) {
    return line.Kind != DisKind::Instruction || line.Entry->Mode != AddressingMode::Relative ||
           static_cast<int8_t>(line.Bytes[1]) != -128;
}

TDisassembly DisassembleImage(const TCodeImage& image, uint16_t from, size_t count, bool forSource) {
    TDisassembly dis;
    for (uint32_t a = from; a < 0x10000 && dis.Lines.size() < count;) {
        if (!image.Has(a)) {
            ++a;
            continue;
        }
        const size_t window = DecodeWindow(static_cast<uint16_t>(a));
        std::array<uint8_t, 3> bytes{};
        size_t n = 0;
        while (n < window && image.Has(a + n)) {
            bytes[n] = image.Bytes[a + n];
            ++n;
        }
        dis.Lines.push_back(DecodeLine(static_cast<uint16_t>(a), std::span(bytes.data(), n)));
        a += dis.Lines.back().Length;
    }

    std::vector<bool> starts(0x10000);
    for (const TDisLine& line : dis.Lines)
        starts[line.Address] = true;
    for (const TDisLine& line : dis.Lines) {
        bool wanted = false;
        if (line.Kind == DisKind::Word) {
            wanted = starts[line.Value];
        } else if (line.Kind == DisKind::Instruction) {
            if (line.Entry->Mode == AddressingMode::Relative)
                wanted = Reassemblable(line) && (starts[line.Value] || forSource);
            else if (line.Entry->Mode == AddressingMode::Extended)
                wanted = starts[line.Value] || (forSource && ExtendedNeedsLabel(line));
        }
        if (wanted) dis.Labels.emplace(line.Value, GeneratedLabel(line.Value));
    }
    for (const auto& [value, name] : dis.Labels)
        if (!starts[value]) dis.Equates.push_back(value);
    return dis;
}

std::string DisassemblySource(const TDisassembly& dis, std::string_view title) {
    const TLabelOf labelOf = [&dis](uint16_t value) {
        auto it = dis.Labels.find(value);
        return it == dis.Labels.end() ? std::string() : it->second;
    };
    // A comment line: a line end in the title would end it.
    std::string comment = "* ";
    for (char c : title)
        comment += (c == '\n' || c == '\r') ? ' ' : c;
    std::vector<std::string> lines;
    lines.push_back(comment);
    for (uint16_t value : dis.Equates)
        lines.push_back(SourceRow(GeneratedLabel(value), "EQU", Hex(value, 4)));
    uint32_t next = 0x10000;
    for (const TDisLine& line : dis.Lines) {
        if (line.Address != next) lines.push_back(SourceRow("", "ORG", Hex(line.Address, 4)));
        next = line.Address + line.Length;
        const std::string label = labelOf(line.Address);
        if (!Reassemblable(line)) {
            for (uint8_t i = 0; i < line.Length; ++i)
                lines.push_back(SourceRow(i == 0 ? label : std::string(), "FCB", Hex(line.Bytes[i], 2)));
            continue;
        }
        lines.push_back(SourceRow(label, MnemonicText(line), OperandText(line, labelOf)));
    }
    // The assembler tags the bytes of a line with its number, which must fit 15 bits.
    if (lines.size() > static_cast<size_t>(TCompiler::MaxCodeLine)) return CompactSource(dis, comment);
    lines.push_back(SourceRow("", "END", ""));
    std::string out;
    for (std::string& line : lines) {
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out += line;
        out += '\n';
    }
    return out;
}

std::string DisassemblyListing(const TDisassembly& dis) {
    const TLabelOf labelOf = [&dis](uint16_t value) {
        auto it = dis.Labels.find(value);
        return it == dis.Labels.end() ? std::string() : it->second;
    };
    std::string out;
    for (const TDisLine& line : dis.Lines) {
        out += DisRowText(line, labelOf(line.Address), OperandText(line, labelOf));
        out += '\n';
    }
    return out;
}
