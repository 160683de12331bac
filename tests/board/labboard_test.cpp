// The whole board: what it drives onto the pins, conflicts, the user's hand, time, its state
// as one value, and what it shows.
#include <gtest/gtest.h>

#include "board/shows.h"
#include "board/statejson.h"

namespace {

constexpr uint64_t kMs = 1'000'000;

TLabBoard Board(const std::string& parts) {
    const TBoardRead read = ParseBoard("{\"parts\": [" + parts + "]}");
    EXPECT_TRUE(read.Ok()) << read.Message();
    return TLabBoard(read.Board.value_or(TBoardConfig{}));
}

TBoardInput Input(const TLabBoard& b, const std::string& name, TLabBoard::TInputUse use) {
    std::string error;
    const auto in = b.FindInput(name, use, error);
    EXPECT_TRUE(in) << error;
    return in.value_or(TBoardInput{});
}
void Press(TLabBoard& b, uint64_t t, const std::string& name) {
    b.Press(t, Input(b, name, TLabBoard::TInputUse::Press));
}
void Switch(TLabBoard& b, uint64_t t, const std::string& name, bool on) {
    b.SetSwitch(t, Input(b, name, TLabBoard::TInputUse::Switch), on);
}

const char* kSwitch = R"({"type": "switch", "name": "S0", "pin": "1.4"})";
const char* kLowSwitch = R"({"type": "switch", "name": "S1", "pin": "1.5", "active": "low"})";
const char* kButton = R"({"type": "button", "name": "T0", "pin": "2.0", "active": "low"})";
const char* kKeypad =
    R"({"type": "keypad", "name": "KEY", "rows": ["1.0","1.1"], "cols": ["1.4","1.5"], "keys": "1234"})";
const char* kLcd =
    R"({"type": "lcd", "name": "LCD", "data": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6","1.7"],
                       "rs": "2.0", "rw": "2.1", "e": "2.2"})";

TEST(LabBoardTest, PartsDriveTheirPins) {
    struct Case {
        const char* What;
        std::string Parts;
        std::function<void(TLabBoard&)> Act;
        TPortDrive Port1, Port2;
    };
    const Case cases[] = {
        {"switches off", std::string(kSwitch) + "," + kLowSwitch, [](TLabBoard&) {}, {0x30, 0x20}, {}},
        {"switches on",
         std::string(kSwitch) + "," + kLowSwitch,
         [](TLabBoard& b) {
             Switch(b, 1, "S0", true);
             Switch(b, 1, "S1", true);
         },
         {0x30, 0x10},
         {}},
        {"button released: its resistor", kButton, [](TLabBoard&) {}, {}, {0x01, 0x01}},
        {"button pressed", kButton, [](TLabBoard& b) { Press(b, 1, "T0"); }, {}, {0x01, 0x00}},
        {"keypad lines pulled up", kKeypad, [](TLabBoard&) {}, {0x33, 0x33}, {}},
        {"LCD inputs pulled up", kLcd, [](TLabBoard&) {}, {0xFF, 0xFF}, {0x03, 0x03}},
    };
    for (const Case& c : cases) {
        TLabBoard b = Board(c.Parts);
        c.Act(b);
        EXPECT_EQ(b.Drive(1), c.Port1) << c.What;
        EXPECT_EQ(b.Drive(2), c.Port2) << c.What;
    }
}

TEST(LabBoardTest, KeypadAnswersTheRowJustWritten) {
    TLabBoard b = Board(kKeypad);
    Press(b, 0, "4");                                  // row 1, column 1 (pin 1.5)
    EXPECT_TRUE(b.PortsChanged(10, {0x03, 0x01}, {})); // row 1 driven low
    EXPECT_EQ(b.Drive(1), (TPortDrive{0x30, 0x10}));
    b.PortsChanged(20, {0x03, 0x02}, {});
    EXPECT_EQ(b.Drive(1), (TPortDrive{0x30, 0x30}));
    EXPECT_EQ(PartShowsText(b, b.Parts()[0], 20), "\"4\"");
}

TEST(LabBoardTest, ConflictsAreReportedNotGuessed) {
    struct Case {
        const char* What;
        std::string Parts;
        TPortLines Port1;
        std::vector<std::string> Texts;
        uint16_t Pins;
    };
    const char* lamp = R"(,{"type": "led", "name": "L", "pin": "1.4"})";
    const Case cases[] = {
        {"output against a switch",
         std::string(kSwitch) + lamp,
         {0x10, 0x10},
         {"nožico 1.4 hkrati poganjata procesor (izhod) in stikalo \"S0\""},
         0x10},
        {"two switches",
         std::string(kSwitch) + lamp + R"(,{"type": "switch", "name": "S9", "pin": "1.4"})",
         {},
         {"nožico 1.4 hkrati poganjata stikalo \"S0\" in stikalo \"S9\""},
         0x10},
        {"keys join two outputs",
         std::string(kKeypad) + R"(,{"type": "switch", "name": "S0", "pin": "1.4", "on": true})",
         {0x03, 0x01},
         {"tipkovnica \"KEY\": držane tipke sklenejo izhoda 1.0 in 1.1 z različnima nivojema",
          "nožico 1.4 hkrati poganjata tipkovnica \"KEY\" in stikalo \"S0\""},
         0x13},
    };
    for (const Case& c : cases) {
        TLabBoard b = Board(c.Parts);
        if (b.Parts()[0].Kind == TPartKind::Keypad) {
            Press(b, 0, "1");
            Press(b, 0, "3");
        }
        b.PortsChanged(1, c.Port1, {});
        std::vector<std::string> texts;
        for (const TBoardConflict& conflict : b.Conflicts())
            texts.push_back(conflict.Text);
        EXPECT_EQ(texts, c.Texts) << c.What;
        EXPECT_EQ(b.Current().Conflicts, c.Pins) << c.What;
        EXPECT_EQ(b.Drive(1).Mask & c.Pins & ~c.Port1.Direction, 0) << c.What << ": no level is guessed";
        // The conflict is remembered after it has gone.
        b.PortsChanged(2, {}, {});
        EXPECT_EQ(b.Current().ConflictsSeen & c.Pins, c.Pins) << c.What;
    }
    // A lamp on a pin in conflict is dark, whatever the levels.
    TLabBoard b = Board(std::string(kSwitch) + lamp);
    Switch(b, 0, "S0", true);
    EXPECT_TRUE(b.LampLit(b.Parts()[1]));
    b.PortsChanged(1, {0x10, 0x10}, {});
    EXPECT_FALSE(b.LampLit(b.Parts()[1]));
}

TEST(LabBoardTest, LampsAndSegmentsLightOnlyOnDrivenPins) {
    TLabBoard b = Board(R"({"type": "led", "name": "H", "pin": "1.0"},
        {"type": "led", "name": "L", "pin": "1.1", "active": "low"},
        {"type": "digit", "name": "C", "segments": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6","1.7"]},
        {"type": "digit", "name": "A", "segments": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6","1.7"], "common": "anode"},
        {"type": "digit", "name": "B", "bcd": ["2.0","2.1","2.2","2.3"], "dp": "2.4"})");
    const auto shows = [&b] {
        std::string out;
        for (const std::string& line : BoardShowsText(b, 0))
            out += line + "\n";
        return out;
    };
    EXPECT_EQ(shows(), "board H: off\nboard L: off\nboard C: \" \"\nboard A: \" \"\nboard B: \" \"\n");
    b.PortsChanged(1, {0x0F, 0x06}, {0x1E, 0x1E}); // P10-P13 out: 0110; BCD input P20 floats
    EXPECT_EQ(shows(), "board H: off\nboard L: off\nboard C: \"1\" bc\nboard A: \"?\" ad\nboard B: \" \"\n");
    b.PortsChanged(2, {0xFF, 0x05}, {0x1F, 0x19}); // BCD 9 and its dp
    EXPECT_EQ(
        shows(),
        "board H: on\nboard L: on\nboard C: \"?\" ac\nboard A: \"?.\" bdefg.\nboard B: \"9.\" abcdfg.\n");
}

TEST(LabBoardTest, ButtonContactBouncesThenSettles) {
    TLabBoard b = Board(R"({"type": "button", "name": "T0", "pin": "2.0", "active": "low", "bounce_ms": 5})");
    Press(b, 10 * kMs, "T0");
    EXPECT_EQ(b.Drive(2).Level & 1, 0); // the first touch closes the contact
    std::set<int> levels;
    for (uint64_t t = 10 * kMs; t < 15 * kMs; t += 50'000) {
        ASSERT_LT(b.NextEventNs(), 15 * kMs + 1);
        b.Advance(t);
        levels.insert(b.Drive(2).Level & 1);
    }
    EXPECT_EQ(levels, (std::set<int>{0, 1})) << "it bounces";
    EXPECT_EQ(b.NextEventNs(), 15 * kMs);
    b.Advance(15 * kMs);
    EXPECT_EQ(b.Drive(2), (TPortDrive{0x01, 0x00}));
    EXPECT_EQ(b.NextEventNs(), std::numeric_limits<uint64_t>::max());
    EXPECT_FALSE(b.Advance(20 * kMs));
}

TEST(LabBoardTest, LcdBusyFlagIsDrivenAndDropsAtItsTime) {
    TLabBoard b = Board(kLcd);
    b.PortsChanged(1 * kMs, {0x00, 0x00}, {0x07, 0x06}); // R/W = 1, E = 1: read the busy flag
    EXPECT_EQ(b.Drive(1), (TPortDrive{0xFF, 0x80}));     // busy from the power-on reset
    EXPECT_EQ(b.NextEventNs(), 10 * kMs);
    EXPECT_FALSE(b.Advance(9 * kMs));
    EXPECT_TRUE(b.Advance(10 * kMs));
    EXPECT_EQ(b.Drive(1), (TPortDrive{0xFF, 0x00}));
    // Data lines the processor drives while the LCD is read: a conflict on each.
    b.PortsChanged(11 * kMs, {0x01, 0x00}, {0x07, 0x06});
    EXPECT_EQ(b.Current().Conflicts, 0x01);
}

// An 8-bit write to the LCD: data on Port 1, then E pulsed with RS on Port 2.
void LcdWrite(TLabBoard& b, uint64_t& t, bool rs, uint8_t v) {
    const uint8_t ctl = rs ? 0x01 : 0x00;
    b.PortsChanged(t += 50'000, {0xFF, v}, {0x07, ctl});
    b.PortsChanged(t += 1'000, {0xFF, v}, {0x07, static_cast<uint8_t>(ctl | 0x04)});
    b.PortsChanged(t += 1'000, {0xFF, v}, {0x07, ctl});
}

TEST(LabBoardTest, StateIsOneValueThatCopiesRestoresAndSerialises) {
    TLabBoard b =
        Board(std::string(kLcd) + "," + kButton + "," +
              R"({"type": "display", "name": "DISP", "segments": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6"],
                            "digits": ["2.3", "2.4"]}, {"type": "switch", "name": "S0", "pin": "1.4"})");
    uint64_t t = 11 * kMs;
    for (uint8_t v : {0x38, 0x0E, 0x01})
        LcdWrite(b, t, false, v);
    t += 2 * kMs;
    const TLabBoard::State before = b.Current();
    for (char c : std::string("Pozdrav"))
        LcdWrite(b, t, true, static_cast<uint8_t>(c));
    Press(b, t, "T0");
    b.PortsChanged(t += kMs, {0xFF, 0x06}, {0x1F, 0x08});
    const TLabBoard::State after = b.Current();
    EXPECT_NE(after, before);
    EXPECT_EQ(PartShowsJson(b, b.Parts()[0], t).dump(), R"({"lines":["Pozdrav",""],"cursor":[0,7]})");

    // Written out and read back, the state is the same value.
    std::string error;
    const auto read = BoardStateFromJson(b, nlohmann::json::parse(BoardStateToJson(b, after).dump()), error);
    ASSERT_TRUE(read) << error;
    EXPECT_EQ(*read, after);

    const uint64_t revision = b.Revision();
    b.PortsChanged(t, {0xFF, 0x06}, {0x1F, 0x08}); // nothing new
    EXPECT_EQ(b.Revision(), revision);
    b.Restore(before);
    EXPECT_EQ(b.Current(), before);
    EXPECT_GT(b.Revision(), revision);
    EXPECT_EQ(PartShowsJson(b, b.Parts()[0], t)["lines"].dump(), R"(["",""])");
    b.Restore(*read);
    EXPECT_EQ(PartShowsText(b, b.Parts()[0], t), "\"Pozdrav\" \"\"");

    // A snapshot that does not fit the board is refused with the part and the field.
    nlohmann::json bad = BoardStateToJson(b, after);
    bad["parts"]["LCD"]["ddram"] = "20";
    EXPECT_FALSE(BoardStateFromJson(b, bad, error));
    EXPECT_EQ(error, "stanje dela \"LCD\": \"ddram\" mora biti 160 šestnajstiških števk");
    bad = BoardStateToJson(b, after);
    bad["parts"].erase("S0");
    EXPECT_FALSE(BoardStateFromJson(b, bad, error));
    EXPECT_EQ(error, "stanje plošče: \"parts\": manjka \"S0\"");
}

TEST(LabBoardTest, InputsAreFoundByName) {
    TLabBoard b =
        Board(std::string(kSwitch) + "," + kButton + "," + kKeypad +
              R"(,{"type": "keypad", "name": "K2", "rows": ["2.1"], "cols": ["2.2","2.3"], "keys": "4*"})");
    struct Case {
        const char* Name;
        TLabBoard::TInputUse Use;
        int Part, Key;
        const char* Error;
    };
    using U = TLabBoard::TInputUse;
    const Case cases[] = {
        {"S0", U::Switch, 0, -1, ""},
        {"T0", U::Press, 1, -1, ""},
        {"2", U::Press, 2, 1, ""},
        {"*", U::Press, 3, 1, ""},
        {"K2:4", U::Press, 3, 0, ""},
        {"4", U::Press, -1, -1,
         "tipko \"4\" imajo tipkovnice \"KEY\" in \"K2\": navedite jo s tipkovnico, npr. \"KEY:4\""},
        {"KEY", U::Press, -1, -1, "\"KEY\" je tipkovnica: navedite tipko, npr. \"KEY:1\""},
        {"S0", U::Press, -1, -1, "\"S0\" je stikalo, ne tipka"},
        {"T0", U::Switch, -1, -1, "\"T0\" je tipka, ne stikalo"},
        {"S7", U::Switch, -1, -1, "na plošči ni stikala \"S7\""},
        {"9", U::Press, -1, -1, "na plošči ni tipke ali tipke tipkovnice \"9\""},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto in = b.FindInput(c.Name, c.Use, error);
        EXPECT_EQ(in ? in->Part : -1, c.Part) << c.Name;
        EXPECT_EQ(in ? in->Key : -1, c.Key) << c.Name;
        EXPECT_EQ(in ? "" : error, c.Error) << c.Name;
    }
}

} // namespace
