#include "session/messages.h"

#include "assembler/compiler.h"

TCompileOutcome SplitCompileResult(int result) {
    TCompileOutcome o;
    o.Result = result;
    o.Status = static_cast<uint8_t>(result & 0xFF);
    // Sources may be longer than 65535 lines, so the line is not cut to 16 bits.
    o.LineField = static_cast<int>(static_cast<unsigned>(result) >> 8);
    return o;
}

std::string CompileStatusMessage(const TCompileOutcome& outcome) {
    const char* text = nullptr;
    switch (static_cast<CompileStatus>(outcome.Status)) {
    case CompileStatus::NoResetVector:
        text = "Napaka: ni oznake START";
        break;
    case CompileStatus::UnknownInstruction:
        text = "Napaka: neznan ukaz";
        break;
    case CompileStatus::OperandError:
        text = "Napaka v določilu operanda";
        break;
    case CompileStatus::UndefinedLabel:
        text = "Napaka v oznaki - oznaka ni definirana";
        break;
    case CompileStatus::MisplacedBreakpoint:
        text = "Prekinitvena točka v napacni vrstici";
        break;
    case CompileStatus::BranchTooFar:
        text = "Predolg skok za relativno naslavljanje";
        break;
    case CompileStatus::ProgramTooLong: {
        static const std::string tooLong = "Napaka: program je predolg, dovoljenih je največ " +
                                           std::to_string(TCompiler::MaxSourceLines) + " vrstic";
        text = tooLong.c_str();
        break;
    }
    case CompileStatus::UnknownError:
        text = "Neznana napaka";
        break;
    default:
        return {};
    }
    std::string message = text;
    // A missing reset vector (or an oversized source) belongs to no line; "line -1" would only
    // confuse, so such a message stands alone.
    if (outcome.LineField == 0) return message;
    message += " (napaka v vrstici ";
    message += std::to_string(outcome.LineField - 1);
    message += ")";
    return message;
}

std::vector<std::string> CompileMessages(const TCompileOutcome& outcome,
                                         const std::vector<std::string>& hints) {
    std::vector<std::string> lines;
    if (outcome.Ok()) return lines;
    std::string status = CompileStatusMessage(outcome);
    if (!status.empty()) lines.push_back(std::move(status));
    lines.insert(lines.end(), hints.begin(), hints.end());
    lines.emplace_back(kCannotStartMessage);
    return lines;
}

const char* VectorMessage(uint8_t status) {
    switch (status) {
    case 2:
        return "NMI vektor ni definiran!";
    case 3:
        return "IRQ vektor ni definiran!";
    case 4:
        return "SCI vektor ni definiran!";
    case 5:
        return "TOF vektor ni definiran!";
    case 6:
        return "OCF vektor ni definiran!";
    case 7:
        return "ICF vektor ni definiran!";
    default:
        return "";
    }
}
