// The text encodings on arbitrary bytes. Checks: Windows-1250 -> UTF-8 -> Windows-1250 gives the
// bytes back exactly, the UTF-8 written is valid, a UTF-8 -> Windows-1250 conversion is stable
// under another round, upper-casing is idempotent, and line splitting keeps every character
// that is not a line end, in order.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoding.h"
#include "fuzz/check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = Cp1250ToUtf8(bytes);
    FUZZ_CHECK(IsValidUtf8(utf8));
    FUZZ_CHECK(Utf8ToCp1250(utf8) == bytes);

    const std::string cp = Utf8ToCp1250(bytes);
    FUZZ_CHECK(cp.size() <= bytes.size());
    FUZZ_CHECK(Utf8ToCp1250(Cp1250ToUtf8(cp)) == cp);
    if (IsValidUtf8(bytes) && cp.find('?') == std::string::npos) FUZZ_CHECK(Cp1250ToUtf8(cp) == bytes);

    std::string upper(bytes);
    UpperCase1250(upper);
    std::string twice = upper;
    UpperCase1250(twice);
    FUZZ_CHECK(twice == upper);

    const std::vector<std::string> lines = SplitLines(bytes);
    FUZZ_CHECK(lines.empty() == bytes.empty());
    std::string kept, joined;
    for (char c : bytes)
        if (c != '\r' && c != '\n') kept += c;
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n") == std::string::npos);
        joined += line;
    }
    FUZZ_CHECK(joined == kept);
    return 0;
}
