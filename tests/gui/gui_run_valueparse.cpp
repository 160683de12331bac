#include <gtest/gtest.h>

#include "windows/valueparse.h"

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
