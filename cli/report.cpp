#include "cli/report.h"

#include <nlohmann/json.hpp>

#include "engine/hex.h"

namespace {
void Hex(std::string& out, unsigned value, int digits) { AppendHex(out, value, digits); }
} // namespace

std::string FormatReportText(const TRunReport& r) {
    std::string out;
    AppendRegisterLine(out, r.Registers, kReportRegisters, ' ', true);
    out += '\n';
    out += "steps=" + std::to_string(r.Steps) + " stop=" + r.Stop + " line=" + std::to_string(r.Line) +
           " cycles=" + std::to_string(r.Cycles) + (r.Model == "classic" ? "" : " model=" + r.Model) + "\n";
    for (const TRunReport::Memory& m : r.Mems) {
        for (size_t row = 0; row < m.Bytes.size(); row += 16) {
            Hex(out, static_cast<uint16_t>(m.Address + row), 4);
            out += ':';
            for (size_t k = row; k < m.Bytes.size() && k < row + 16; ++k) {
                out += ' ';
                Hex(out, m.Bytes[k], 2);
            }
            out += '\n';
        }
    }
    out += "sci-out:";
    for (uint8_t b : r.SciOut) {
        out += ' ';
        Hex(out, b, 2);
    }
    out += '\n';
    for (const std::string& line : r.BoardText)
        out += line + '\n';
    for (const TraceRow& t : r.Trace) {
        out += "trace: ";
        Hex(out, t.Address, 4);
        out += ' ';
        Hex(out, t.Data, 2);
        out += t.Direction ? " W\n" : " R\n";
    }
    for (const TRunReport::ProfileLine& p : r.ProfileLines)
        out += "profile-line: " + std::to_string(p.Line) + " count=" + std::to_string(p.Count) +
               " cycles=" + std::to_string(p.Cycles) + "\n";
    for (const TRunReport::ProfileSubroutine& p : r.ProfileSubroutines) {
        out += "profile-sub: " + p.Label + " ";
        Hex(out, p.Address, 4);
        out += " calls=" + std::to_string(p.Calls) + " inclusive=" + std::to_string(p.Inclusive) +
               " exclusive=" + std::to_string(p.Exclusive) + "\n";
    }
    return out;
}

std::string FormatReportJson(const TRunReport& r) {
    // Keys in the documented order.
    using Json = nlohmann::ordered_json;
    Json report = {{"loaded", r.Loaded}, {"messages", r.Messages}};
    if (r.Loaded) {
        Json registers = Json::object();
        for (CpuRegister reg : kReportRegisters) {
            if (reg == CpuRegister::CCR) {
                std::string bits;
                AppendRegisterText(bits, r.Registers, reg);
                registers[RegisterLabel(reg)] = bits;
            } else {
                registers[RegisterLabel(reg)] = r.Registers.Value(reg);
            }
        }
        report["registers"] = std::move(registers);
        report["steps"] = r.Steps;
        report["stop"] = r.Stop;
        report["line"] = r.Line;
        report["cycles"] = r.Cycles;
        report["model"] = r.Model;
        Json memory = Json::array();
        for (const TRunReport::Memory& m : r.Mems)
            memory.push_back({{"address", m.Address}, {"bytes", m.Bytes}});
        report["memory"] = std::move(memory);
        report["sci_out"] = r.SciOut;
        if (r.HasBoard) report["board"] = r.BoardJson;
        Json trace = Json::array();
        for (const TraceRow& t : r.Trace)
            trace.push_back({{"address", t.Address}, {"data", t.Data}, {"rw", t.Direction ? "W" : "R"}});
        report["trace"] = std::move(trace);
        if (r.HasProfile) {
            Json lines = Json::array(), subroutines = Json::array();
            for (const TRunReport::ProfileLine& p : r.ProfileLines)
                lines.push_back({{"line", p.Line}, {"count", p.Count}, {"cycles", p.Cycles}});
            for (const TRunReport::ProfileSubroutine& p : r.ProfileSubroutines)
                subroutines.push_back({{"label", p.Label},
                                       {"address", p.Address},
                                       {"calls", p.Calls},
                                       {"inclusive", p.Inclusive},
                                       {"exclusive", p.Exclusive}});
            report["profile"] = {{"lines", std::move(lines)}, {"subroutines", std::move(subroutines)}};
        }
    }
    return report.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}
