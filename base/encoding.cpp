#include "base/encoding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace {

// Unicode code points of Windows-1250 bytes 0x80..0xFF. Unassigned bytes map to the C1
// control of the same value.
constexpr uint16_t kHigh[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

constexpr std::array<uint8_t, 256> MakeUpper() {
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = static_cast<uint8_t>(i);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<uint8_t>(c - 32);
    t[0x9A] = 0x8A; // š
    t[0x9C] = 0x8C; // ś
    t[0x9D] = 0x8D; // ť
    t[0x9E] = 0x8E; // ž
    t[0x9F] = 0x8F; // ź
    t[0xB3] = 0xA3; // ł
    t[0xB9] = 0xA5; // ą
    t[0xBA] = 0xAA; // ş
    t[0xBE] = 0xBC; // ľ
    t[0xBF] = 0xAF; // ż
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7) t[c] = static_cast<uint8_t>(c - 0x20); // à..ţ except ÷
    return t;
}
constexpr std::array<uint8_t, 256> kUpper = MakeUpper();

// Decodes one UTF-8 sequence at text[i]; returns its length, or 0 when malformed.
size_t DecodeUtf8(std::string_view text, size_t i, uint32_t& cp) {
    const auto b = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
    uint8_t c = b(i);
    size_t len;
    uint32_t min;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > text.size()) return 0;
    for (size_t k = 1; k < len; ++k) {
        uint8_t cc = b(i + k);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// The end of the run of ASCII bytes that starts at text[i], eight bytes at a time: sources are
// mostly ASCII, which is the same in UTF-8 and in Windows-1250.
size_t AsciiRunEnd(std::string_view text, size_t i) {
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    while (i < text.size() && static_cast<uint8_t>(text[i]) < 0x80)
        ++i;
    return i;
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    uint32_t cp;
    for (size_t i = AsciiRunEnd(text, 0); i < text.size(); i = AsciiRunEnd(text, i)) {
        size_t len = DecodeUtf8(text, i, cp);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string Utf8ToCp1250(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    uint32_t cp;
    for (size_t i = 0; i < utf8.size();) {
        // ASCII is copied as it is.
        const size_t run = AsciiRunEnd(utf8, i);
        out.append(utf8, i, run - i);
        i = run;
        if (i == utf8.size()) break;
        size_t len = DecodeUtf8(utf8, i, cp);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += len;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        char mapped = '?';
        for (int k = 0; k < 128; ++k)
            if (kHigh[k] == cp) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        out += mapped;
    }
    return out;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
    std::string out;
    out.reserve(cp1250.size() + cp1250.size() / 4);
    for (size_t i = 0; i < cp1250.size(); ++i) {
        // ASCII is copied as it is.
        const size_t run = AsciiRunEnd(cp1250, i);
        out.append(cp1250, i, run - i);
        i = run;
        if (i == cp1250.size()) break;
        AppendUtf8(out, kHigh[static_cast<uint8_t>(cp1250[i]) - 0x80]);
    }
    return out;
}

namespace {
// How many LF characters the text holds, eight bytes at a time: a byte of the word is marked
// exactly when it is LF (no borrow crosses bytes), and the marks are counted.
size_t CountLineFeeds(std::string_view text) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr uint64_t kLf = 0x0A0A0A0A0A0A0A0Aull;
    size_t count = 0, i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        const uint64_t x = word ^ kLf;                      // zero bytes where LF was
        const uint64_t nonzero = ((x & kLow7) + kLow7) | x; // high bit set in every nonzero byte
        count += static_cast<size_t>(std::popcount(~nonzero & ~kLow7));
    }
    for (; i < text.size(); ++i)
        count += text[i] == '\n';
    return count;
}
} // namespace

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    if (text.find('\r') == std::string_view::npos) {
        // Counted first, so the lines are not moved again as the vector grows.
        lines.reserve(CountLineFeeds(text) + 1);
        // Only LF ends lines: the library's search finds them.
        for (size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
            lines.emplace_back(text.substr(start, end - start));
        if (start < text.size()) lines.emplace_back(text.substr(start));
        return lines;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.emplace_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            start = i + 1;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

void UpperCase1250(char* begin, char* end) {
    for (char* p = begin; p != end; ++p)
        *p = static_cast<char>(kUpper[static_cast<uint8_t>(*p)]);
}

void UpperCase1250(std::string& text) { UpperCase1250(text.data(), text.data() + text.size()); }

TSourceBytes DetectEncoding(std::string_view bytes) {
    TSourceBytes source;
    source.Body = bytes;
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        source.ByteOrderMark = true;
        source.Body.remove_prefix(kUtf8Bom.size());
    }
    source.Encoding = IsValidUtf8(source.Body) ? TextEncoding::Utf8 : TextEncoding::Cp1250;
    return source;
}
