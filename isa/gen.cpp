// isa-gen: writes the data files of the program directory from the instruction-set table.
//
//   isa-gen <program directory>
//
// Output (every file written to a temporary name and renamed into place):
//   bin/ukazi.red            one 43-byte record per mnemonic: the assembler's table
//   bin/ukazi.dat            256 records of 17 bytes: display text of each opcode
//   help/help.dat            KEY<TAB>FILE.htm lines for context help
//   help/commands.htm        index of all instructions
//   help/commands/<M>.htm    one page per mnemonic
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "isa/isa.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMnemonicMax = 5;
constexpr std::size_t kModeSlots = 4;
constexpr std::size_t kModeEntryBytes = 9;
constexpr std::size_t kRecordBytes = 1 + kMnemonicMax + 1 + kModeSlots * kModeEntryBytes; // 43
constexpr std::size_t kTextRecordBytes = 1 + IsaOpcodeTextMax;                            // 17

struct Failure {
    std::string message;
};

// Writes data to path so that readers see either the old file or the complete new one.
void WriteAtomic(const fs::path& path, const std::string& data) {
    std::random_device rd;
    fs::path tmp = path;
    tmp += ".tmp" + std::to_string(rd());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) throw Failure{"ne morem ustvariti datoteke " + tmp.string()};
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(tmp, ignored);
            throw Failure{"napaka pri pisanju datoteke " + tmp.string()};
        }
        out.close();
        if (out.fail()) {
            std::error_code ignored;
            fs::remove(tmp, ignored);
            throw Failure{"napaka pri zapiranju datoteke " + tmp.string()};
        }
    }
    std::error_code ec;
    fs::rename(tmp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        throw Failure{"ne morem preimenovati " + tmp.string() + " v " + path.string() + ": " + ec.message()};
    }
}

void MakeDirs(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir)) {
        throw Failure{"ne morem ustvariti mape " + dir.string() + (ec ? ": " + ec.message() : "")};
    }
}

// Rows of the table grouped per mnemonic, in order of first appearance.
struct Instruction {
    std::string mnemonic;
    std::vector<const IsaEntry*> rows;
};

std::vector<Instruction> Group() {
    std::vector<Instruction> list;
    std::map<std::string, std::size_t> where;
    for (const IsaEntry& e : IsaTable()) {
        auto [it, fresh] = where.emplace(e.Mnemonic, list.size());
        if (fresh) list.push_back({e.Mnemonic, {}});
        list[it->second].rows.push_back(&e);
    }
    for (const Instruction& ins : list) {
        if (ins.mnemonic.empty() || ins.mnemonic.size() > kMnemonicMax) {
            throw Failure{"mnemonik '" + ins.mnemonic + "' ni dolg 1 do 5 znakov"};
        }
        if (ins.rows.size() > kModeSlots) throw Failure{"ukaz " + ins.mnemonic + " ima več kot 4 načine"};
    }
    return list;
}

std::string BuildUkaziRed(const std::vector<Instruction>& list) {
    std::string out;
    out.reserve(list.size() * kRecordBytes);
    for (const Instruction& ins : list) {
        std::string rec(kRecordBytes, '\0');
        rec[0] = static_cast<char>(ins.mnemonic.size());
        std::memcpy(rec.data() + 1, ins.mnemonic.data(), ins.mnemonic.size());
        rec[1 + kMnemonicMax] = static_cast<char>(ins.rows.size());
        for (std::size_t i = 0; i < ins.rows.size(); ++i) {
            std::size_t at = 1 + kMnemonicMax + 1 + i * kModeEntryBytes;
            // Six reserved bytes stay zero.
            rec[at + 6] = static_cast<char>(ins.rows[i]->Opcode);
            rec[at + 7] = static_cast<char>(ins.rows[i]->Mode);
            rec[at + 8] = static_cast<char>(ins.rows[i]->Size);
        }
        out += rec;
    }
    return out;
}

std::string BuildUkaziDat() {
    std::string out;
    out.reserve(256 * kTextRecordBytes);
    for (int op = 0; op < 256; ++op) {
        std::string text = IsaOpcodeText(static_cast<uint8_t>(op));
        if (text.size() > IsaOpcodeTextMax) throw Failure{"besedilo '" + text + "' je daljše od 16 znakov"};
        std::string rec(kTextRecordBytes, '\0');
        rec[0] = static_cast<char>(text.size());
        std::memcpy(rec.data() + 1, text.data(), text.size());
        out += rec;
    }
    return out;
}

std::string BuildHelpDat(const std::vector<Instruction>& list) {
    std::string out;
    for (const Instruction& ins : list)
        out += ins.mnemonic + "\t" + ins.mnemonic + ".htm\n";
    for (const IsaAlias& a : IsaAliases())
        out += std::string(a.Alias) + "\t" + a.Canonical + ".htm\n";
    return out;
}

std::string Html(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string Hex2(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "$%02X", v & 0xFF);
    return buf;
}

// An example of the source form of one row.
std::string Example(const IsaEntry& e) {
    std::string m = e.Mnemonic;
    switch (e.Mode) {
    case AddressingMode::Inherent:
        return m;
    case AddressingMode::Immediate:
        return m + (e.Size == 3 ? " #$1234" : " #$12");
    case AddressingMode::Direct:
        return m + " $12";
    case AddressingMode::Extended:
        return m + " $1234";
    case AddressingMode::Indexed:
        return m + " $12,X";
    case AddressingMode::Relative:
        return m + " oznaka";
    case AddressingMode::None:
        break;
    }
    return m;
}

const char* kStyle = "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:50em}"
                     "h1{font-family:monospace;color:#003}"
                     "table{border-collapse:collapse;margin:0.8em 0}"
                     "th,td{border:1px solid #999;padding:0.25em 0.7em;text-align:left}"
                     "th{background:#e6e9f2}"
                     "td.c,th.c{text-align:center}"
                     "code{font-family:monospace}"
                     "p.nav{font-size:90%}"
                     ".legend{font-size:90%;color:#444}";

std::string PageHead(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"sl\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + Html(title) +
           "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
}

std::string FlagsTable(const char* flags) {
    static const char* names[] = {"H", "I", "N", "Z", "V", "C"};
    std::string out = "<table>\n<tr>";
    for (const char* n : names)
        out += std::string("<th class=\"c\">") + n + "</th>";
    out += "</tr>\n<tr>";
    for (std::size_t i = 0; i < 6 && flags[i] != '\0'; ++i) {
        out += "<td class=\"c\"><code>" + Html(std::string(1, flags[i])) + "</code></td>";
    }
    out += "</tr>\n</table>\n";
    return out;
}

std::string CommandPage(const Instruction& ins) {
    const IsaEntry& first = *ins.rows.front();
    std::string out = PageHead(ins.mnemonic + " – " + first.Description);
    out += "<p class=\"nav\"><a href=\"../commands.htm\">Seznam ukazov</a></p>\n";
    out += "<h1>" + Html(ins.mnemonic) + "</h1>\n<p>" + Html(first.Description) + ".</p>\n";

    std::string aliases;
    for (const IsaAlias& a : IsaAliases()) {
        if (ins.mnemonic == a.Canonical)
            aliases += std::string(aliases.empty() ? "" : ", ") + "<code>" + a.Alias + "</code>";
    }
    if (!aliases.empty()) out += "<p>Zbirnik sprejme tudi zapis " + aliases + ".</p>\n";

    out += "<h2>Načini naslavljanja</h2>\n<table>\n<tr><th>Način</th><th>Zapis</th>"
           "<th class=\"c\">Koda</th><th class=\"c\">Bajti</th><th class=\"c\">Cikli</th></tr>\n";
    for (const IsaEntry* e : ins.rows) {
        out += "<tr><td>" + Html(IsaModeName(e->Mode)) + "</td><td><code>" + Html(Example(*e)) +
               "</code></td><td class=\"c\"><code>" + Hex2(e->Opcode) + "</code></td><td class=\"c\">" +
               std::to_string(e->Size) + "</td><td class=\"c\">" + std::to_string(e->Cycles) + "</td></tr>\n";
    }
    out += "</table>\n";

    out += "<h2>Zastavice</h2>\n" + FlagsTable(first.Flags);
    out += "<p class=\"legend\"><code>-</code> ostane nespremenjena, <code>*</code> se nastavi glede na "
           "rezultat, <code>0</code> se zbriše, <code>1</code> se postavi, <code>S</code> se postavi ob "
           "sprejemu prekinitve.</p>\n";
    out += "</body>\n</html>\n";
    return out;
}

std::string IndexPage(const std::vector<Instruction>& list) {
    std::string out = PageHead("Seznam ukazov MC6803");
    out += "<h1>Seznam ukazov MC6803</h1>\n<p>" + std::to_string(list.size()) +
           " ukazov; za podrobnosti izberite ukaz.</p>\n";
    out +=
        "<table>\n<tr><th>Ukaz</th><th>Opis</th><th>Načini naslavljanja</th><th>Zastavice HINZVC</th></tr>\n";
    for (const Instruction& ins : list) {
        std::string modes;
        for (const IsaEntry* e : ins.rows)
            modes += std::string(modes.empty() ? "" : ", ") + IsaModeName(e->Mode);
        out += "<tr><td><a href=\"commands/" + Html(ins.mnemonic) + ".htm\"><code>" + Html(ins.mnemonic) +
               "</code></a></td><td>" + Html(ins.rows.front()->Description) + "</td><td>" + Html(modes) +
               "</td><td><code>" + Html(ins.rows.front()->Flags) + "</code></td></tr>\n";
    }
    out += "</table>\n<h2>Drugi zapisi</h2>\n<table>\n<tr><th>Zapis</th><th>Pomeni</th></tr>\n";
    for (const IsaAlias& a : IsaAliases()) {
        out += std::string("<tr><td><code>") + a.Alias + "</code></td><td><a href=\"commands/" + a.Canonical +
               ".htm\"><code>" + a.Canonical + "</code></a></td></tr>\n";
    }
    out += "</table>\n</body>\n</html>\n";
    return out;
}

void Generate(const fs::path& root) {
    std::vector<Instruction> list = Group();
    MakeDirs(root / "bin");
    MakeDirs(root / "help" / "commands");
    WriteAtomic(root / "bin" / "ukazi.red", BuildUkaziRed(list));
    WriteAtomic(root / "bin" / "ukazi.dat", BuildUkaziDat());
    for (const Instruction& ins : list)
        WriteAtomic(root / "help" / "commands" / (ins.mnemonic + ".htm"), CommandPage(ins));
    WriteAtomic(root / "help" / "commands.htm", IndexPage(list));
    WriteAtomic(root / "help" / "help.dat", BuildHelpDat(list));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '\0') {
        std::fprintf(stderr, "uporaba: isa-gen <mapa programa>\n");
        return 2;
    }
    try {
        Generate(fs::path(argv[1]));
    } catch (const Failure& f) {
        std::fprintf(stderr, "isa-gen: %s\n", f.message.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "isa-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
