// Reading board files: the documented form, and a clear message for each kind of mistake.
#include <gtest/gtest.h>

#include "board/boardfile.h"

namespace {

TEST(BoardFileTest, ReadsEveryKindOfPart) {
    const TBoardRead read = ParseBoard(R"({"name": "Tipkovnica in LCD", "parts": [
  {"type": "led", "name": "L0", "pin": "1.0", "active": "low", "x": 10, "y": 20, "label": "Lučka"},
  {"type": "switch", "name": "S0", "pin": "P14", "on": true},
  {"type": "button", "name": "T0", "pin": "2.0", "active": "low", "bounce_ms": 5},
  {"type": "digit", "name": "D0", "segments": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6"], "common": "anode"},
  {"type": "digit", "name": "D1", "bcd": ["2.1","2.2","2.3","2.4"], "dp": "1.7"},
  {"type": "display", "name": "DISP", "segments": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6","1.7"],
   "digits": ["2.0","2.1","2.2","2.3"], "select": "low", "persistence_ms": 40},
  {"type": "keypad", "name": "KEY", "rows": ["1.0","1.1","1.2","1.3"], "cols": ["1.4","1.5","1.6"],
   "keys": "123456789*0#"},
  {"type": "lcd", "name": "LCD", "size": "20x4", "data": ["1.4","1.5","1.6","1.7"], "rs": "2.0", "e": "2.2"}
]})");
    ASSERT_TRUE(read.Ok()) << read.Message();
    const TBoardConfig& b = *read.Board;
    ASSERT_EQ(b.Parts.size(), 8u);
    EXPECT_EQ(b.Name, "Tipkovnica in LCD");
    const TBoardPart& led = b.Parts[0];
    EXPECT_TRUE(led.Kind == TPartKind::Led && !led.ActiveHigh && led.X == 10 && led.Y == 20 &&
                led.Label == "Lučka");
    EXPECT_EQ(led.Line, 2);
    EXPECT_TRUE(b.Parts[1].On && b.Parts[1].Pin == (TPin{1, 4}) && b.Parts[1].ActiveHigh);
    EXPECT_TRUE(b.Parts[2].BounceMs == 5 && !b.Parts[2].ActiveHigh);
    EXPECT_TRUE(b.Parts[3].CommonAnode && b.Parts[3].Segments[6] && !b.Parts[3].Segments[7]);
    EXPECT_TRUE(b.Parts[4].Bcd && (*b.Parts[4].Bcd)[3] == (TPin{2, 4}) &&
                b.Parts[4].Segments[7] == (TPin{1, 7}));
    EXPECT_TRUE(b.Parts[4].Slot == 1 && b.Parts[5].Slot == 0);
    EXPECT_TRUE(b.Parts[5].Digits.size() == 4 && !b.Parts[5].SelectHigh && b.Parts[5].PersistenceMs == 40);
    EXPECT_EQ(b.Parts[6].Keys.size(), 12u);
    EXPECT_EQ(b.Parts[6].Keys[11], "#");
    const TBoardPart& lcd = b.Parts[7];
    EXPECT_TRUE(lcd.LcdCols == 20 && lcd.LcdRows == 4 && lcd.Data.size() == 4 && !lcd.Rw &&
                lcd.E == (TPin{2, 2}));
}

TEST(BoardFileTest, TeachersNotesAreAllowedAndComments) {
    const TBoardRead read = ParseBoard(R"(// Plošča za vajo 3
{"name": "x", "comment": "za 2. letnik", "parts": [
  {"type": "led", "name": "L0", "pin": "1.0", "color": "red", "note": "rdeča"} /* na levi */
]})");
    EXPECT_TRUE(read.Ok()) << read.Message();
}

TEST(BoardFileTest, AWrongFileIsRefusedWithTheLineThePartAndTheField) {
    struct Case {
        const char* Text;
        const char* Message;
    };
    const Case cases[] = {
        {"{\"parts\": [\n {\"type\": \"led\" \"name\": \"L0\"}]}",
         "vrstica 2, stolpec 17: napaka v zapisu JSON pri »\"name\"« (manjka vejica, narekovaj ali "
         "zaklepaj?)"},
        {"{\"parts\": [", "vrstica 1: zapis JSON se nepričakovano konča (manjka zaklepaj ali narekovaj?)"},
        {"[]", "vrstica 1: plošča mora biti objekt {\"name\": ..., \"parts\": [...]}"},
        {"{\"name\": \"x\"}", "vrstica 1: plošča nima ključa \"parts\" (seznam delov)"},
        {"{\"parts\": []}", "vrstica 1: plošča nima nobenega dela"},
        {"{\"Parts\": []}", "vrstica 1: plošča: neznan ključ \"Parts\"; ste mislili \"parts\"?"},
        {"{\"parts\": [\n 5]}", "vrstica 2: del 1 mora biti objekt {...}"},
        {"{\"parts\": [\n {\"type\": \"lamp\", \"name\": \"L0\"}]}",
         "vrstica 2: del 1: \"type\" ima neznano vrsto \"lamp\" (led, switch, button, digit, display, "
         "keypad, lcd)"},
        {"{\"parts\": [\n {\"type\": \"led\", \"pin\": \"1.0\"}]}",
         "vrstica 2: del 1 (lučka): manjka ključ \"name\""},
        {"{\"parts\": [\n {\"type\": \"led\", \"name\": \"L 0\", \"pin\": \"1.0\"}]}",
         "vrstica 2: del 1 (lučka): \"name\" mora biti neprazno ime do 64 zlogov brez presledkov in znakov "
         "\" = @ :"},
        {"{\"parts\": [\n {\"type\": \"led\", \"name\": \"L0\", \"pin\": \"1.0\"},\n {\"type\": \"led\", "
         "\"name\": "
         "\"L0\", \"pin\": \"1.1\"}]}",
         "vrstica 3: del 2 (lučka): \"name\" \"L0\" ima že del v vrstici 2"},
        {"{\"parts\": [\n {\"type\": \"led\", \"name\": \"L0\"}]}",
         "vrstica 2: del \"L0\" (lučka): manjka ključ \"pin\""},
        {"{\"parts\": [{\"type\": \"led\", \"name\": \"L0\",\n \"pin\": \"2.5\"}]}",
         "vrstica 2: del \"L0\" (lučka): \"pin\": nožica \"2.5\" ne obstaja (vrata 1: \"1.0\"-\"1.7\", vrata "
         "2: "
         "\"2.0\"-\"2.4\")"},
        {"{\"parts\": [{\"type\": \"led\", \"name\": \"L0\",\n \"pin\": 10}]}",
         "vrstica 2: del \"L0\" (lučka): \"pin\" mora biti nožica v narekovajih, npr. \"1.0\""},
        {"{\"parts\": [{\"type\": \"led\", \"name\": \"L0\", \"pin\": \"1.0\",\n \"active\": \"hihg\"}]}",
         "vrstica 2: del \"L0\" (lučka): \"active\" mora biti \"high\" ali \"low\""},
        {"{\"parts\": [{\"type\": \"led\", \"name\": \"L0\",\n \"pins\": \"1.0\"}]}",
         "vrstica 2: del \"L0\" (lučka): neznan ključ \"pins\"; ste mislili \"pin\"?"},
        {"{\"parts\": [{\"type\": \"button\", \"name\": \"T0\", \"pin\": \"2.0\",\n \"bounce\": 5}]}",
         "vrstica 2: del \"T0\" (tipka): neznan ključ \"bounce\"; ste mislili \"bounce_ms\"?"},
        {"{\"parts\": [{\"type\": \"led\", \"name\": \"L0\", \"pin\": \"1.0\",\n \"rs\": \"1.1\"}]}",
         "vrstica 2: del \"L0\" (lučka): ključ \"rs\" ne velja za ta del"},
        {"{\"parts\": [{\"type\": \"button\", \"name\": \"T0\", \"pin\": \"2.0\",\n \"bounce_ms\": 500}]}",
         "vrstica 2: del \"T0\" (tipka): \"bounce_ms\" je 500, biti mora od 0 do 50"},
        {"{\"parts\": [{\"type\": \"digit\", \"name\": \"D0\",\n \"segments\": [\"1.0\", \"1.1\"]}]}",
         "vrstica 2: del \"D0\" (sedemsegmentni prikazovalnik): \"segments\" ima 2 nožici, imeti jih mora 7 "
         "ali 8"},
        {"{\"parts\": [{\"type\": \"digit\", \"name\": \"D0\", \"bcd\": [\"1.0\", \"1.1\", \"1.2\", "
         "\"1.3\"],\n "
         "\"segments\": []}]}",
         "vrstica 2: del \"D0\" (sedemsegmentni prikazovalnik): potrebuje natanko enega od ključev "
         "\"segments\" (7 ali "
         "8 nožic a-g, dp) in \"bcd\" (4 vhodi dekodirnika)"},
        {"{\"parts\": [{\"type\": \"digit\", \"name\": \"D0\", \"bcd\": [\"1.0\", \"1.1\", \"1.2\", "
         "\"1.3\"],\n "
         "\"dp\": \"1.3\"}]}",
         "vrstica 2: del \"D0\" (sedemsegmentni prikazovalnik): \"dp\": nožica \"1.3\" je v tem delu že "
         "uporabljena"},
        {"{\"parts\": [{\"type\": \"keypad\", \"name\": \"K\", \"rows\": [\"1.0\"], \"cols\": [\"1.1\", "
         "\"1.2\"],\n "
         "\"keys\": \"123\"}]}",
         "vrstica 2: del \"K\" (tipkovnica): \"keys\" ima 3 znake, tipkovnica 1x2 jih potrebuje 2 (po "
         "vrsticah)"},
        {"{\"parts\": [{\"type\": \"keypad\", \"name\": \"K\", \"rows\": [\"1.0\"], \"cols\": [\"1.1\", "
         "\"1.2\"],\n "
         "\"keys\": \"11\"}]}",
         "vrstica 2: del \"K\" (tipkovnica): \"keys\" ima tipko \"1\" dvakrat"},
        {"{\"parts\": [{\"type\": \"lcd\", \"name\": \"LCD\", \"rs\": \"2.0\", \"e\": \"2.1\",\n \"data\": "
         "[\"1.0\", "
         "\"1.1\", \"1.2\", \"1.3\", \"1.4\"]}]}",
         "vrstica 2: del \"LCD\" (LCD): \"data\" ima 5 nožic, imeti jih mora 8 (D0-D7) ali 4 (D4-D7)"},
        {"{\"parts\": [{\"type\": \"lcd\", \"name\": \"LCD\", \"rs\": \"2.0\", \"e\": \"2.1\", \"data\": "
         "[\"1.0\", "
         "\"1.1\", \"1.2\", \"1.3\"],\n \"size\": \"16x3\"}]}",
         "vrstica 2: del \"LCD\" (LCD): \"size\" mora biti \"16x2\", \"16x4\", \"20x2\", \"20x4\" ali "
         "\"40x2\""},
        {"{\"parts\": [{\"type\": \"led\", \"name\": \"L0\",\n \"pin\": \"1.0\", \"pin\": \"1.1\"}]}",
         "vrstica 2: ključ \"pin\" je v istem objektu podan dvakrat"},
        {"{\"parts\": [\n[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]}",
         "vrstica 2: zapis JSON je pregloboko gnezden (več kot 16 ravni)"},
    };
    for (const Case& c : cases) {
        const TBoardRead read = ParseBoard(c.Text);
        EXPECT_FALSE(read.Ok()) << c.Text;
        EXPECT_EQ(read.Message(), c.Message) << c.Text;
    }
}

TEST(BoardFileTest, PartsThatKeepStateAreCounted) {
    std::string text = R"({"parts": [)";
    for (int i = 0; i < 3; ++i)
        text += std::string(i ? "," : "") + "\n{\"type\": \"lcd\", \"name\": \"LCD" + std::to_string(i) +
                "\", \"data\": [\"1.4\",\"1.5\",\"1.6\",\"1.7\"], \"rs\": \"2.0\", \"e\": \"2.1\"}";
    text += "]}";
    EXPECT_EQ(ParseBoard(text).Message(), "vrstica 4: plošča ima lahko največ 2 LCD-ja");
}

} // namespace
