// The similarity of programs: copies that differ only in names, numbers, comments and spacing
// (or in A and B exchanged) are the same program; different programs are not.
#include <gtest/gtest.h>

#include <random>

#include "session/similarity.h"
#include "tests/session/sourcelines.h"

namespace {

// The programs of tests/data/cli/similar: the original, a copy with other names, addresses,
// constants, comments and spacing, the original with A and B exchanged, and another program.
TProgramShape Shape(const char* name) {
    return ReadProgramShape(TestProgram(std::string("cli/similar/") + name));
}

TEST(SimilarityTest, RenamedAndExchangedCopiesMatchDifferentProgramsDoNot) {
    const TProgramShape original = Shape("izvirnik.asm");
    ASSERT_EQ(original.Tokens.size(), 12u);
    EXPECT_EQ(TokenText(original.Tokens[0]), "LDS #");
    EXPECT_EQ(TokenText(original.Tokens[4]), "STAA adr");
    EXPECT_EQ(TokenText(original.Tokens[8]), "ADDA ,X");
    EXPECT_EQ(TokenText(original.Tokens[10]), "BNE rel");
    EXPECT_EQ(original.Lines[0], 3);
    const struct {
        const char* name;
        double low, high;
        bool swapped;
    } cases[] = {
        {"preimenovan.asm", 1.0, 1.0, false},
        {"zamenjan.asm", 1.0, 1.0, true},
        {"drug.asm", 0.0, 0.35, false},
    };
    for (const auto& c : cases) {
        const TSimilarity s = CompareShapes(original, Shape(c.name));
        EXPECT_GE(s.Score, c.low) << c.name;
        EXPECT_LE(s.Score, c.high) << c.name;
        EXPECT_EQ(s.Swapped, c.swapped) << c.name;
    }
    const std::vector<std::pair<size_t, size_t>> pairs = AlignShapes(original, Shape("zamenjan.asm"), true);
    EXPECT_EQ(pairs.size(), 12u);
}

// The bit-parallel length agrees with the table that aligns the lines, across word boundaries.
TEST(SimilarityTest, CommonLengthAgreesWithTheAlignment) {
    std::mt19937 random(5);
    for (const auto& [n, m] : {std::pair{1, 1}, {63, 64}, {64, 65}, {130, 90}, {200, 257}}) {
        TProgramShape a, b;
        for (int i = 0; i < n; ++i)
            a.Tokens.push_back(static_cast<uint16_t>(random() % 6));
        for (int i = 0; i < m; ++i)
            b.Tokens.push_back(static_cast<uint16_t>(random() % 6));
        a.Swapped = a.Tokens;
        b.Swapped = b.Tokens;
        EXPECT_EQ(CompareShapes(a, b).Common, AlignShapes(a, b, false).size()) << n << " x " << m;
        EXPECT_EQ(CompareShapes(b, a).Common, AlignShapes(b, a, false).size()) << m << " x " << n;
    }
}

} // namespace
