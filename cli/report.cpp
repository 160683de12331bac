#include "cli/report.h"

#include "engine/hex.h"

namespace {
void Hex(std::string& out, unsigned value, int digits) { AppendHex(out, value, digits); }

std::string Bits(uint8_t value) {
    std::string s;
    AppendBits8(s, value);
    return s;
}

// Length of the valid UTF-8 sequence at text[i], 0 if invalid.
size_t Utf8Length(const std::string& text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    size_t n;
    uint32_t cp;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else return 0;
    if (i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (byte(i + k) & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}
} // namespace

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                Hex(out, c, 2);
            }
            ++i;
        } else {
            size_t n = Utf8Length(text, i);
            if (n == 0) {
                out += "\\uFFFD";
                ++i;
            } else {
                out.append(text, i, n);
                i += n;
            }
        }
    }
    out += '"';
    return out;
}

std::string FormatReportText(const TRunReport& r) {
    std::string out;
    out += "A=";
    Hex(out, r.A, 2);
    out += " B=";
    Hex(out, r.B, 2);
    out += " D=";
    Hex(out, r.D, 4);
    out += " X=";
    Hex(out, r.X, 4);
    out += " PC=";
    Hex(out, r.PC, 4);
    out += " SP=";
    Hex(out, r.SP, 4);
    out += " CCR=" + Bits(r.CCR) + "\n";
    out += "steps=" + std::to_string(r.Steps) + " stop=" + r.Stop + " line=" + std::to_string(r.Line) + "\n";
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
    for (const TraceRow& t : r.Trace) {
        out += "trace: ";
        Hex(out, t.Address, 4);
        out += ' ';
        Hex(out, t.Data, 2);
        out += t.Direction ? " W\n" : " R\n";
    }
    return out;
}

std::string FormatReportJson(const TRunReport& r) {
    std::string out = "{\"loaded\":";
    out += r.Loaded ? "true" : "false";
    out += ",\"messages\":[";
    for (size_t i = 0; i < r.Messages.size(); ++i) {
        if (i) out += ',';
        out += JsonString(r.Messages[i]);
    }
    out += ']';
    if (r.Loaded) {
        out += ",\"registers\":{\"A\":" + std::to_string(r.A) + ",\"B\":" + std::to_string(r.B) +
               ",\"D\":" + std::to_string(r.D) + ",\"X\":" + std::to_string(r.X) +
               ",\"PC\":" + std::to_string(r.PC) + ",\"SP\":" + std::to_string(r.SP) + ",\"CCR\":\"" +
               Bits(r.CCR) + "\"}";
        out += ",\"steps\":" + std::to_string(r.Steps) + ",\"stop\":" + JsonString(r.Stop) +
               ",\"line\":" + std::to_string(r.Line);
        out += ",\"memory\":[";
        for (size_t i = 0; i < r.Mems.size(); ++i) {
            if (i) out += ',';
            out += "{\"address\":" + std::to_string(r.Mems[i].Address) + ",\"bytes\":[";
            for (size_t k = 0; k < r.Mems[i].Bytes.size(); ++k) {
                if (k) out += ',';
                out += std::to_string(r.Mems[i].Bytes[k]);
            }
            out += "]}";
        }
        out += "],\"sci_out\":[";
        for (size_t i = 0; i < r.SciOut.size(); ++i) {
            if (i) out += ',';
            out += std::to_string(r.SciOut[i]);
        }
        out += "],\"trace\":[";
        for (size_t i = 0; i < r.Trace.size(); ++i) {
            if (i) out += ',';
            out += "{\"address\":" + std::to_string(r.Trace[i].Address) +
                   ",\"data\":" + std::to_string(r.Trace[i].Data) + ",\"rw\":\"" +
                   (r.Trace[i].Direction ? "W" : "R") + "\"}";
        }
        out += ']';
    }
    out += "}\n";
    return out;
}
