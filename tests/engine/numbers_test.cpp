// Numbers read from text: the value-entry conversion and the forms other callers switch on.
#include <gtest/gtest.h>

#include "engine/numbers.h"

TEST(EntryIntegerTest, DecimalWithBlanksAndSign) {
    EXPECT_EQ(ParseEntryInteger("300"), 300);
    EXPECT_EQ(ParseEntryInteger("   42"), 42);
    EXPECT_EQ(ParseEntryInteger("-7"), -7);
    EXPECT_EQ(ParseEntryInteger("+7"), 7);
    EXPECT_EQ(ParseEntryInteger("0"), 0);
    EXPECT_EQ(ParseEntryInteger("007"), 7);
}

TEST(EntryIntegerTest, EveryHexPrefixInEitherCase) {
    EXPECT_EQ(ParseEntryInteger("$1F"), 0x1F);
    EXPECT_EQ(ParseEntryInteger("$1f"), 0x1F);
    EXPECT_EQ(ParseEntryInteger("x1F"), 0x1F);
    EXPECT_EQ(ParseEntryInteger("X1F"), 0x1F);
    EXPECT_EQ(ParseEntryInteger("0x1F"), 0x1F);
    EXPECT_EQ(ParseEntryInteger("0XaB"), 0xAB);
    EXPECT_EQ(ParseEntryInteger(" -$10"), -16);
    EXPECT_EQ(ParseEntryInteger("$00FF"), 0xFF);
}

TEST(EntryIntegerTest, RangeLimitsOfSigned32Bits) {
    EXPECT_EQ(ParseEntryInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseEntryInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseEntryInteger("$7FFFFFFF"), INT32_MAX);
    EXPECT_FALSE(ParseEntryInteger("2147483648"));
    EXPECT_FALSE(ParseEntryInteger("$80000000"));
    EXPECT_FALSE(ParseEntryInteger("99999999999999999999999"));
}

TEST(EntryIntegerTest, RejectsEverythingElse) {
    for (const char* text : {"", "   ", "$", "0x", "-", "+$", "1F", "$1G", "12 ", "1 2", "--1", "$-1",
                             "0b101", "%101", "x", "1.5", "$ 1"})
        EXPECT_FALSE(ParseEntryInteger(text)) << '"' << text << '"';
}

TEST(NumberTextTest, FormsAreOnlyReadWhereSwitchedOn) {
    const TNumberSyntax decimal;
    TNumberSyntax hexOnly;
    hexOnly.PlainBase = 16;
    TNumberSyntax binary;
    binary.Percent = true;
    TNumberSyntax prefixed;
    prefixed.PlainBase = 0;
    prefixed.Dollar = true;
    struct Case {
        const char* text;
        const TNumberSyntax& syntax;
        NumberError error;
        uint64_t magnitude;
        size_t digits;
    } cases[] = {
        {"0042", decimal, NumberError::None, 42, 4},
        {"+5", decimal, NumberError::Syntax, 0, 0},
        {"$10", decimal, NumberError::Syntax, 0, 0},
        {"18446744073709551615", decimal, NumberError::None, UINT64_MAX, 20},
        {"18446744073709551616", decimal, NumberError::Range, 0, 20},
        {"fF", hexOnly, NumberError::None, 0xFF, 2},
        {"0x1", hexOnly, NumberError::Syntax, 0, 3},
        {"1", prefixed, NumberError::Syntax, 0, 0},
        {"$1", prefixed, NumberError::None, 1, 1},
        // Binary digits never overflow: the low bits are kept.
        {"%1"
         "0000000000000000000000000000000000000000000000000000000000000101",
         binary, NumberError::None, 5, 65},
    };
    for (const Case& c : cases) {
        TParsedNumber n = ParseNumberText(c.text, c.syntax);
        EXPECT_EQ(n.Error, c.error) << c.text;
        if (n.Ok()) {
            EXPECT_EQ(n.Magnitude, c.magnitude) << c.text;
        }
        if (c.digits) {
            EXPECT_EQ(n.Digits, c.digits) << c.text;
        }
    }
}
