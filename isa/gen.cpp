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

// What each instruction does, for its help page: the operation in register notation, a short
// example (lines of source that assemble at any address) and, where the simulator or the
// assembler has something of its own to say, a note.
//
// Notation: M is the operand byte (the value after "#", or the byte at the operand's address),
// M:M+1 the 16-bit operand (high byte first), (SP) the byte the stack pointer points at,
// "odmik" the signed displacement of a branch.
struct HelpText {
    const char* Mnemonic;
    const char* Operation;
    const char* Example;
    const char* Note;
};

const HelpText kHelp[] = {
    {"ABA", "A ← A + B", "        ldaa #$12\n        ldab #$34\n        aba             ; A = $46", nullptr},
    {"ABX", "X ← X + B (B brez predznaka)",
     "        ldx #$2000\n        ldab #$10\n        abx             ; X = $2010",
     "Zastavice ostanejo, kakršne so."},
    {"ADCA", "A ← A + M + C",
     "* 16-bitno seštevanje: $12F0 + $0120\n        ldaa #$F0\n        adda #$20       ; A = $10, C = 1\n"
     "        ldab #$12\n        adcb #$01       ; B = $14 (prenos prištet)",
     nullptr},
    {"ADCB", "B ← B + M + C", "        sec\n        ldab #$05\n        adcb #$03       ; B = $09", nullptr},
    {"ADDA", "A ← A + M", "        ldaa #$7F\n        adda #$01       ; A = $80, N = 1, V = 1", nullptr},
    {"ADDB", "B ← B + M", "        ldab #$FF\n        addb #$01       ; B = $00, Z = 1, C = 1", nullptr},
    {"ADDD", "D ← D + M:M+1", "        ldd #$1234\n        addd #$0100     ; D = $1334", nullptr},
    {"ANDA", "A ← A ∧ M", "        ldaa #$5A\n        anda #$0F       ; A = $0A (zgornji biti zbrisani)",
     nullptr},
    {"ANDB", "B ← B ∧ M", "        ldab $03        ; Port 2\n        andb #$01       ; le bit 0", nullptr},
    {"ASL", "C ← b7 … b0 ← 0 (bajt v pomnilniku)",
     "        ldaa #$41\n        staa $80\n        asl $80         ; ($80) = $82", nullptr},
    {"ASLA", "C ← A7 … A0 ← 0", "        ldaa #$03\n        asla            ; A = $06 (krat 2)", nullptr},
    {"ASLB", "C ← B7 … B0 ← 0", "        ldab #$81\n        aslb            ; B = $02, C = 1", nullptr},
    {"ASLD", "C ← D15 … D0 ← 0", "        ldd #$0123\n        asld            ; D = $0246", nullptr},
    {"ASR", "b7 → b7 … b0 → C (predznak ostane)",
     "        ldaa #$F0\n        staa $80\n        asr $80         ; ($80) = $F8", nullptr},
    {"ASRA", "A7 → A7 … A0 → C", "        ldaa #$FC       ; -4\n        asra            ; A = $FE (-2)",
     nullptr},
    {"ASRB", "B7 → B7 … B0 → C", "        ldab #$09\n        asrb            ; B = $04, C = 1", nullptr},
    {"BCC", "če C = 0: PC ← PC + 2 + odmik",
     "        ldaa #$10\n        adda #$20\n        bcc brez        ; ni prenosa\n"
     "        clra\nbrez    nop",
     nullptr},
    {"BCS", "če C = 1: PC ← PC + 2 + odmik",
     "        ldaa #$F0\n        adda #$20\n        bcs prenos\n        clra\nprenos  nop", nullptr},
    {"BEQ", "če Z = 1: PC ← PC + 2 + odmik",
     "        ldaa $80\n        beq nic         ; ($80) = 0\n        inca\nnic     nop", nullptr},
    {"BGE", "če N ⊕ V = 0: PC ← PC + 2 + odmik",
     "        ldaa #-3\n        cmpa #-5\n        bge vecje       ; -3 >= -5\n"
     "        clra\nvecje   nop",
     nullptr},
    {"BGT", "če Z ∨ (N ⊕ V) = 0: PC ← PC + 2 + odmik",
     "        ldaa #5\n        cmpa #-1\n        bgt vecje       ; 5 > -1\n"
     "        clra\nvecje   nop",
     nullptr},
    {"BHI", "če C ∨ Z = 0: PC ← PC + 2 + odmik",
     "        ldaa #$F0\n        cmpa #$10\n        bhi visje       ; $F0 > $10\n"
     "        clra\nvisje   nop",
     nullptr},
    {"BITA", "A ∧ M (le zastavice)",
     "        ldaa $02        ; Port 1\n        bita #$80\n        bne prizgan     ; bit 7 je 1\n"
     "        clrb\nprizgan nop",
     nullptr},
    {"BITB", "B ∧ M (le zastavice)",
     "        ldab $11        ; TRCSR\n        bitb #$20       ; TDRE?\n        beq zaseden\n"
     "        nop\nzaseden nop",
     nullptr},
    {"BLE", "če Z ∨ (N ⊕ V) = 1: PC ← PC + 2 + odmik",
     "        ldaa #-2\n        cmpa #3\n        ble manjse      ; -2 <= 3\n"
     "        clra\nmanjse  nop",
     nullptr},
    {"BLS", "če C ∨ Z = 1: PC ← PC + 2 + odmik",
     "        ldaa #$10\n        cmpa #$10\n        bls nizje       ; $10 <= $10\n"
     "        clra\nnizje   nop",
     nullptr},
    {"BLT", "če N ⊕ V = 1: PC ← PC + 2 + odmik",
     "        ldaa #-8\n        cmpa #2\n        blt manjse      ; -8 < 2\n"
     "        clra\nmanjse  nop",
     nullptr},
    {"BMI", "če N = 1: PC ← PC + 2 + odmik",
     "        ldaa $80\n        bmi negat       ; bit 7 je 1\n        nega\nnegat   nop", nullptr},
    {"BNE", "če Z = 0: PC ← PC + 2 + odmik",
     "        ldab #10\nzanka   decb\n        bne zanka       ; desetkrat", nullptr},
    {"BPL", "če N = 0: PC ← PC + 2 + odmik", "        ldaa $80\n        bpl pozit\n        nega\npozit   nop",
     nullptr},
    {"BRA", "PC ← PC + 2 + odmik", "zanka   inc $80\n        bra zanka       ; večno", nullptr},
    {"BRN", "PC ← PC + 2 (nikoli ne skoči)", "        brn kje\n        nop\nkje     nop", nullptr},
    {"BSR", "SP ← SP − 2, (SP+1:SP+2) ← PC + 2; PC ← PC + 2 + odmik",
     "        lds #$00FF\n        bsr podpr\nkonec   bra konec\npodpr   inca\n        rts",
     "Podprogram mora biti bližje kot 127 bajtov; dlje sežeta JSR."},
    {"BVC", "če V = 0: PC ← PC + 2 + odmik",
     "        ldaa #$10\n        adda #$10\n        bvc brez        ; ni preliva\n"
     "        clra\nbrez    nop",
     nullptr},
    {"BVS", "če V = 1: PC ← PC + 2 + odmik",
     "        ldaa #$70\n        adda #$20       ; $90: preliv\n        bvs preliv\n"
     "        clra\npreliv  nop",
     nullptr},
    {"CBA", "A − B (le zastavice)",
     "        ldaa #5\n        ldab #5\n        cba             ; Z = 1\n        beq enaka\n"
     "        nop\nenaka   nop",
     nullptr},
    {"CLC", "C ← 0", "        clc\n        ldaa #$10\n        adca #$01       ; A = $11", nullptr},
    {"CLI", "I ← 0", "        lds #$00FF\n        cli             ; prekinitve dovoljene",
     "Po ponastavitvi je I = 1: maskirane prekinitve (IRQ, SCI, časovnik) so do CLI prepovedane."},
    {"CLR", "M ← 0", "        clr $80\n        clr 0,x", nullptr},
    {"CLRA", "A ← 0", "        clra            ; Z = 1, C = 0", nullptr},
    {"CLRB", "B ← 0", "        clrb", nullptr},
    {"CLV", "V ← 0", "        clv", nullptr},
    {"CMPA", "A − M (le zastavice)",
     "        ldaa $12        ; RDR\n        cmpa #'Q'\n        beq konec\n        nop\nkonec   nop",
     nullptr},
    {"CMPB", "B − M (le zastavice)",
     "        ldab $80\n        cmpb #100\n        bhs veliko      ; >= 100\n        nop\nveliko  nop",
     nullptr},
    {"COM", "M ← $FF − M", "        ldaa #$0F\n        staa $80\n        com $80         ; ($80) = $F0",
     nullptr},
    {"COMA", "A ← $FF − A", "        ldaa #$55\n        coma            ; A = $AA", nullptr},
    {"COMB", "B ← $FF − B", "        ldab #$00\n        comb            ; B = $FF, C = 1", nullptr},
    {"CPX", "X − M:M+1 (le zastavice)",
     "        ldx #$0100\nzanka   clr 0,x\n        inx\n        cpx #$0110\n"
     "        bne zanka       ; zbriše $0100-$010F",
     nullptr},
    {"DAA", "A ← desetiško prilagojen A (po seštevanju števil BCD)",
     "        ldaa #$19\n        adda #$01       ; A = $1A\n        daa             ; A = $20 (19 + 1 = 20)",
     "Deluje le po ADDA, ADCA ali ABA, ki so sešteli dve števili BCD."},
    {"DEC", "M ← M − 1", "        dec $80\n        bne naprej\n        nop\nnaprej  nop",
     "Zastavice C ne spremeni."},
    {"DECA", "A ← A − 1", "        ldaa #1\n        deca            ; A = 0, Z = 1", nullptr},
    {"DECB", "B ← B − 1", "        ldab #8\nzanka   decb\n        bne zanka", nullptr},
    {"DES", "SP ← SP − 1", "        lds #$00FF\n        des             ; SP = $00FE", nullptr},
    {"DEX", "X ← X − 1", "        ldx #3\nzanka   dex\n        bne zanka       ; DEX postavi le Z", nullptr},
    {"EORA", "A ← A ⊕ M", "        ldaa $03\n        eora #$02       ; obrne bit 1\n        staa $03",
     nullptr},
    {"EORB", "B ← B ⊕ M", "        ldab #$FF\n        eorb #$0F       ; B = $F0", nullptr},
    {"INC", "M ← M + 1", "        inc $80         ; števec", "Zastavice C ne spremeni."},
    {"INCA", "A ← A + 1", "        ldaa #$7F\n        inca            ; A = $80, V = 1", nullptr},
    {"INCB", "B ← B + 1", "        incb", nullptr},
    {"INS", "SP ← SP + 1", "        lds #$00F0\n        psha\n        ins             ; zavrže bajt s sklada",
     nullptr},
    {"INX", "X ← X + 1", "        ldx #$0100\n        inx             ; X = $0101", nullptr},
    {"JMP", "PC ← naslov", "        jmp naprej\n        nop\nnaprej  jmp 0,x",
     "Z oznako je naslov vedno 16-bitni (razširjeno naslavljanje)."},
    {"JSR", "SP ← SP − 2, (SP+1:SP+2) ← PC po ukazu; PC ← naslov",
     "        lds #$00FF\n        jsr podpr\nkonec   bra konec\npodpr   clra\n        rts", nullptr},
    {"LDAA", "A ← M",
     "        ldaa #$41       ; takojšnje\n        ldaa $80        ; neposredno\n        ldaa $1000      ; "
     "razširjeno\n"
     "        ldaa 2,x        ; indeksno",
     nullptr},
    {"LDAB", "B ← M", "        ldab #10\n        ldab 0,x", nullptr},
    {"LDD", "A:B ← M:M+1",
     "        ldd #$1234      ; A = $12, B = $34\n        ldd $09         ; prostotekoči števec", nullptr},
    {"LDS", "SP ← M:M+1", "        lds #$00FF      ; sklad pod notranjim RAM-om",
     "Nastavite SP, preden program uporabi sklad (JSR, BSR, PSH, prekinitve)."},
    {"LDX", "X ← M:M+1", "        ldx #$2000\n        ldaa 0,x", nullptr},
    {"LSR", "0 → b7 … b0 → C",
     "        ldaa #$81\n        staa $80\n        lsr $80         ; ($80) = $40, C = 1", nullptr},
    {"LSRA", "0 → A7 … A0 → C", "        ldaa #$F0\n        lsra            ; A = $78 (deljeno z 2)",
     nullptr},
    {"LSRB", "0 → B7 … B0 → C", "        ldab #$03\n        lsrb            ; B = $01, C = 1", nullptr},
    {"LSRD", "0 → D15 … D0 → C", "        ldd #$0246\n        lsrd            ; D = $0123", nullptr},
    {"MUL", "D ← A × B (brez predznaka)",
     "        ldaa #12\n        ldab #12\n        mul             ; D = 144 = $0090",
     "C dobi bit 7 rezultata (B7), tako da ADCA #0 zaokroži zgornji bajt."},
    {"NEG", "M ← 0 − M", "        ldaa #5\n        staa $80\n        neg $80         ; ($80) = $FB (-5)",
     nullptr},
    {"NEGA", "A ← 0 − A", "        ldaa #1\n        nega            ; A = $FF (-1)", nullptr},
    {"NEGB", "B ← 0 − B", "        ldab #$80\n        negb            ; B = $80, V = 1", nullptr},
    {"NOP", "PC ← PC + 1 (ne naredi ničesar)", "        nop\n        nop", nullptr},
    {"ORAA", "A ← A ∨ M", "        ldaa $03\n        oraa #$02       ; bit 1 na 1\n        staa $03",
     nullptr},
    {"ORAB", "B ← B ∨ M", "        ldab #$30\n        orab #$05       ; B = $35", nullptr},
    {"PSHA", "(SP) ← A; SP ← SP − 1", "        lds #$00FF\n        psha\n        pula", nullptr},
    {"PSHB", "(SP) ← B; SP ← SP − 1", "        lds #$00FF\n        pshb\n        pulb", nullptr},
    {"PSHX", "(SP) ← X nižji bajt, (SP − 1) ← X višji bajt; SP ← SP − 2",
     "        lds #$00FF\n        pshx\n        pulx", nullptr},
    {"PULA", "SP ← SP + 1; A ← (SP)",
     "        lds #$00FF\n        psha\n        clra\n        pula            ; A spet stara", nullptr},
    {"PULB", "SP ← SP + 1; B ← (SP)", "        lds #$00FF\n        pshb\n        pulb", nullptr},
    {"PULX", "X ← (SP+1):(SP+2); SP ← SP + 2",
     "        lds #$00FF\n        ldx #$1234\n        pshx\n        pulx            ; X = $1234", nullptr},
    {"ROL", "C ← b7 … b0 ← C", "        sec\n        rol $80         ; bit 0 dobi 1", nullptr},
    {"ROLA", "C ← A7 … A0 ← C", "        clc\n        ldaa #$80\n        rola            ; A = $00, C = 1",
     nullptr},
    {"ROLB", "C ← B7 … B0 ← C",
     "* D krat 2: ASLB, nato ROLA\n        ldd #$0180\n        aslb\n        rola            ; D = $0300",
     nullptr},
    {"ROR", "C → b7 … b0 → C", "        clc\n        ror $80", nullptr},
    {"RORA", "C → A7 … A0 → C", "        sec\n        ldaa #$00\n        rora            ; A = $80, C = 0",
     nullptr},
    {"RORB", "C → B7 … B0 → C", "        ldab #$01\n        clc\n        rorb            ; B = $00, C = 1",
     nullptr},
    {"RTI", "CCR, B, A, X, PC ← s sklada (v tem vrstnem redu); SP ← SP + 7",
     "irqpr   inc $80         ; obdelava prekinitve\n        rti",
     "Vektorje prekinitev zapišite z ORG in FDB (npr. ORG $FFF8, FDB irqpr)."},
    {"RTS", "PC ← (SP+1):(SP+2); SP ← SP + 2",
     "        lds #$00FF\n        jsr podpr\nkonec   bra konec\npodpr   rts", nullptr},
    {"SBA", "A ← A − B", "        ldaa #10\n        ldab #3\n        sba             ; A = 7", nullptr},
    {"SBCA", "A ← A − M − C",
     "* 16-bitno odštevanje: $1200 - $0101\n        ldab #$00\n        subb #$01       ; B = $FF, C = 1\n"
     "        ldaa #$12\n        sbca #$01       ; A = $10",
     nullptr},
    {"SBCB", "B ← B − M − C", "        sec\n        ldab #$10\n        sbcb #$01       ; B = $0E", nullptr},
    {"SEC", "C ← 1", "        sec", nullptr},
    {"SEI", "I ← 1", "        sei             ; maskirane prekinitve prepovedane", nullptr},
    {"SEV", "V ← 1", "        sev", nullptr},
    {"STAA", "M ← A",
     "        ldaa #$FF\n        staa $00        ; Port 1: vsi biti izhodi\n        staa $1000", nullptr},
    {"STAB", "M ← B", "        stab $80\n        stab 1,x", nullptr},
    {"STD", "M:M+1 ← A:B",
     "        ldd $09         ; števec časovnika\n        addd #500\n        std $0B         ; primerjalni "
     "register",
     nullptr},
    {"STS", "M:M+1 ← SP", "        sts $80", nullptr},
    {"STX", "M:M+1 ← X", "        ldx #$0100\n        stx $84", nullptr},
    {"SUBA", "A ← A − M", "        ldaa #$30\n        suba #$10       ; A = $20", nullptr},
    {"SUBB", "B ← B − M", "        ldab #$05\n        subb #$06       ; B = $FF, C = 1, N = 1", nullptr},
    {"SUBD", "D ← D − M:M+1", "        ldd #$1000\n        subd #$0001     ; D = $0FFF", nullptr},
    {"SWI", "SP ← SP − 7 (PC, X, A, B, CCR na sklad); I ← 1; PC ← ($FFFA:$FFFB)",
     "        lds #$00FF\n        cli\n        swi             ; skok prek vektorja $FFFA",
     "V tem simulatorju se SWI ne izvede, dokler je I = 1 (kot po ponastavitvi): najprej CLI."},
    {"TAB", "B ← A", "        ldaa #$42\n        tab             ; B = $42", nullptr},
    {"TAP", "CCR ← A", "        ldaa #$C0\n        tap             ; vse zastavice na 0", nullptr},
    {"TBA", "A ← B", "        ldab #7\n        tba             ; A = 7", nullptr},
    {"TPA", "A ← CCR", "        tpa             ; A = %11HINZVC", nullptr},
    {"TST", "M − 0 (N in Z po M; V ← 0, C ← 0)",
     "        tst $80\n        beq prazno\n        nop\nprazno  nop", nullptr},
    {"TSTA", "A − 0", "        tsta\n        bmi negat\n        nop\nnegat   nop", nullptr},
    {"TSTB", "B − 0", "        tstb\n        bne naprej\n        nop\nnaprej  nop", nullptr},
    {"TSX", "X ← SP + 1",
     "        lds #$00FF\n        psha\n        tsx             ; X kaže na A na skladu\n        ldab 0,x",
     nullptr},
    {"TXS", "SP ← X − 1", "        ldx #$0100\n        txs             ; SP = $00FF", nullptr},
    {"WAI", "SP ← SP − 7 (PC, X, A, B, CCR na sklad); čaka na prekinitev",
     "        lds #$00FF\n        cli\nspi     wai\n        bra spi",
     "V tem simulatorju program ostane na ukazu WAI; sprejeta prekinitev se vrne nanj."},
};

const HelpText& HelpOf(const std::string& mnemonic) {
    for (const HelpText& h : kHelp)
        if (mnemonic == h.Mnemonic) return h;
    throw Failure{"ukaz " + mnemonic + " nima opisa za pomoč"};
}

const char* kStyle = "body{font-family:sans-serif;margin:1.5em;color:#222;max-width:52em}"
                     "h1{font-family:monospace;color:#003}"
                     "h1 span{font-family:sans-serif;font-weight:normal}"
                     "h2{color:#003;margin-top:1.2em}"
                     "table{border-collapse:collapse;margin:0.8em 0}"
                     "th,td{border:1px solid #999;padding:0.25em 0.7em;text-align:left}"
                     "th{background:#e6e9f2}"
                     "td.c,th.c{text-align:center}"
                     "code,pre{font-family:monospace}"
                     "pre{background:#f4f4f8;border:1px solid #ccd;padding:0.5em 1em}"
                     "p.op{font-family:monospace;font-size:large}"
                     "p.nav{font-size:small}"
                     ".legend{font-size:small;color:#444}";

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

// One sentence per flag the instruction changes.
std::string FlagsText(const char* flags) {
    static const char* names[] = {"H (polprenos)", "I (maska prekinitev)", "N (negativno)",
                                  "Z (nič)",       "V (preliv)",           "C (prenos)"};
    std::string out;
    for (std::size_t i = 0; i < 6 && flags[i] != '\0'; ++i) {
        const char* what = nullptr;
        switch (flags[i]) {
        case '*':
            what = "se nastavi glede na rezultat";
            break;
        case '0':
            what = "se zbriše";
            break;
        case '1':
            what = "se postavi";
            break;
        case 'S':
            what = "se postavi, ko je prekinitev sprejeta";
            break;
        default:
            break;
        }
        if (what) out += std::string("<li>") + names[i] + " " + what + "</li>\n";
    }
    if (out.empty()) return "<p>Ukaz ne spremeni nobene zastavice.</p>\n";
    return "<ul>\n" + out + "</ul>\n";
}

std::string CommandPage(const Instruction& ins) {
    const IsaEntry& first = *ins.rows.front();
    const HelpText& help = HelpOf(ins.mnemonic);
    std::string out = PageHead(ins.mnemonic + " – " + first.Description);
    out += "<p class=\"nav\"><a href=\"../manual.htm\">Priročnik</a> · <a href=\"../commands.htm\">Seznam "
           "ukazov</a></p>\n";
    out += "<h1>" + Html(ins.mnemonic) + " <span>– " + Html(first.Description) + "</span></h1>\n";
    out += "<h2>Delovanje</h2>\n<p class=\"op\">" + Html(help.Operation) + "</p>\n";

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
    out += "<p class=\"legend\">Koda je prvi bajt ukaza; bajti štejejo ukaz z operandom; cikli so cikli "
           "vodila MC6803; števec Cikli v glavnem oknu jih sešteva.</p>\n";

    out += "<h2>Zastavice</h2>\n" + FlagsTable(first.Flags) + FlagsText(first.Flags);
    out += "<p class=\"legend\"><code>-</code> ostane nespremenjena, <code>*</code> se nastavi glede na "
           "rezultat, <code>0</code> se zbriše, <code>1</code> se postavi, <code>S</code> se postavi ob "
           "sprejemu prekinitve.</p>\n";

    out += "<h2>Primer</h2>\n<pre class=\"primer\">" + Html(help.Example) + "</pre>\n";
    if (help.Note) out += "<h2>Opomba</h2>\n<p>" + Html(help.Note) + "</p>\n";
    out += "</body>\n</html>\n";
    return out;
}

std::string IndexPage(const std::vector<Instruction>& list) {
    std::string out = PageHead("Seznam ukazov MC6803");
    out += "<p class=\"nav\"><a href=\"manual.htm\">Priročnik</a></p>\n";
    out += "<h1>Seznam ukazov MC6803</h1>\n<p>" + std::to_string(list.size()) +
           " ukazov; za delovanje, načine naslavljanja s kodami, dolžino, cikle, zastavice in primer "
           "izberite ukaz. V urejevalniku tipka F1 odpre stran ukaza pod kazalcem.</p>\n";
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
