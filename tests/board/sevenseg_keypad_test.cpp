// Seven-segment digits, the persistence of a multiplexed display, and the key matrix.
#include <gtest/gtest.h>

#include <set>

#include "board/keypad.h"
#include "board/sevenseg.h"

namespace {

constexpr uint64_t kUs = 1000, kMs = 1'000'000;

TEST(SevenSegmentTest, PatternsReadAsDigits) {
    struct Case {
        uint8_t Pattern;
        const char* Text;
    };
    const Case cases[] = {{0x3F, "0"}, {0x06, "1"},  {0x5B, "2"},  {0x4F, "3"}, {0x66, "4"}, {0x6D, "5"},
                          {0x7D, "6"}, {0x07, "7"},  {0x27, "7"},  {0x7F, "8"}, {0x6F, "9"}, {0x67, "9"},
                          {0x77, "A"}, {0x7C, "B"},  {0x39, "C"},  {0x5E, "D"}, {0x79, "E"}, {0x71, "F"},
                          {0x00, " "}, {0x80, " ."}, {0xBF, "0."}, {0x40, "?"}, {0x49, "?"}};
    for (const Case& c : cases)
        EXPECT_EQ(DigitText(c.Pattern), c.Text) << int(c.Pattern);
    EXPECT_EQ(SegmentLetters(0xFF), "abcdefg.");
    EXPECT_EQ(SegmentLetters(0x06), "bc");
}

TEST(SevenSegmentTest, BcdDecoderDrawsTheDigitsAndBlanksTheRest) {
    for (unsigned v = 0; v < 10; ++v)
        EXPECT_EQ(DigitText(BcdPattern(v)), std::string(1, static_cast<char>('0' + v)));
    for (unsigned v = 10; v < 16; ++v)
        EXPECT_EQ(BcdPattern(v), 0);
}

// Four digits showing 1, 2, 3, 4 in turn, each for `dwell`. The sloppy program puts the next
// digit's segments out `overlap` before it moves the select line on.
std::set<std::string> Seen(uint64_t dwell, uint64_t overlap, uint64_t window) {
    const uint8_t digits[4] = {0x06, 0x5B, 0x4F, 0x66};
    TPersistence::State s = TPersistence::Start(0, window);
    std::set<std::string> seen;
    uint64_t t = 0;
    for (int round = 0; t < 2 * window + 80 * dwell; ++round)
        for (int d = 0; d < 4; ++d) {
            TPersistence::TPatterns lit{};
            lit[d] = digits[d];
            TPersistence::Light(s, t, window, lit);
            t += dwell - overlap;
            lit[d] = digits[(d + 1) % 4]; // the next digit's segments, this digit still selected
            if (overlap) TPersistence::Light(s, t, window, lit);
            t += overlap;
            // Looked at now and then, once the eye has had a window's time.
            if (t > 2 * window && (round * 4 + d) % 3 == 0) {
                const TPersistence::TPatterns shown = TPersistence::Shown(s, t, window);
                std::string text;
                for (int k = 0; k < 4; ++k)
                    text += DigitText(shown[k]);
                seen.insert(text);
            }
        }
    return seen;
}

TEST(PersistenceTest, FastMultiplexingIsSteady) {
    EXPECT_EQ(Seen(1 * kMs, 0, 20 * kMs), (std::set<std::string>{"1234"}));
    EXPECT_EQ(Seen(20 * kUs, 0, 20 * kMs), (std::set<std::string>{"1234"}));
}

TEST(PersistenceTest, SlowMultiplexingFlickers) {
    const std::set<std::string> seen = Seen(30 * kMs, 0, 20 * kMs);
    EXPECT_GT(seen.size(), 1u);
    EXPECT_EQ(seen.count("1234"), 0u);
    for (const std::string& text : seen)
        EXPECT_NE(text.find(' '), std::string::npos) << text;
}

TEST(PersistenceTest, ABriefOverlapLeavesNoGhostALongOneDoes) {
    EXPECT_EQ(Seen(1 * kMs, 3 * kUs, 20 * kMs), (std::set<std::string>{"1234"}));
    const std::set<std::string> ghosts = Seen(1 * kMs, 400 * kUs, 20 * kMs);
    EXPECT_EQ(ghosts.count("1234"), 0u);
}

TEST(PersistenceTest, ADigitLitFromThePowerOnIsSeenAtOnce) {
    TPersistence::State s = TPersistence::Start(5 * kMs, 100 * kMs);
    TPersistence::TPatterns lit{};
    lit[0] = 0x06;
    TPersistence::Light(s, 5 * kMs, 100 * kMs, lit);
    EXPECT_EQ(TPersistence::Shown(s, 6 * kMs, 100 * kMs)[0], 0x06);
    lit[0] = 0;
    TPersistence::Light(s, 6 * kMs, 100 * kMs, lit);
    EXPECT_EQ(TPersistence::Shown(s, 50 * kMs, 100 * kMs)[0], 0); // 1 ms of 45 is too little
}

// Shares: a digit multiplexed among four is lit a quarter of the time; a ghost's share is the
// time the wrong segments stood on it.
TEST(PersistenceTest, SharesTellHowLongEachSegmentWasLit) {
    const uint64_t window = 20 * kMs;
    for (const uint64_t overlap : {uint64_t{0}, 200 * kUs}) {
        TPersistence::State s = TPersistence::Start(0, window);
        uint64_t t = 0;
        while (t < 3 * window)
            for (int d = 0; d < 4; ++d) {
                TPersistence::TPatterns lit{};
                lit[d] = 0x06; // "1": segments b and c
                TPersistence::Light(s, t, window, lit);
                t += kMs - overlap;
                lit[d] = 0x01; // segment a, meant for the next digit
                TPersistence::Light(s, t, window, lit);
                t += overlap;
            }
        const TPersistence::TShares shares = TPersistence::Shares(s, t, window);
        SCOPED_TRACE(overlap);
        EXPECT_NEAR(shares[0][1], 255 * (kMs - overlap) / (4 * kMs), 4);
        EXPECT_NEAR(shares[3][0], 255 * overlap / (4 * kMs), 4);
        EXPECT_EQ(shares[0][3], 0); // segment d never lit
        EXPECT_EQ(shares[5][1], 0); // a digit the display does not have
    }
}

TEST(KeyMatrixTest, HeldKeysJoinLinesAsOnTheRealMatrix) {
    // A 4x4 matrix: lines 0-3 are the rows, 4-7 the columns; key k is row k/4, column k%4.
    struct Case {
        const char* What;
        uint16_t Held;
        uint8_t Outputs, Levels;
        TMatrixLevels Expected;
    };
    const auto key = [](int row, int col) { return static_cast<uint16_t>(1u << (row * 4 + col)); };
    const Case cases[] = {
        {"no key", 0, 0x0F, 0x0D, {}},
        {"scanned row low", key(1, 2), 0x0F, 0x0D, {0x40, 0x00, 0}},
        {"other row high", key(1, 2), 0x0F, 0x0F, {0x40, 0x40, 0}},
        {"columns driven instead", key(3, 0), 0xF0, 0xE0, {0x08, 0x00, 0}},
        {"no output on either line", key(0, 0), 0x00, 0x00, {}},
        {"two keys short two rows",
         static_cast<uint16_t>(key(0, 1) | key(1, 1)),
         0x0F,
         0x0E,
         {0x20, 0x00, 0x03}},
        // Keys at three corners join the fourth: column 1 follows row 1 through row 0.
        {"ghost key", static_cast<uint16_t>(key(0, 0) | key(0, 1) | key(1, 0)), 0x02, 0x00, {0x31, 0x00, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SolveKeyMatrix(4, 4, c.Held, c.Outputs, c.Levels), c.Expected) << c.What;
}

} // namespace
