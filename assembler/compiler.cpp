#include "assembler/compiler.h"

#include "engine/hex.h"

#include "assembler/encoding.h"
#include "assembler/listing.h"
#include "engine/simulator.h"

namespace {

constexpr size_t MaxLineLength = 255;    // characters of a line before its comment
constexpr size_t MaxLabelLength = 20;    // characters of the label field kept
constexpr size_t MaxMnemonicLength = 20; // characters of the mnemonic field kept
constexpr size_t MaxOperandLength = 100; // longer operands are refused, not cut

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return c >= 'A' && c <= 'Z'; }

void AppendHex2(std::string& s, uint8_t v) { AppendHex(s, v, 2); }
void AppendHex4(std::string& s, uint16_t v) { AppendHex(s, v, 4); }

// The fields of one source line, as views into the scanner's buffer.
struct Fields {
    bool Empty = true;
    bool Breakpoint = false;
    bool TooLong = false;  // a field reaches beyond MaxLineLength, or the operand exceeds
                           // MaxOperandLength: refused rather than silently cut
    bool LongRest = false; // text after the operand reaches beyond MaxLineLength (only SM
                           // reads it; for every other line it is an ignored remark)
    std::string_view Label, Mnemonic, Operand, Rest;
};

// Cuts the comment, splits label / mnemonic / operand and upper-cases them. The operand is
// upper-cased unless it begins with a double quote in the second pass.
void ScanLine(std::string_view text, bool secondPass, std::string& buf, Fields& f) {
    f = Fields{};
    size_t cut = 0;
    bool quote = false;
    for (; cut < text.size(); ++cut) {
        char c = text[cut];
        if (!quote && (c == '*' || c == ';')) break;
        if (c == '"') quote = !quote;
    }
    if (cut == 0) return;
    buf.assign(text.data(), cut);
    f.Empty = false;

    char* p = buf.data();
    const size_t n = buf.size();
    size_t i = 0;
    while (i < n && p[i] != ' ')
        ++i;
    size_t lb = 0, le = i;
    if (le > 0 && p[0] == '!') {
        f.Breakpoint = true;
        lb = 1;
    }
    le = std::min(le, lb + MaxLabelLength);

    while (i < n && p[i] == ' ')
        ++i;
    size_t mb = i;
    while (i < n && p[i] != ' ')
        ++i;
    size_t me = std::min(i, mb + MaxMnemonicLength);

    while (i < n && p[i] == ' ')
        ++i;
    size_t ob = i;
    quote = false;
    while (i < n && (quote || p[i] != ' ')) {
        if (p[i] == '"') quote = !quote;
        ++i;
    }
    size_t oe = i;
    // The 255-character line limit only matters where cutting would change what is read: the
    // fields, and for SM the data tokens after the operand. Trailing blanks count for nothing.
    size_t end = n;
    while (end > oe && p[end - 1] == ' ')
        --end;
    f.TooLong = oe > MaxLineLength || oe - ob > MaxOperandLength;
    f.LongRest = end > MaxLineLength;

    UpperCase1250(p + lb, p + le);
    UpperCase1250(p + mb, p + me);
    if (!secondPass || ob == oe || p[ob] != '"') UpperCase1250(p + ob, p + oe);

    f.Label = std::string_view(p + lb, le - lb);
    f.Mnemonic = std::string_view(p + mb, me - mb);
    f.Operand = std::string_view(p + ob, oe - ob);
    f.Rest = std::string_view(p + oe, n - oe);
}

enum class Kind : uint8_t { None, Org, Equ, Rmb, Fcb, Fdb, Fcc, Sm, End, Nam, Instruction };

// Directive recognition, with the alternative spellings rewritten to the canonical names.
Kind Classify(std::string_view& m) {
    switch (m.size()) {
    case 0:
        return Kind::None;
    case 2:
        if (m == "SM") return Kind::Sm;
        break;
    case 3:
        if (m == "ORG") return Kind::Org;
        if (m == "EQU") return Kind::Equ;
        if (m == "RMB") return Kind::Rmb;
        if (m == "FCB") return Kind::Fcb;
        if (m == "FDB") return Kind::Fdb;
        if (m == "FCC") return Kind::Fcc;
        if (m == "END") return Kind::End;
        if (m == "NAM") return Kind::Nam;
        if (m == "BHS") m = "BCC";
        else if (m == "BLO") m = "BCS";
        else if (m == "LSL") m = "ASL";
        break;
    case 4:
        if (m == "LSLD") m = "ASLD";
        else if (m == "LSLA") m = "ASLA";
        else if (m == "LSLB") m = "ASLB";
        break;
    default:
        break;
    }
    return Kind::Instruction;
}

bool Quoted(std::string_view s) { return s.size() >= 2 && s.front() == '"' && s.back() == '"'; }

} // namespace

std::string ListingErrorMessage(int code) {
    return "Integrna napaka pri pisanju listinga: " + std::to_string(code) + " (zapomni si stevilko";
}

std::optional<uint16_t> ParseNumber(std::string_view t) {
    if (t.empty()) return std::nullopt;
    if (t[0] == '%') {
        if (t.size() == 1) return std::nullopt;
        uint32_t v = 0;
        for (char c : t.substr(1)) {
            if (c != '0' && c != '1') return std::nullopt;
            v = ((v << 1) | static_cast<uint32_t>(c - '0')) & 0xFFFF;
        }
        return static_cast<uint16_t>(v);
    }
    size_t i = 0;
    bool negative = false;
    unsigned base = 10;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    } else if (t[0] == '$' || t[0] == 'X' || t[0] == 'x') {
        base = 16;
        i = 1;
    } else if (t.size() >= 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= t.size()) return std::nullopt;
    uint64_t v = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'A' && c <= 'F') d = static_cast<unsigned>(c - 'A' + 10);
        else if (base == 16 && c >= 'a' && c <= 'f') d = static_cast<unsigned>(c - 'a' + 10);
        else return std::nullopt;
        v = v * base + d;
        if (v > 0x7FFFFFFF) return std::nullopt;
    }
    if (negative) v = 0x10000 - (v & 0xFFFF);
    return static_cast<uint16_t>(v);
}

// ---- TCode ----

SourceLine TCode::FirstLine() {
    next_ = 0;
    ended_ = false;
    current_.Number = 0;
    if (lines_.empty()) {
        ended_ = true;
        current_.Text = EmptyEndMarker;
        return current_;
    }
    return NextLine();
}

SourceLine TCode::NextLine() {
    if (next_ < lines_.size()) {
        current_.Text = lines_[next_];
        current_.Number = static_cast<int32_t>(++next_);
    } else if (!ended_) {
        ended_ = true;
        current_.Text = EndMarker;
        current_.Number = static_cast<int32_t>(lines_.size()) + 1;
    }
    return current_;
}

// ---- TOznake ----

void TOznake::AddLabel(std::string_view name, uint16_t value) {
    if (name.size() > SignificantLength) name = name.substr(0, SignificantLength);
    entries_.push_back(LabelEntry{value, std::string(name)});
    index_.try_emplace(entries_.back().Name, static_cast<uint32_t>(entries_.size() - 1));
}

const LabelEntry* TOznake::Find(std::string_view name) const {
    if (name.size() > SignificantLength) name = name.substr(0, SignificantLength);
    auto it = index_.find(std::string(name));
    return it == index_.end() ? nullptr : &entries_[it->second];
}

LabelLookup TOznake::Resolve(std::string_view reference, uint16_t& value) const {
    if (reference.size() > SignificantLength) reference = reference.substr(0, SignificantLength);
    size_t plus = reference.find('+');
    size_t minus = reference.find('-');
    if (plus != std::string_view::npos && minus != std::string_view::npos) return LabelLookup::Undefined;
    size_t sign = plus != std::string_view::npos ? plus : minus;
    std::string_view name = reference;
    int offset = 0;
    if (sign != std::string_view::npos) {
        std::string_view text = reference.substr(sign);
        // A decimal number with its sign; hex prefixes and stray characters are refused.
        if (text.size() < 2) return LabelLookup::BadOffset;
        for (char c : text.substr(1))
            if (!IsDigit(c)) return LabelLookup::BadOffset;
        std::optional<uint16_t> v = ParseNumber(text);
        if (!v) return LabelLookup::BadOffset;
        offset = static_cast<int8_t>(*v & 0xFF);
        if (offset != 0) name = reference.substr(0, sign);
    }
    const LabelEntry* e = Find(name);
    if (!e) return LabelLookup::Undefined;
    value = static_cast<uint16_t>(e->Value + offset);
    return LabelLookup::Found;
}

void TOznake::ClearLabels() {
    entries_.clear();
    index_.clear();
}

// ---- TCompiler ----

namespace {

CompileStatus ResolveLabel(const TOznake& labels, std::string_view ref, uint16_t& v) {
    switch (labels.Resolve(ref, v)) {
    case LabelLookup::Found:
        return Ok;
    case LabelLookup::Undefined:
        return UndefinedLabel;
    case LabelLookup::BadOffset:
        return OperandError;
    }
    return UndefinedLabel;
}

CompileStatus Number(std::string_view text, uint16_t& v) {
    std::optional<uint16_t> n = ParseNumber(text);
    if (!n) return OperandError;
    v = *n;
    return Ok;
}

// "label or number": a first letter A..Z makes a label reference.
CompileStatus LabelOrNumber(const TOznake& labels, std::string_view op, uint16_t& v) {
    if (!op.empty() && IsLetter(op[0])) return ResolveLabel(labels, op, v);
    return Number(op, v);
}

// The ORG operand: "$", "%" or a digit starts a number, A..Z a label; anything else is wrong.
CompileStatus OrgValue(const TOznake& labels, std::string_view op, uint16_t& v) {
    if (op.empty()) return OperandError;
    char c = op[0];
    if (c == '$' || c == '%' || IsDigit(c)) return Number(op, v);
    if (IsLetter(c)) return ResolveLabel(labels, op, v);
    return OperandError;
}

// Addressing mode from the operand's shape; a numeric operand is evaluated (Direct needs its
// value). Returns NoMode with status OperandError for a malformed number.
AddressingMode ChooseMode(std::string_view op, const InstructionEntry* rec, CompileStatus& status) {
    if (op.empty()) return Inherent;
    char c = op[0];
    if (c == '#') return Immediate;
    if (op.find(",X") != std::string_view::npos) return Indexed;
    if (c == '$' || c == '%' || IsDigit(c)) {
        std::optional<uint16_t> v = ParseNumber(op);
        if (!v) {
            status = OperandError;
            return NoMode;
        }
        const ModeEntry* direct = rec ? rec->FindMode(Direct) : nullptr;
        return (*v <= 0xFF && direct && direct->Size != 0) ? Direct : Extended;
    }
    if (IsLetter(c))
        return (rec && rec->ModeCount == 1 && rec->Modes[0].Mode == Relative) ? Relative : Extended;
    return NoMode;
}

// The table entry for the chosen mode, or nullptr with UnknownInstruction (an operand error
// already found is kept).
const ModeEntry* EntryFor(const InstructionEntry* rec, AddressingMode mode, CompileStatus& status) {
    const ModeEntry* e = (rec && mode != NoMode) ? rec->FindMode(mode) : nullptr;
    if (!e || e->Size == 0) {
        if (status == Ok) status = UnknownInstruction;
        return nullptr;
    }
    return e;
}

} // namespace

TCompiler::TCompiler(TMemory& memory, std::string programDir)
    : memory_(memory), ukazi_(programDir + "/bin/ukazi.red"), programDir_(std::move(programDir)) {
    scratch_.reserve(512);
}

TCompiler::~TCompiler() = default;

CompileResult TCompiler::Compile(const std::vector<std::string>& lines) {
    listingErrors_.clear();
    memory_.Clear();
    labels_.ClearLabels();
    if (lines.size() > MaxSourceLines) return UnknownError;

    TCode code(lines);
    int32_t errorLine = 0;
    CompileStatus status = Ok;
    if (Pass1(code, errorLine, status) && Pass2(code, errorLine, status)) {
        if (memory_.Read(0xFFFE, false).Line < 0) return NoResetVector;
        return Ok;
    }
    return (errorLine + 1) * 256 + status;
}

bool TCompiler::Pass1(TCode& code, int32_t& errorLine, CompileStatus& status) {
    uint16_t lc = 0;
    Fields f;
    SourceLine line = code.FirstLine();
    for (;;) {
        ScanLine(line.Text, false, scratch_, f);
        CompileStatus s = Ok;
        bool breakpoint = false;
        Kind kind = Kind::None;
        if (!f.Empty) {
            breakpoint = f.Breakpoint;
            std::string_view mnemonic = f.Mnemonic;
            kind = Classify(mnemonic);
            if (f.TooLong || (kind == Kind::Sm && f.LongRest)) {
                s = OperandError;
            } else if (!f.Label.empty()) {
                if (IsDigit(f.Label[0])) {
                    s = UndefinedLabel;
                } else {
                    uint16_t value = lc;
                    if (kind == Kind::Equ) s = LabelOrNumber(labels_, f.Operand, value);
                    labels_.AddLabel(f.Label, value);
                }
            }
            if (s == Ok) {
                uint16_t v = 0;
                switch (kind) {
                case Kind::None:
                case Kind::Equ:
                case Kind::Sm:
                case Kind::End:
                case Kind::Nam:
                    break;
                case Kind::Rmb:
                    s = Number(f.Operand, v);
                    lc = static_cast<uint16_t>(lc + v);
                    break;
                case Kind::Fdb:
                    lc = static_cast<uint16_t>(lc + 2);
                    break;
                case Kind::Fcb:
                    lc = static_cast<uint16_t>(lc + 1);
                    break;
                case Kind::Fcc:
                    if (Quoted(f.Operand)) lc = static_cast<uint16_t>(lc + f.Operand.size() - 2);
                    else s = OperandError;
                    break;
                case Kind::Org:
                    s = OrgValue(labels_, f.Operand, v);
                    if (s == Ok) lc = v;
                    break;
                case Kind::Instruction: {
                    breakpoint = false; // breakpoints belong on instruction lines
                    const InstructionEntry* rec = ukazi_.Find(mnemonic);
                    AddressingMode mode = ChooseMode(f.Operand, rec, s);
                    if (const ModeEntry* e = EntryFor(rec, mode, s)) lc = static_cast<uint16_t>(lc + e->Size);
                    break;
                }
                }
            }
        }
        Step();
        if (s != Ok || breakpoint) {
            status = s != Ok ? s : MisplacedBreakpoint;
            errorLine = line.Number;
            return false;
        }
        if (kind == Kind::End) return true;
        line = code.NextLine();
    }
}

bool TCompiler::Pass2(TCode& code, int32_t& errorLine, CompileStatus& status) {
    std::optional<TListing> listing;
    if (!ListingPath.empty()) listing.emplace(ListingPath, listingErrors_);

    uint16_t lc = 0;
    std::string text; // ListingText of the line
    text.reserve(64);
    Fields f;
    SourceLine line = code.FirstLine();
    bool ok = true;
    for (;;) {
        text.clear();
        ScanLine(line.Text, true, scratch_, f);
        CompileStatus s = Ok;
        Kind kind = Kind::None;

        // Writes one byte of the line at the location counter, tagged with the line number.
        auto emit = [&](uint8_t byte) {
            if (s != Ok) return;
            if (line.Number > MaxCodeLine) {
                s = UnknownError;
                return;
            }
            memory_.Write(lc, MemoryCell{byte, static_cast<int16_t>(line.Number)}, false);
            AppendHex2(text, byte);
            lc = static_cast<uint16_t>(lc + 1);
        };
        auto address = [&] {
            AppendHex4(text, lc);
            text.push_back(' ');
        };

        if (!f.Empty) {
            std::string_view mnemonic = f.Mnemonic;
            kind = Classify(mnemonic);
            std::string_view op = f.Operand;
            uint16_t v = 0;
            switch (kind) {
            case Kind::None:
            case Kind::End:
            case Kind::Nam:
                break;
            case Kind::Equ:
                s = LabelOrNumber(labels_, op, v);
                if (s == Ok) {
                    AppendHex4(text, v);
                    text.push_back(' ');
                }
                break;
            case Kind::Sm: {
                uint16_t at = 0;
                s = LabelOrNumber(labels_, op, at);
                std::string_view rest = f.Rest;
                size_t i = 0;
                while (s == Ok) {
                    while (i < rest.size() && rest[i] == ' ')
                        ++i;
                    if (i >= rest.size()) break;
                    size_t b = i;
                    bool quote = false;
                    while (i < rest.size() && (quote || rest[i] != ' ')) {
                        if (rest[i] == '"') quote = !quote;
                        ++i;
                    }
                    std::string_view token = rest.substr(b, i - b);
                    auto preset = [&](uint8_t byte) {
                        memory_.Write(at, MemoryCell{byte, PresetLine}, false);
                        at = static_cast<uint16_t>(at + 1);
                    };
                    if (token[0] == '"') {
                        if (!Quoted(token)) s = OperandError;
                        else
                            for (char c : token.substr(1, token.size() - 2))
                                preset(static_cast<uint8_t>(c));
                    } else {
                        s = Number(token, v);
                        if (s == Ok) preset(static_cast<uint8_t>(v));
                    }
                }
                break;
            }
            case Kind::Rmb:
                address();
                s = Number(op, v);
                lc = static_cast<uint16_t>(lc + v);
                break;
            case Kind::Fdb:
                s = LabelOrNumber(labels_, op, v);
                address();
                emit(static_cast<uint8_t>(v >> 8));
                emit(static_cast<uint8_t>(v));
                break;
            case Kind::Fcb:
                address();
                s = Number(op, v);
                emit(static_cast<uint8_t>(v));
                break;
            case Kind::Fcc:
                if (!Quoted(op)) {
                    s = OperandError;
                    break;
                }
                address();
                for (char c : op.substr(1, op.size() - 2))
                    emit(static_cast<uint8_t>(c));
                break;
            case Kind::Org:
                s = OrgValue(labels_, op, v);
                if (s == Ok) {
                    lc = v;
                    address();
                }
                break;
            case Kind::Instruction: {
                const InstructionEntry* rec = ukazi_.Find(mnemonic);
                AddressingMode mode = ChooseMode(op, rec, s);
                const ModeEntry* e = EntryFor(rec, mode, s);
                if (!e) break;
                address();
                emit(e->Opcode);
                switch (mode) {
                case Inherent:
                    break;
                case Immediate: {
                    std::string_view value = op.substr(1);
                    if (!value.empty() && IsLetter(value[0])) {
                        s = ResolveLabel(labels_, value, v);
                    } else if (!value.empty() && value[0] == '\'') {
                        if (value.size() >= 3 && value[2] == '\'') v = static_cast<uint8_t>(value[1]);
                        else s = OperandError;
                    } else {
                        s = Number(value, v);
                    }
                    if (e->Size == 3) emit(static_cast<uint8_t>(v >> 8));
                    emit(static_cast<uint8_t>(v));
                    break;
                }
                case Direct:
                    s = Number(op, v);
                    emit(static_cast<uint8_t>(v));
                    break;
                case Extended:
                    s = LabelOrNumber(labels_, op, v);
                    emit(static_cast<uint8_t>(v >> 8));
                    emit(static_cast<uint8_t>(v));
                    break;
                case Indexed:
                    s = Number(op.substr(0, op.size() - 2), v);
                    emit(static_cast<uint8_t>(v));
                    break;
                case Relative: {
                    s = ResolveLabel(labels_, op, v);
                    if (s != Ok) break;
                    // Displacement from the address after the displacement byte.
                    auto disp = static_cast<int16_t>(static_cast<uint16_t>(v - (lc + 1)));
                    if (disp < -127 || disp > 127) s = BranchTooFar;
                    emit(static_cast<uint8_t>(disp));
                    break;
                }
                case NoMode:
                    break;
                }
                break;
            }
            }
        }
        if (listing) listing->WriteLine(line.Number, text, line.Text);
        Step();
        if (s != Ok) {
            status = s;
            errorLine = line.Number;
            ok = false;
            break;
        }
        if (kind == Kind::End) break;
        line = code.NextLine();
    }
    if (listing) listing->Close();
    return ok;
}
