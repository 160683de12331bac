#include "session/log.h"

#include "engine/hex.h"

namespace {
void Hex(std::string& out, unsigned value, int digits) { AppendHex(out, value, digits); }
} // namespace

void TLog::AppendHeader() {
    if (!Enabled) return;
    TLogRecord header;
    header.Header = true;
    records_.push_back(header);
    if (onAppended) onAppended(records_.size() - 1);
}

void TLog::Append(const TLogRecord& record) {
    if (!Enabled) return;
    records_.push_back(record);
    if (onAppended) onAppended(records_.size() - 1);
}

std::string TLog::Format(size_t index) const { return Format(records_.at(index)); }

std::string TLog::Format(const TLogRecord& record) const {
    std::string out;
    out.reserve(64);
    FormatTo(record, out);
    return out;
}

void TLog::FormatTo(const TLogRecord& r, std::string& out) const {
    if (r.Header) {
        out += kHeader;
        return;
    }
    Hex(out, r.PC, 4);
    out += '\t';
    out += std::to_string(r.Line);
    out += '\t';
    Hex(out, r.Opcode, 2);
    out += '\t';
    if (names_) out += (*names_)[r.Opcode];
    out += '\t';
    AppendRegisterLine(out, r.Registers(), kLogRegisters, '\t', false);
    out += '\t';
    out += std::to_string(r.Elapsed);
    out += '\t';
    for (int source = 1; source <= 5; ++source)
        if (r.Pending >> source & 1) out += static_cast<char>('0' + source);
}
