// The LCD controller against the HD44780U data sheet: instructions, busy times, the address
// counter, data reads, the 4-bit interface, what the glass shows, the character generator.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "board/charrom.h"
#include "board/hd44780.h"

namespace {

using H = THd44780;
constexpr uint64_t kUs = 1000, kMs = 1'000'000;

// A controller past its internal reset, with two lines and the display on.
struct Lcd {
    H::State s = H::PowerOn(0);
    uint64_t t = 10 * kMs;

    Lcd() {
        Cmd(0x38);
        Cmd(0x0C);
    }
    // Sends and waits out the busy time.
    void Cmd(uint8_t v) { Send(false, v); }
    void Data(uint8_t v) { Send(true, v); }
    void Send(bool rs, uint8_t v) {
        H::Write(s, t, rs, v);
        t = std::max(t, s.BusyUntil) + 10 * kUs;
    }
    void Text(const std::string& text) {
        for (char c : text)
            Data(static_cast<uint8_t>(c));
    }
    std::string Row(int rows, int cols, int row) const {
        std::string out;
        for (int col = 0; col < cols; ++col)
            if (const auto c = H::CharAt(s, rows, cols, row, col)) out += static_cast<char>(*c);
        return out;
    }
};

TEST(Hd44780Test, PowerOnRunsTheInternalReset) {
    H::State s = H::PowerOn(0);
    EXPECT_EQ(H::StatusByte(s, 9 * kMs), 0x80); // busy for 10 ms, address 0
    H::Write(s, 9 * kMs, false, 0x0C);          // sent too early: lost
    EXPECT_FALSE(s.DisplayOn);
    EXPECT_EQ(H::StatusByte(s, 10 * kMs), 0x00);
    EXPECT_TRUE(s.EightBit && !s.TwoLines && !s.Font5x10 && s.Increment && !s.ShiftOnWrite);
    EXPECT_FALSE(s.DisplayOn || s.CursorOn || s.Blink);
    EXPECT_EQ(s.Ddram[0], 0x20);
    EXPECT_EQ(s.Ddram[79], 0x20);
    H::Write(s, 10 * kMs, false, 0x0C);
    EXPECT_TRUE(s.DisplayOn);
}

TEST(Hd44780Test, EachInstructionDoesWhatItsBitsSay) {
    struct Case {
        uint8_t Code;
        uint64_t BusyNs;
        std::function<bool(const H::State&)> Holds;
    };
    const Case cases[] = {
        {0x01, 1520 * kUs,
         [](const H::State& s) { return s.Ddram[3] == 0x20 && s.Ac == 0 && s.Increment && s.Shift == 0; }},
        {0x02, 1520 * kUs, [](const H::State& s) { return s.Ddram[3] == 'X' && s.Ac == 0 && s.Shift == 0; }},
        {0x05, 37 * kUs, [](const H::State& s) { return !s.Increment && s.ShiftOnWrite; }},
        {0x0D, 37 * kUs, [](const H::State& s) { return s.DisplayOn && !s.CursorOn && s.Blink; }},
        {0x18, 37 * kUs, [](const H::State& s) { return s.Shift == 2 && s.Ac == 5; }}, // display left
        {0x1C, 37 * kUs, [](const H::State& s) { return s.Shift == 0 && s.Ac == 5; }}, // display right
        {0x14, 37 * kUs, [](const H::State& s) { return s.Shift == 1 && s.Ac == 6; }}, // cursor right
        {0x10, 37 * kUs, [](const H::State& s) { return s.Shift == 1 && s.Ac == 4; }}, // cursor left
        {0x24, 37 * kUs, [](const H::State& s) { return !s.EightBit && !s.TwoLines && s.Font5x10; }},
        {0x58, 37 * kUs, [](const H::State& s) { return s.AcCgram && s.Ac == 0x18; }},
        {0xC5, 37 * kUs, [](const H::State& s) { return !s.AcCgram && s.Ac == 0x45; }},
        {0x00, 0, [](const H::State& s) { return s.Ac == 5 && s.Shift == 1; }}, // no instruction
    };
    for (const Case& c : cases) {
        Lcd lcd;
        lcd.Cmd(0x83);
        lcd.Data('X');
        lcd.Cmd(0x04); // decrement, no shift on write
        lcd.Cmd(0x85);
        lcd.Cmd(0x18); // the display shifted one place left
        H::Write(lcd.s, lcd.t, false, c.Code);
        EXPECT_TRUE(c.Holds(lcd.s)) << std::hex << int(c.Code);
        EXPECT_EQ(lcd.s.BusyUntil > lcd.t ? lcd.s.BusyUntil - lcd.t : 0, c.BusyNs) << std::hex << int(c.Code);
    }
}

TEST(Hd44780Test, WhatIsSentWhileBusyIsLost) {
    Lcd lcd;
    H::Write(lcd.s, lcd.t, true, 'A');
    H::Write(lcd.s, lcd.t + 36 * kUs, true, 'B'); // 1 µs early
    H::Write(lcd.s, lcd.t + 37 * kUs, true, 'C');
    EXPECT_EQ(lcd.Row(2, 16, 0).substr(0, 3), "AC ");
    // A data read is not taken while busy either.
    H::ReadDone(lcd.s, lcd.t + 40 * kUs);
    EXPECT_EQ(lcd.s.Ac, 2);
}

TEST(Hd44780Test, AddressCounterRunsOnAcrossLineEnds) {
    struct Case {
        bool TwoLines, Cgram, Up;
        uint8_t From, To;
    };
    const Case cases[] = {
        {true, false, true, 0x27, 0x40},  {true, false, true, 0x67, 0x00},  {true, false, false, 0x40, 0x27},
        {true, false, false, 0x00, 0x67}, {false, false, true, 0x4F, 0x00}, {false, false, false, 0x00, 0x4F},
        {true, true, true, 0x3F, 0x00},   {true, true, false, 0x00, 0x3F},
    };
    for (const Case& c : cases) {
        Lcd lcd;
        lcd.Cmd(c.TwoLines ? 0x38 : 0x30);
        lcd.Cmd(c.Up ? 0x06 : 0x04);
        lcd.Cmd(static_cast<uint8_t>((c.Cgram ? 0x40 : 0x80) | c.From));
        lcd.Data('*');
        EXPECT_EQ(lcd.s.Ac, c.To) << int(c.From);
    }
}

TEST(Hd44780Test, BusyFlagReadShowsTheOldAddressUntilTheCounterIsUpdated) {
    Lcd lcd;
    H::Write(lcd.s, lcd.t, true, 'A');
    EXPECT_EQ(H::StatusByte(lcd.s, lcd.t + 1 * kUs), 0x80);
    EXPECT_EQ(H::StatusByte(lcd.s, lcd.t + 37 * kUs), 0x00);
    EXPECT_EQ(H::StatusByte(lcd.s, lcd.t + 37 * kUs + H::kAddressUpdateNs), 0x01);
    EXPECT_EQ(H::NextChange(lcd.s, lcd.t + 37 * kUs), lcd.t + 37 * kUs + H::kAddressUpdateNs);
}

TEST(Hd44780Test, DataReadReturnsTheDataRegisterThenMovesOn) {
    Lcd lcd;
    lcd.Text("AB");
    EXPECT_EQ(H::Output(lcd.s, lcd.t, true), 'B'); // no address set since the write: the last byte
    lcd.Cmd(0x80);                                 // an address set loads the register
    EXPECT_EQ(H::Output(lcd.s, lcd.t, true), 'A');
    H::ReadDone(lcd.s, lcd.t);
    lcd.t += 50 * kUs;
    EXPECT_EQ(H::Output(lcd.s, lcd.t, true), 'B');
    EXPECT_EQ(lcd.s.Ac, 1);
    lcd.Cmd(0x40); // CGRAM reads back all eight bits
    lcd.Data(0xFF);
    lcd.Cmd(0x40);
    EXPECT_EQ(H::Output(lcd.s, lcd.t, true), 0xFF);
}

TEST(Hd44780Test, RowsOfTheGlassFollowTheModuleAndTheShift) {
    Lcd lcd;
    for (uint8_t address : {0x00, 0x40, 0x14, 0x54}) {
        lcd.Cmd(static_cast<uint8_t>(0x80 | address));
        lcd.Data(static_cast<uint8_t>('0' + address % 10));
    }
    // Rows 3 and 4 of a 20x4 module continue lines 1 and 2.
    EXPECT_EQ(lcd.Row(4, 20, 0).substr(0, 1) + lcd.Row(4, 20, 1).substr(0, 1) +
                  lcd.Row(4, 20, 2).substr(0, 1) + lcd.Row(4, 20, 3).substr(0, 1),
              "0404");
    lcd.Cmd(0x18); // the display moves left: column 0 shows address 1
    EXPECT_EQ(lcd.Row(2, 16, 0).substr(0, 1), " ");
    EXPECT_EQ(lcd.Row(2, 16, 0).back(), ' ');
    lcd.Cmd(0x1C);
    lcd.Cmd(0x1C); // right of the start: the line's last place comes round to column 0
    lcd.Cmd(0xA7);
    lcd.Data('Z');
    EXPECT_EQ(lcd.Row(2, 16, 0).substr(0, 2), "Z0");
    lcd.Cmd(0x30); // one line: only the first row shows, 80 places long
    EXPECT_EQ(lcd.Row(2, 16, 1), "");
    lcd.Cmd(0x08); // display off: nothing
    EXPECT_EQ(lcd.Row(2, 16, 0), "");
}

TEST(Hd44780Test, CursorPlaceIsWhereTheCounterPointsOnTheGlass) {
    struct Case {
        uint8_t Address;
        int Shifts, Rows, Cols;
        std::optional<std::pair<int, int>> Place;
    };
    const Case cases[] = {
        {0x07, 0, 2, 16, std::pair{0, 7}}, {0x45, 0, 2, 16, std::pair{1, 5}},
        {0x16, 0, 4, 20, std::pair{2, 2}}, {0x20, 0, 2, 16, std::nullopt},
        {0x05, 3, 2, 16, std::pair{0, 2}}, {0x30, 0, 2, 16, std::nullopt},
    };
    for (const Case& c : cases) {
        Lcd lcd;
        for (int i = 0; i < c.Shifts; ++i)
            lcd.Cmd(0x18);
        lcd.Cmd(static_cast<uint8_t>(0x80 | c.Address));
        EXPECT_EQ(H::CursorPlace(lcd.s, c.Rows, c.Cols), c.Place) << int(c.Address);
    }
}

// The pins, as a program on a module wired for four bits drives them.
struct Pins {
    H::State s = H::PowerOn(0);
    uint64_t t = 20 * kMs;
    void Half(bool rs, bool rw, uint8_t high) {
        const uint8_t bus = static_cast<uint8_t>((high & 0xF0) | 0x0F); // DB3-DB0 unconnected
        H::Pins(s, t, true, rs, rw, bus);
        t += 1 * kUs;
        H::Pins(s, t, false, rs, rw, bus);
        t += 1 * kUs;
    }
    void Byte(bool rs, uint8_t v) {
        Half(rs, false, v);
        Half(rs, false, static_cast<uint8_t>(v << 4));
        t += 40 * kUs;
    }
};

TEST(Hd44780Test, FourBitInterfaceTakesTheHighHalfFirst) {
    Pins p;
    p.Half(false, false, 0x20); // still 8-bit: one transfer, DB3-DB0 read high (N = F = 1)
    EXPECT_FALSE(p.s.EightBit);
    EXPECT_TRUE(p.s.TwoLines && p.s.Font5x10);
    p.t += 40 * kUs;
    p.Byte(false, 0x28);
    EXPECT_TRUE(p.s.TwoLines && !p.s.Font5x10);
    p.Byte(false, 0xC9);
    p.Byte(true, 'H');
    EXPECT_EQ(p.s.Ddram[49], 'H');
    // A busy-flag read in two halves: BF and AC6-AC4, then AC3-AC0 (the counter is at $4A).
    p.t += 10 * kUs;
    H::Pins(p.s, p.t, true, false, true, 0xFF);
    EXPECT_EQ(H::Output(p.s, p.t, false), 0x40);
    H::Pins(p.s, p.t, false, false, true, 0xFF);
    H::Pins(p.s, p.t, true, false, true, 0xFF);
    EXPECT_EQ(H::Output(p.s, p.t, false), 0xA0);
    EXPECT_TRUE(H::Driving(p.s));
}

TEST(Hd44780Test, TransferTakesThePinsAsTheyStoodWhileEWasHigh) {
    Pins p;
    H::Pins(p.s, p.t, true, true, false, 'A');
    H::Pins(p.s, p.t + kUs, false, false, false, 'B'); // RS and data change as E falls
    EXPECT_EQ(p.s.Ddram[0], 'A');
    EXPECT_EQ(p.s.Ac, 1);
}

TEST(Hd44780Test, CharacterGeneratorHasTheRomAndTheUserCharacters) {
    const std::array<uint8_t, 64> cgram = [] {
        std::array<uint8_t, 64> c{};
        for (size_t i = 0; i < 8; ++i)
            c[8 + i] = static_cast<uint8_t>(0xE0 | (1u << (i % 5))); // user character 1; bits 7-5 not shown
        return c;
    }();
    std::set<TGlyph> seen;
    for (int code = 0x21; code < 0x80; ++code) {
        const TGlyph g = CharacterGlyph(static_cast<uint8_t>(code), cgram);
        EXPECT_TRUE(seen.insert(g).second) << "code " << code << " looks like another";
        EXPECT_EQ(g[7], 0) << "code " << code << ": the cursor row is dark";
    }
    EXPECT_EQ(CharacterGlyph(0x20, cgram), TGlyph{});
    EXPECT_EQ(CharacterGlyph('A', cgram), (TGlyph{0x0E, 0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0}));
    EXPECT_EQ(CharacterGlyph(0x09, cgram), (TGlyph{1, 2, 4, 8, 16, 1, 2, 4}));
    EXPECT_EQ(CharacterText('A'), "A");
    EXPECT_EQ(CharacterText(0x5C), "¥");
    EXPECT_EQ(CharacterText(0x0A), "②");
    EXPECT_EQ(CharacterText(0xB0), "�");
    EXPECT_FALSE(CharacterKnown(0xB0));
}

} // namespace
