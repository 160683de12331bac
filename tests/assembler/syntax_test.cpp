// Numbers, label references and the line walker.
#include "tests/assembler/asm_fixture.h"

#include "base/encoding.h"

namespace {

TEST(ParseNumberTest, AcceptedForms) {
    struct Case {
        const char* text;
        uint16_t value;
    } cases[] = {
        {"0", 0},
        {"255", 255},
        {"+7", 7},
        {"-1", 0xFFFF},
        {"-0", 0},
        {"70000", 0x1170},
        {"$1F", 0x1F},
        {"$abcd", 0xABCD},
        {"X10", 0x10},
        {"x10", 0x10},
        {"0x1f", 31},
        {"0X1F", 31},
        {"%10101", 21},
        {"%1", 1},
        {"%11111111111111111", 0xFFFF},
        {"%10000000000000000", 0},
        {"$0010", 0x10},
        {"2147483647", 0xFFFF},
        {"$7FFFFFFF", 0xFFFF},
        {"-2147483647", 1},
        {"$FFFFFFF", 0xFFFF},
        {"$0FFFFFFF", 0xFFFF},
        {"999999999", 0xC9FF},
        {"0999999999", 0xC9FF},
    };
    for (const Case& c : cases) {
        auto v = ParseNumber(c.text);
        ASSERT_TRUE(v.has_value()) << c.text;
        EXPECT_EQ(*v, c.value) << c.text;
    }
}

TEST(ParseNumberTest, RefusedForms) {
    for (const char* text :
         {"",     "%",    "%102", "$",   "0x",        "X",   "+",          "-",         "12a",
          "$12G", "-$10", "+$10", "$-1", "1 ",        " 1",  "2147483648", "$80000000", "-2147483648",
          "1.5",  "'A'",  "#1",   "%1x", "$FFFFFFFF", "$1G", "99999999999"})
        EXPECT_FALSE(ParseNumber(text).has_value()) << '"' << text << '"';
}

TEST(LabelTableTest, FirstDefinitionWinsAndNamesAreSignificantTo15) {
    TOznake t;
    t.AddLabel("ABCDEFGHIJKLMNOP", 1); // cut to ABCDEFGHIJKLMNO
    t.AddLabel("ABCDEFGHIJKLMNOQ", 2); // same 15 characters
    t.AddLabel("COUNT", 0x1000);
    t.AddLabel("COUNT", 0x2000);
    EXPECT_EQ(t.Count(), 4u);
    EXPECT_EQ(t.Entries()[0].Name, "ABCDEFGHIJKLMNO");
    uint16_t v = 0;
    ASSERT_TRUE(t.FindLabel("ABCDEFGHIJKLMNOZZZ", v));
    EXPECT_EQ(v, 1);
    ASSERT_TRUE(t.FindLabel("COUNT", v));
    EXPECT_EQ(v, 0x1000);
    t.ClearLabels();
    EXPECT_EQ(t.Count(), 0u);
    EXPECT_FALSE(t.FindLabel("COUNT", v));
}

TEST(LabelTableTest, ManyLabelsAndRedefinitionsAcrossClears) {
    TOznake t;
    for (int round = 0; round < 2; ++round) {
        const int count = round == 0 ? 5000 : 70; // the table grows, then is cleared and refilled
        for (int i = 0; i < count; ++i)
            t.AddLabel("L" + std::to_string(i), static_cast<uint16_t>(i + round));
        for (int i = 0; i < count; i += 7)
            t.AddLabel("L" + std::to_string(i), 0xFFFF); // later definitions do not count
        uint16_t v = 0;
        for (int i = 0; i < count; ++i) {
            ASSERT_TRUE(t.FindLabel("L" + std::to_string(i), v)) << i;
            EXPECT_EQ(v, i + round) << i;
        }
        EXPECT_FALSE(t.FindLabel("L" + std::to_string(count), v));
        EXPECT_FALSE(t.FindLabel("L", v));
        t.ClearLabels();
    }
}

TEST(LabelTableTest, OffsetsAreEightBitSigned) {
    TOznake t;
    t.AddLabel("COUNT", 0x1000);
    t.AddLabel("X+0", 0x4444);
    t.AddLabel("ZERO", 0x0000);
    uint16_t v = 0;
    EXPECT_EQ(t.Resolve("COUNT+1", v), LabelLookup::Found);
    EXPECT_EQ(v, 0x1001);
    EXPECT_EQ(t.Resolve("COUNT-1", v), LabelLookup::Found);
    EXPECT_EQ(v, 0x0FFF);
    EXPECT_EQ(t.Resolve("COUNT+200", v), LabelLookup::Found); // 200 is -56 as a signed byte
    EXPECT_EQ(v, 0x1000 - 56);
    EXPECT_EQ(t.Resolve("ZERO-1", v), LabelLookup::Found); // wraps
    EXPECT_EQ(v, 0xFFFF);
    // A zero offset keeps the whole text as the name.
    EXPECT_EQ(t.Resolve("COUNT+0", v), LabelLookup::Undefined);
    EXPECT_EQ(t.Resolve("COUNT+256", v), LabelLookup::Undefined);
    EXPECT_EQ(t.Resolve("X+0", v), LabelLookup::Found);
    EXPECT_EQ(v, 0x4444);
    // Both signs, or an offset that is not a decimal number.
    EXPECT_EQ(t.Resolve("COUNT+1-1", v), LabelLookup::Undefined);
    EXPECT_EQ(t.Resolve("COUNT+1A", v), LabelLookup::BadOffset);
    EXPECT_EQ(t.Resolve("COUNT+$10", v), LabelLookup::BadOffset);
    EXPECT_EQ(t.Resolve("COUNT+", v), LabelLookup::BadOffset);
    EXPECT_EQ(t.Resolve("NOSUCH+1", v), LabelLookup::Undefined);
    // The offset counts towards the 15 characters: the cut leaves "COUNT+123456789",
    // whose low byte is 21.
    EXPECT_EQ(t.Resolve("COUNT+1234567891", v), LabelLookup::Found);
    EXPECT_EQ(v, 0x1000 + 21);
}

TEST(CodeTest, EndMarkers) {
    std::vector<std::string> none;
    TCode empty(none);
    SourceLine l = empty.FirstLine();
    EXPECT_EQ(l.Text, "  END ");
    EXPECT_EQ(l.Number, 0);

    std::vector<std::string> lines = {"a", "b"};
    TCode code(lines);
    l = code.FirstLine();
    EXPECT_EQ(l.Text, "a");
    EXPECT_EQ(l.Number, 1);
    l = code.NextLine();
    EXPECT_EQ(l.Number, 2);
    l = code.NextLine();
    EXPECT_EQ(l.Text, " END");
    EXPECT_EQ(l.Number, 3);
    l = code.NextLine(); // stays at the marker
    EXPECT_EQ(l.Number, 3);
    l = code.FirstLine(); // a second pass starts over
    EXPECT_EQ(l.Text, "a");
    EXPECT_EQ(l.Number, 1);
}

// One letter per character: l label, m mnemonic, o operand, d data read after the operand,
// r ignored (remark or comment), . blanks between fields.
std::string LayoutPicture(std::string_view line) {
    const TLineLayout l = LayoutLine(line);
    std::string picture(line.size(), '.');
    auto paint = [&](size_t begin, size_t end, char c) {
        for (size_t k = begin; k < end; ++k)
            picture[k] = c;
    };
    paint(l.Label.Begin, l.Label.End, 'l');
    paint(l.Mnemonic.Begin, l.Mnemonic.End, 'm');
    paint(l.Operand.Begin, l.Operand.End, 'o');
    for (size_t k = l.Operand.End; k < l.ReadEnd; ++k)
        if (line[k] != ' ') picture[k] = 'd';
    paint(l.IgnoredStart, line.size(), 'r');
    return picture;
}

TEST(LineLayoutTest, FieldsEndWhereTheAssemblerStopsReading) {
    const struct {
        const char* line;
        const char* picture;
    } cases[] = {
        {"zanka  ldaa stevec+1; pr", "lllll..mmmm.oooooooorrrr"},
        {" staa $80   7 = 49", ".mmmm.ooo...rrrrrr"},
        {" daa  korekcija bcd", ".mmm..ooooooooo.rrr"},
        {" fcc \"a ;b\" c", ".mmm.oooooo.r"},
        {"start\tnop x y", "lllllllll.m.o"},
        {"\tldaa\t#1", "llllllll"},
        {" SM $10 1 \"a b\"  ;c", ".mm.ooo.d.dd.dd..rr"},
        {" sm $10 1   ", ".mm.ooo.d..."},
        {"* all", "rrrrr"},
        {"", ""},
        {"x\"y ;z\" nop", "lll.mmm.ooo"}, // a quote in the label hides the ";"
    };
    for (const auto& c : cases)
        EXPECT_EQ(LayoutPicture(c.line), c.picture) << '"' << c.line << '"';
    // The same offsets in UTF-8 and in Windows-1250: only ASCII characters decide.
    const std::string utf8 = "števec ldaa žaba+1 ker";
    const std::string cp = Utf8ToCp1250(utf8);
    EXPECT_EQ(LayoutLine(utf8).IgnoredStart - LayoutLine(utf8).Operand.End, 1u);
    EXPECT_EQ(utf8.substr(LayoutLine(utf8).IgnoredStart), "ker");
    EXPECT_EQ(cp.substr(LayoutLine(cp).IgnoredStart), "ker");
}

} // namespace
