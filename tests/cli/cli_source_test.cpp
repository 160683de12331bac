// A source file read for the assembler: its lines, line ends of every kind, the encodings, and
// the cut after the most lines the assembler takes.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "assembler/compiler.h"
#include "cli/files.h"
#include "tests/cli/cli_process.h"

namespace {

std::string Repeat(const std::string& text, size_t times) {
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

} // namespace

TEST(CliSourceTest, LinesLineEndsAndEncodingsAsTheAssemblerGetsThem) {
    using V = std::vector<std::string>;
    const size_t most = TCompiler::MaxSourceLines + 1; // the first line past the limit is kept
    const struct {
        std::string bytes;
        V lines;
        bool utf8, lossy;
    } cases[] = {
        {"", V{}, true, false},
        {"\n", V{""}, true, false},
        {"a", V{"a"}, true, false},
        {"a\n\n", V{"a", ""}, true, false},
        {"a\r\n\r\n", V{"a", ""}, true, false},
        {"a\r\nb\rc\nd", V{"a", "b", "c", "d"}, true, false},
        {"\r\r\n\n", V{"", "", ""}, true, false},
        {"a\t\f\v\n", V{"a\t\f\v"}, true, false},
        {"\xEF\xBB\xBF", V{}, true, false},
        {"\xEF\xBB\xBF nop\r\n x", V{" nop", " x"}, true, false},
        {" ldaa #'\xC4\x8D'\r\n nop", V{" ldaa #'\xE8'", " nop"}, true, false}, // č
        {"\xE4\xB8\xAD\r\r\n", V{"?", ""}, true, true},                         // no Windows-1250 form
        {"\xEF\xBB\xBF\xE8\r\n", V{"\xE8"}, false, false},                      // č in Windows-1250
        {"\xE8\rx\n", V{"\xE8", "x"}, false, false},
        // A CR LF across the end of the first 64 KiB block is one line end.
        {std::string(65535, 'x') + "\r\ny", V{std::string(65535, 'x'), "y"}, true, false},
        {Repeat("ab\n", most + 5), V(most, "ab"), true, false},
        {Repeat("a\r\n", most + 5), V(most, "a"), true, false},
        {Repeat("\xE8x\r", most + 5), V(most, "\xE8x"), false, false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes.substr(0, 24));
        const std::string path = dir.Path("x.asm");
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.bytes;
        const TSourceText source = ReadSource(path);
        EXPECT_EQ(source.Lines().Strings(), c.lines);
        EXPECT_EQ(source.WasUtf8, c.utf8);
        EXPECT_EQ(source.Lossy, c.lossy);
    }
}
