// The text encodings of the machine's code page and the rules by which a source's bytes are read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/encoding.h"

namespace {

TEST(EncodingTest, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("števec ČŠŽ €"));
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));     // U+1F600
    EXPECT_FALSE(IsValidUtf8("\x9A"));                // š in Windows-1250
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));            // overlong '/'
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));        // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));    // beyond U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xC5"));                // cut sequence
    EXPECT_TRUE(IsValidUtf8(std::string("a\0b", 3))); // NUL is valid UTF-8
}

TEST(EncodingTest, Cp1250RoundTripAndReplacement) {
    EXPECT_EQ(Utf8ToCp1250("števec ČŠŽ čšž €"), "\x9Atevec \xC8\x8A\x8E \xE8\x9A\x9E \x80");
    EXPECT_EQ(Utf8ToCp1250("日本 \xF0\x9F\x98\x80"), "?? ?");
    EXPECT_EQ(Utf8ToCp1250("a\xFF"
                           "b"),
              "a?b"); // malformed byte
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    std::string utf8 = Cp1250ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(utf8));
    EXPECT_EQ(Utf8ToCp1250(utf8), all); // every byte survives the round trip
}

TEST(EncodingTest, UpperCaseCoversSlovenianLetters) {
    std::string s = Utf8ToCp1250("števec žaba čas ß ÷ abc");
    UpperCase1250(s);
    EXPECT_EQ(Cp1250ToUtf8(s), "ŠTEVEC ŽABA ČAS ß ÷ ABC");
}

TEST(EncodingTest, SplitLinesAFinalLineBreakEndsTheLastLine) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLines(""), V{}); // an empty file has no lines
    EXPECT_EQ(SplitLines("\n"), V{""});
    EXPECT_EQ(SplitLines("a"), V{"a"});
    EXPECT_EQ(SplitLines("a\n"), V{"a"});
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (V{"a", ""}));
    EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitLines("\r\r\n\n"), (V{"", "", ""}));
    EXPECT_EQ(SplitLines(std::string("a\0b\nc", 5)), (V{std::string("a\0b", 3), "c"}));
}

} // namespace

namespace {

// A byte order mark is never text, whatever the rest is in; valid UTF-8 is UTF-8, anything else
// Windows-1250.
TEST(EncodingTest, SourceBytesLoseTheirByteOrderMarkWhateverTheEncoding) {
    const struct {
        std::string bytes;
        std::string body;
        bool mark;
        TextEncoding encoding;
    } cases[] = {
        {"", "", false, TextEncoding::Utf8},
        {"\xEF\xBB\xBF", "", true, TextEncoding::Utf8},
        {"\xEF\xBB\xBF ldaa #1", " ldaa #1", true, TextEncoding::Utf8},
        {"\xEF\xBB\xBF\x9Atevec", "\x9Atevec", true, TextEncoding::Cp1250},
        {"\xC5\xA1tevec", "\xC5\xA1tevec", false, TextEncoding::Utf8},
        {"\x9Atevec", "\x9Atevec", false, TextEncoding::Cp1250},
        {"\xEF\xBB", "\xEF\xBB", false, TextEncoding::Cp1250}, // half a mark is text
    };
    for (const auto& c : cases) {
        const TSourceBytes source = DetectEncoding(c.bytes);
        EXPECT_EQ(source.Body, c.body) << c.bytes;
        EXPECT_EQ(source.ByteOrderMark, c.mark) << c.bytes;
        EXPECT_EQ(source.Encoding, c.encoding) << c.bytes;
    }
}

} // namespace
