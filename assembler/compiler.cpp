#include "assembler/compiler.h"

#include <algorithm>
#include <optional>

#include "assembler/listing.h"
#include "base/encoding.h"
#include "engine/hex.h"
#include "isa/codes.h"

namespace {

using Status = CompileStatus;

// Where the second pass puts its warnings: the list and the line being assembled. The first
// pass evaluates the same operands again and gives none.
struct TWarningSink {
    std::vector<TAsmWarning>* List = nullptr;
    int32_t Line = 0;
    void Add(std::string text) {
        if (List) List->push_back({Line, std::move(text)});
    }
};

std::string LineSuffix(int32_t line) { return " (vrstica " + std::to_string(line) + ")"; }

std::string Signed(long long v) { return (v >= 0 ? "+" : "") + std::to_string(v); }

// A label reference (TOznake::Resolve); in the second pass an offset that wraps is reported.
CompileStatus ResolveLabel(const TOznake& labels, std::string_view ref, uint16_t& v,
                           TWarningSink* sink = nullptr) {
    const TOznake::TReference r = TOznake::ParseReference(ref);
    if (r.Status == LabelLookup::BadOffset) return Status::OperandError;
    if (r.Status != LabelLookup::Found) return Status::UndefinedLabel;
    const LabelEntry* e = labels.Find(r.Name);
    if (!e) return Status::UndefinedLabel;
    v = static_cast<uint16_t>(e->Value + r.Offset);
    if (sink && r.HasOffset && r.Offset != r.Written)
        sink->Add("Opozorilo: odmik " + Signed(r.Written) + " v \"" + Cp1250ToUtf8(ref) +
                  "\" se bere kot bajt s predznakom, zato se prišteje " + Signed(r.Offset) +
                  LineSuffix(sink->Line));
    return Status::Ok;
}

CompileStatus Number(std::string_view text, uint16_t& v) {
    std::optional<uint16_t> n = ParseNumber(text);
    if (!n) return Status::OperandError;
    v = *n;
    return Status::Ok;
}

// "label or number": a first letter A..Z makes a label reference.
CompileStatus LabelOrNumber(const TOznake& labels, std::string_view op, uint16_t& v,
                            TWarningSink* sink = nullptr) {
    if (!op.empty() && IsLetter(op[0])) return ResolveLabel(labels, op, v, sink);
    return Number(op, v);
}

// The ORG operand: "$", "%" or a digit starts a number, A..Z a label; anything else is wrong.
CompileStatus OrgValue(const TOznake& labels, std::string_view op, uint16_t& v,
                       TWarningSink* sink = nullptr) {
    if (op.empty()) return Status::OperandError;
    char c = op[0];
    if (c == '$' || c == '%' || IsDigit(c)) return Number(op, v);
    if (IsLetter(c)) return ResolveLabel(labels, op, v, sink);
    return Status::OperandError;
}

// Addressing mode from the operand's shape; a numeric operand is evaluated (Direct needs its
// value). Returns None with status OperandError for a malformed number.
AddressingMode ChooseMode(std::string_view op, const InstructionEntry* rec, CompileStatus& status) {
    using M = AddressingMode;
    if (op.empty()) return M::Inherent;
    char c = op[0];
    if (c == '#') return M::Immediate;
    if (op.find(",X") != std::string_view::npos) return M::Indexed;
    if (c == '$' || c == '%' || IsDigit(c)) {
        std::optional<uint16_t> v = ParseNumber(op);
        if (!v) {
            status = Status::OperandError;
            return M::None;
        }
        const ModeEntry* direct = rec ? rec->FindMode(M::Direct) : nullptr;
        return (*v <= 0xFF && direct && direct->Size != 0) ? M::Direct : M::Extended;
    }
    if (IsLetter(c)) {
        const bool branch =
            rec && rec->ModeCount == 1 && rec->Modes[0].Mode == static_cast<uint8_t>(M::Relative);
        return branch ? M::Relative : M::Extended;
    }
    return M::None;
}

// The table entry for the chosen mode, or nullptr with UnknownInstruction (an operand error
// already found is kept).
const ModeEntry* EntryFor(const InstructionEntry* rec, AddressingMode mode, CompileStatus& status) {
    const ModeEntry* e = (rec && mode != AddressingMode::None) ? rec->FindMode(mode) : nullptr;
    if (!e || e->Size == 0) {
        if (status == Status::Ok) status = Status::UnknownInstruction;
        return nullptr;
    }
    return e;
}

// Pass 2 of one line: evaluates the operand, writes the line's bytes into the address space
// at the location counter (each tagged with the line number) and builds the listing text.
class TLineAssembler {
public:
    TLineAssembler(TMemory& memory, const TOznake& labels, const TUkaziFast& ukazi, uint16_t& lc,
                   std::vector<TAsmWarning>& warnings, std::array<int32_t, 0x20>& registerLine)
        : memory_(memory), labels_(labels), ukazi_(ukazi), lc_(lc), registerLine_(registerLine) {
        sink_.List = &warnings;
    }

    // Assembles the scanned line numbered `number`; `text` receives its listing text (none is
    // made when it is null).
    // `entry` (with its mode): an instruction's choice made by the first pass, or null.
    CompileStatus Assemble(const TLineFields& f, LineKind kind, std::string_view mnemonic, int32_t number,
                           std::string* text, const ModeEntry* entry = nullptr,
                           AddressingMode mode = AddressingMode::None);

private:
    void Emit(uint8_t byte);
    void Place(uint16_t address, MemoryCell cell);
    CompileStatus Label(std::string_view ref, uint16_t& v) { return ResolveLabel(labels_, ref, v, &sink_); }
    CompileStatus LabelOrNumber(std::string_view op, uint16_t& v) {
        return ::LabelOrNumber(labels_, op, v, &sink_);
    }
    // Listing text: hexadecimal digits, and the location counter with a space.
    void Hex(unsigned value, int digits) {
        if (!text_) return;
        char buffer[4];
        for (int i = digits - 1; i >= 0; --i, value >>= 4)
            buffer[i] = kHexDigits[value & 0xF];
        text_->append(buffer, static_cast<size_t>(digits));
    }
    void Address() {
        Hex(lc_, 4);
        if (text_) text_->push_back(' ');
    }
    void Equ(std::string_view op);
    void PresetBytes(std::string_view op, std::string_view rest);
    void Instruction(std::string_view mnemonic, std::string_view op, const ModeEntry* e, AddressingMode mode);
    void Operand(AddressingMode mode, const ModeEntry& e, std::string_view op);
    void Immediate(const ModeEntry& e, std::string_view value);

    TMemory& memory_;
    const TOznake& labels_;
    const TUkaziFast& ukazi_;
    uint16_t& lc_;
    std::array<int32_t, 0x20>& registerLine_;
    TWarningSink sink_;
    // The line being assembled.
    CompileStatus s_ = Status::Ok;
    int32_t number_ = 0;
    bool overlapTold_ = false; // the line's first byte over an earlier line's was reported
    std::string* text_ = nullptr;
};

// Writes a byte into the address space. A byte at an on-chip register address reaches the
// register and is noted; a byte over one that an earlier line assembled is reported once per
// line, with both lines.
void TLineAssembler::Place(uint16_t address, MemoryCell cell) {
    if (TMemory::WriteOwner(address) != RegisterOwner::None) {
        if (registerLine_[address] == 0) registerLine_[address] = number_;
    } else if (const int16_t earlier = memory_.Cells[address].Line;
               cell.Line > 0 && earlier > 0 && earlier != number_ && !overlapTold_) {
        overlapTold_ = true;
        std::string where;
        AppendHex(where, address, 4);
        sink_.Add("Opozorilo: vrstica " + std::to_string(number_) + " zapiše na naslov $" + where +
                  ", ki ga je že zapolnila vrstica " + std::to_string(earlier));
    }
    memory_.Write(address, cell, false);
}

// Writes one byte of the line at the location counter, tagged with the line number. Nothing is
// written once the line has failed.
void TLineAssembler::Emit(uint8_t byte) {
    if (s_ != Status::Ok) return;
    if (number_ > TCompiler::MaxCodeLine) {
        s_ = Status::ProgramTooLong;
        return;
    }
    Place(lc_, MemoryCell{byte, static_cast<int16_t>(number_)});
    Hex(byte, 2);
    lc_ = static_cast<uint16_t>(lc_ + 1);
}

CompileStatus TLineAssembler::Assemble(const TLineFields& f, LineKind kind, std::string_view mnemonic,
                                       int32_t number, std::string* text, const ModeEntry* entry,
                                       AddressingMode mode) {
    s_ = Status::Ok;
    number_ = number;
    sink_.Line = number;
    overlapTold_ = false;
    text_ = text;
    const std::string_view op = f.Operand;
    uint16_t v = 0;
    switch (kind) {
    case LineKind::None:
    case LineKind::End:
    case LineKind::Nam:
        break;
    case LineKind::Equ:
        Equ(op);
        break;
    case LineKind::Sm:
        PresetBytes(op, f.Rest);
        break;
    case LineKind::Rmb:
        Address();
        s_ = Number(op, v);
        lc_ = static_cast<uint16_t>(lc_ + v);
        break;
    case LineKind::Fdb:
        s_ = LabelOrNumber(op, v);
        Address();
        Emit(static_cast<uint8_t>(v >> 8));
        Emit(static_cast<uint8_t>(v));
        break;
    case LineKind::Fcb:
        Address();
        s_ = Number(op, v);
        Emit(static_cast<uint8_t>(v));
        break;
    case LineKind::Fcc:
        if (!Quoted(op)) {
            s_ = Status::OperandError;
            break;
        }
        Address();
        for (char c : op.substr(1, op.size() - 2))
            Emit(static_cast<uint8_t>(c));
        break;
    case LineKind::Org:
        s_ = OrgValue(labels_, op, v, &sink_);
        if (s_ == Status::Ok) {
            lc_ = v;
            Address();
        }
        break;
    case LineKind::Instruction:
        Instruction(mnemonic, op, entry, mode);
        break;
    }
    return s_;
}

void TLineAssembler::Equ(std::string_view op) {
    uint16_t v = 0;
    s_ = LabelOrNumber(op, v);
    if (s_ != Status::Ok) return;
    Hex(v, 4);
    if (text_) text_->push_back(' ');
}

// SM address data...: presets bytes (numbers or quoted text) from the address on. They are not
// program code: their cells carry PresetLine and the location counter does not move.
void TLineAssembler::PresetBytes(std::string_view op, std::string_view rest) {
    uint16_t at = 0;
    s_ = LabelOrNumber(op, at);
    auto preset = [&](uint8_t byte) {
        Place(at, MemoryCell{byte, PresetLine});
        at = static_cast<uint16_t>(at + 1);
    };
    size_t i = 0;
    while (s_ == Status::Ok) {
        const TSpan span = NextToken(rest, i, rest.size());
        if (span.Size() == 0) break;
        i = span.End;
        std::string_view token = rest.substr(span.Begin, span.Size());
        if (token[0] == '"') {
            if (!Quoted(token)) s_ = Status::OperandError;
            else
                for (char c : token.substr(1, token.size() - 2))
                    preset(static_cast<uint8_t>(c));
        } else {
            uint16_t v = 0;
            s_ = Number(token, v);
            if (s_ == Status::Ok) preset(static_cast<uint8_t>(v));
        }
    }
}

void TLineAssembler::Instruction(std::string_view mnemonic, std::string_view op, const ModeEntry* e,
                                 AddressingMode mode) {
    if (!e) {
        const InstructionEntry* rec = ukazi_.Find(mnemonic);
        mode = ChooseMode(op, rec, s_);
        e = EntryFor(rec, mode, s_);
        if (!e) return;
    }
    Address();
    Emit(e->Opcode);
    Operand(mode, *e, op);
}

void TLineAssembler::Operand(AddressingMode mode, const ModeEntry& e, std::string_view op) {
    uint16_t v = 0;
    switch (mode) {
    case AddressingMode::Inherent:
    case AddressingMode::None:
        break;
    case AddressingMode::Immediate:
        Immediate(e, op.substr(1));
        break;
    case AddressingMode::Direct:
        s_ = Number(op, v);
        Emit(static_cast<uint8_t>(v));
        break;
    case AddressingMode::Extended:
        s_ = LabelOrNumber(op, v);
        Emit(static_cast<uint8_t>(v >> 8));
        Emit(static_cast<uint8_t>(v));
        break;
    case AddressingMode::Indexed:
        s_ = Number(op.substr(0, op.size() - 2), v);
        Emit(static_cast<uint8_t>(v));
        break;
    case AddressingMode::Relative: {
        s_ = Label(op, v);
        if (s_ != Status::Ok) break;
        // Displacement from the address after the displacement byte.
        auto disp = static_cast<int16_t>(static_cast<uint16_t>(v - (lc_ + 1)));
        if (disp < -127 || disp > 127) s_ = Status::BranchTooFar;
        Emit(static_cast<uint8_t>(disp));
        break;
    }
    }
}

// "#value": a label, a character constant 'c' or a number; one byte, or two for the 16-bit
// immediates.
void TLineAssembler::Immediate(const ModeEntry& e, std::string_view value) {
    uint16_t v = 0;
    if (!value.empty() && IsLetter(value[0])) {
        s_ = Label(value, v);
    } else if (!value.empty() && value[0] == '\'') {
        if (value.size() >= 3 && value[2] == '\'') v = static_cast<uint8_t>(value[1]);
        else s_ = Status::OperandError;
    } else {
        s_ = Number(value, v);
    }
    if (e.Size == 3) Emit(static_cast<uint8_t>(v >> 8));
    Emit(static_cast<uint8_t>(v));
}

// The name an UndefinedLabel line looked up: its operand without "#" and without an offset,
// cut as label names are. Empty when the line failed on its own label (one starting with a
// digit) instead.
std::string MissingLabel(std::string_view text) {
    std::string buffer;
    TLineFields f;
    ScanLine(text, false, buffer, f);
    if (f.Empty || (!f.Label.empty() && IsDigit(f.Label[0]))) return {};
    std::string_view ref = f.Operand;
    if (!ref.empty() && ref[0] == '#') ref.remove_prefix(1);
    ref = ref.substr(0, TOznake::SignificantLength);
    if (const size_t sign = ref.find_first_of("+-"); sign != std::string_view::npos)
        ref = ref.substr(0, sign);
    return std::string(ref);
}

// "Namig: vrstica N vsebuje tabulator, ..." for the line that defines a label holding a TAB:
// the one whose name before the TAB is `wanted`, else the first. Empty when no line does.
std::string TabLabelHint(const TSourceLines& lines, std::string_view wanted) {
    std::string buffer, name;
    TLineFields f;
    int found = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        ScanLine(lines[i], false, buffer, f);
        const size_t tab = f.Label.find('\t');
        if (f.Empty || tab == std::string_view::npos) continue;
        const std::string_view before = f.Label.substr(0, tab);
        const bool match = !wanted.empty() && before.substr(0, TOznake::SignificantLength) == wanted;
        if (found == 0 || match) {
            found = static_cast<int>(i + 1);
            name = before;
        }
        if (match) break;
    }
    if (found == 0) return {};
    const std::string line = "Namig: vrstica " + std::to_string(found);
    const char* fields = "; oznako, ukaz in operand ločujejo samo presledki";
    if (name.empty())
        return line + " se začne s tabulatorjem, zato je vse do prvega presledka oznaka" + fields;
    return line + " vsebuje tabulator, zato oznaka ni " + Cp1250ToUtf8(name) + fields;
}

} // namespace

CompileResult PackCompileResult(const TAsmResult& result) {
    const int lineField = result.Line == 0 ? 0 : result.Line + 1;
    return lineField * 256 + static_cast<int>(result.Status);
}

TCompiler::TCompiler(TMemory& memory, const std::string& programDir)
    : memory_(memory), ukazi_(programDir + "/bin/ukazi.red") {
    scratch_.reserve(512);
}

TCompiler::~TCompiler() = default;

CompileResult TCompiler::Compile(const TSourceLines& lines) {
    listingErrors_.clear();
    listingProblem_.clear();
    hints_.clear();
    warnings_.clear();
    registerLine_.fill(0);
    memory_.Clear();
    labels_.ClearLabels();
    // Every byte carries its line number; a source with more lines than that can tell apart is
    // refused as a whole, before anything is read.
    if (lines.size() > MaxSourceLines)
        return PackCompileResult({Status::ProgramTooLong, static_cast<int32_t>(MaxSourceLines) + 1});

    TCode code(lines);
    // The lines and the end marker, and a label for each line at most, without regrowing.
    layouts_.reserve(lines.size() + 1);
    labels_.Reserve(lines.size());
    TAsmResult result = Pass1(code);
    if (result.Ok()) result = Pass2(code);
    if (result.Ok() && memory_.Read(0xFFFE, false).Line < 0) result = {Status::NoResetVector, 0};
    if (!result.Ok()) AddHints(lines, result);
    return PackCompileResult(result);
}

// A line refused for its length: which limit it passed, and by how much.
void TCompiler::AddLengthHints(const TLineFields& f, LineKind kind) {
    if (f.ReadLength > MaxLineLength)
        hints_.push_back("Namig: vrstica ima lahko največ " + std::to_string(MaxLineLength) +
                         " znakov (brez opombe), ta jih ima " + std::to_string(f.ReadLength));
    if (f.Operand.size() <= MaxOperandLength) return;
    if (kind == LineKind::Fcc)
        hints_.push_back("Namig: besedilo FCC ima lahko največ " + std::to_string(MaxOperandLength - 2) +
                         " znakov");
    else
        hints_.push_back("Namig: operand ima lahko največ " + std::to_string(MaxOperandLength) +
                         " znakov, ta jih ima " + std::to_string(f.Operand.size()));
}

// Explanations of a failure whose status alone points the student elsewhere.
void TCompiler::AddHints(const TSourceLines& lines, const TAsmResult& result) {
    const auto lineText = [&](int32_t number) -> std::string_view {
        return number > 0 && static_cast<size_t>(number) <= lines.size()
                   ? lines[static_cast<size_t>(number) - 1]
                   : std::string_view();
    };
    if (result.Status == Status::NoResetVector) {
        if (memory_.Read(0xFFFE, false).Line == PresetLine)
            hints_.emplace_back("Namig: beseda na naslovu $FFFE je zapisana le z direktivo SM, ki ne določa "
                                "začetka programa; zapišite jo z vrsticama ORG $FFFE in FDB START, kjer je "
                                "START oznaka prvega ukaza");
        else
            hints_.emplace_back("Namig: začetni naslov programa je beseda na naslovu $FFFE (reset vektor); "
                                "zapišite ga z vrsticama ORG $FFFE in FDB START, kjer je START oznaka prvega "
                                "ukaza");
    }
    // A TAB is part of the word it stands in, so the fields are not what the student sees.
    if (HasTabInFields(lineText(result.Line))) {
        hints_.emplace_back("Namig: vrstica vsebuje tabulator; oznako, ukaz in operand ločujejo samo "
                            "presledki");
        return;
    }
    // A label that is missing may have been defined with a TAB after it: that line defines a
    // different name.
    if (result.Status == Status::UndefinedLabel || result.Status == Status::NoResetVector) {
        if (std::string hint = TabLabelHint(lines, MissingLabel(lineText(result.Line))); !hint.empty()) {
            hints_.push_back(std::move(hint));
            return;
        }
    }
    bool tabs = false;
    for (size_t i = 0; result.Line == 0 && i < lines.size() && !tabs; ++i)
        tabs = HasTabInFields(lines[i]);
    if (tabs)
        hints_.emplace_back("Namig: izvorna koda vsebuje tabulatorje; oznako, ukaz in operand ločujejo "
                            "samo presledki");
}

std::vector<TRegisterByte> TCompiler::RegisterBytes() const {
    std::vector<TRegisterByte> bytes;
    for (uint16_t a = 0; a < registerLine_.size(); ++a)
        if (registerLine_[a] != 0) bytes.push_back({a, registerLine_[a]});
    return bytes;
}

TCompiler::TKeptLayout TCompiler::Keep(std::string_view text, const TLineLayout& l) {
    static_assert(sizeof(TKeptLayout) == 12 && TKeptLayout::Limit >= MaxLineLength);
    TKeptLayout k{};
    k.Kept = text.size() <= TKeptLayout::Limit;
    if (!k.Kept) return k;
    k.CommentStart = static_cast<uint8_t>(l.CommentStart);
    k.LabelEnd = static_cast<uint8_t>(l.Label.End);
    k.MnemonicBegin = static_cast<uint8_t>(l.Mnemonic.Begin);
    k.MnemonicEnd = static_cast<uint8_t>(l.Mnemonic.End);
    k.OperandBegin = static_cast<uint8_t>(l.Operand.Begin);
    k.OperandEnd = static_cast<uint8_t>(l.Operand.End);
    k.ReadEnd = static_cast<uint8_t>(l.ReadEnd);
    return k;
}

// The parts of the layout the field scanner uses.
TLineLayout TCompiler::Restore(const TKeptLayout& k) {
    TLineLayout l;
    l.CommentStart = k.CommentStart;
    l.Label = {0, k.LabelEnd};
    l.Mnemonic = {k.MnemonicBegin, k.MnemonicEnd};
    l.Operand = {k.OperandBegin, k.OperandEnd};
    l.ReadEnd = k.ReadEnd;
    return l;
}

void TCompiler::KeepChoice(TKeptLayout& kept, const TChoice& choice) const {
    kept.Record = static_cast<uint8_t>(choice.Record - &ukazi_.Record(0) + 1);
    kept.Slot = static_cast<uint8_t>(choice.Entry - choice.Record->Modes);
    kept.Mode = choice.Mode;
}

TCompiler::TChoice TCompiler::KeptChoice(const TKeptLayout& kept) const {
    TChoice choice;
    if (kept.Record == 0) return choice;
    choice.Record = &ukazi_.Record(kept.Record - 1u);
    choice.Entry = &choice.Record->Modes[kept.Slot];
    choice.Mode = kept.Mode;
    return choice;
}

TAsmResult TCompiler::Pass1(TCode& code) {
    uint16_t lc = 0;
    TLineFields f;
    layouts_.clear();
    SourceLine line = code.FirstLine();
    for (;;) {
        const TLineLayout layout = LayoutLine(line.Text);
        const bool inPlace = ScanFields(line.Text, layout, false, scratch_, f);
        TKeptLayout& kept = layouts_.emplace_back(Keep(line.Text, layout));
        kept.AsWritten = inPlace;
        CompileStatus s = Status::Ok;
        bool breakpoint = false;
        LineKind kind = LineKind::None;
        if (!f.Empty) {
            breakpoint = f.Breakpoint;
            std::string_view mnemonic = f.Mnemonic;
            kind = ClassifyMnemonic(mnemonic);
            if (f.TooLong) {
                s = Status::OperandError;
                AddLengthHints(f, kind);
            } else if (!f.Label.empty()) s = DefineLabel(f.Label, kind, f.Operand, lc, line.Number);
            if (s == Status::Ok) {
                // Breakpoints belong on instruction lines.
                if (kind == LineKind::Instruction) breakpoint = false;
                TChoice choice;
                s = Advance(kind, mnemonic, f.Operand, lc, choice);
                // The second pass reads a quoted operand as written, this one upper-cased.
                if (choice.Entry && (f.Operand.empty() || f.Operand[0] != '"')) KeepChoice(kept, choice);
            }
        }
        Step();
        if (s != Status::Ok) return {s, line.Number};
        if (breakpoint) return {Status::MisplacedBreakpoint, line.Number};
        if (kind == LineKind::End) return {};
        line = code.NextLine();
    }
}

// A label field in pass 1: the label takes the location counter, or for EQU its operand. A
// name that starts with a digit is refused.
CompileStatus TCompiler::DefineLabel(std::string_view label, LineKind kind, std::string_view operand,
                                     uint16_t lc, int32_t line) {
    if (IsDigit(label[0])) return Status::UndefinedLabel;
    uint16_t value = lc;
    CompileStatus s = Status::Ok;
    if (kind == LineKind::Equ) s = LabelOrNumber(labels_, operand, value);
    labels_.AddLabel(label, value, line);
    return s;
}

// Moves the location counter over one line in pass 1, as pass 2 will fill it.
CompileStatus TCompiler::Advance(LineKind kind, std::string_view mnemonic, std::string_view operand,
                                 uint16_t& lc, TChoice& choice) {
    CompileStatus s = Status::Ok;
    uint16_t v = 0;
    switch (kind) {
    case LineKind::None:
    case LineKind::Equ:
    case LineKind::Sm:
    case LineKind::End:
    case LineKind::Nam:
        break;
    case LineKind::Rmb:
        s = Number(operand, v);
        lc = static_cast<uint16_t>(lc + v);
        break;
    case LineKind::Fdb:
        lc = static_cast<uint16_t>(lc + 2);
        break;
    case LineKind::Fcb:
        lc = static_cast<uint16_t>(lc + 1);
        break;
    case LineKind::Fcc:
        if (Quoted(operand)) lc = static_cast<uint16_t>(lc + operand.size() - 2);
        else s = Status::OperandError;
        break;
    case LineKind::Org:
        s = OrgValue(labels_, operand, v);
        if (s == Status::Ok) lc = v;
        break;
    case LineKind::Instruction: {
        choice.Record = ukazi_.Find(mnemonic);
        choice.Mode = ChooseMode(operand, choice.Record, s);
        choice.Entry = EntryFor(choice.Record, choice.Mode, s);
        if (choice.Entry) lc = static_cast<uint16_t>(lc + choice.Entry->Size);
        break;
    }
    }
    return s;
}

TAsmResult TCompiler::Pass2(TCode& code) {
    std::optional<TListing> listing;
    if (!ListingPath.empty()) listing.emplace(ListingPath, listingErrors_, listingProblem_);

    uint16_t lc = 0;
    TLineAssembler assembler(memory_, labels_, ukazi_, lc, warnings_, registerLine_);
    std::string text; // ListingText of the line
    text.reserve(64);
    TLineFields f;
    TAsmResult result;
    SourceLine line = code.FirstLine();
    // The second pass reads the lines the first one measured, in the same order.
    for (size_t position = 0;; ++position) {
        text.clear();
        const TKeptLayout* kept = position < layouts_.size() ? &layouts_[position] : nullptr;
        if (kept && kept->Kept && kept->AsWritten) ViewFields(line.Text, Restore(*kept), f);
        else if (kept && kept->Kept) ScanFields(line.Text, Restore(*kept), true, scratch_, f);
        else ScanLine(line.Text, true, scratch_, f);
        CompileStatus s = Status::Ok;
        LineKind kind = LineKind::None;
        std::string* listed = listing ? &text : nullptr;
        if (const TChoice choice = kept ? KeptChoice(*kept) : TChoice(); choice.Entry) {
            kind = LineKind::Instruction;
            s = assembler.Assemble(f, kind, {}, line.Number, listed, choice.Entry, choice.Mode);
        } else if (!f.Empty) {
            std::string_view mnemonic = f.Mnemonic;
            kind = ClassifyMnemonic(mnemonic);
            s = assembler.Assemble(f, kind, mnemonic, line.Number, listed);
        }
        if (listing) listing->WriteLine(line.Number, text, line.Text);
        Step();
        if (s != Status::Ok) {
            result = {s, line.Number};
            break;
        }
        if (kind == LineKind::End) break;
        line = code.NextLine();
    }
    if (listing) listing->Close();
    return result;
}
