#pragma once
// The board file: which parts the lab board has, how they are wired to the port pins, and
// where the window draws them. A teacher writes it as JSON (comments allowed):
//
//   {"name": "Tipkovnica in LCD",
//    "parts": [
//     {"type": "led", "name": "L0", "pin": "1.0", "active": "high"},
//     {"type": "switch", "name": "S0", "pin": "1.4", "on": false},
//     {"type": "button", "name": "T0", "pin": "2.0", "active": "low", "bounce_ms": 5},
//     {"type": "digit", "name": "D0", "segments": ["1.0","1.1","1.2","1.3","1.4","1.5","1.6","1.7"],
//      "common": "cathode"},
//     {"type": "digit", "name": "D1", "bcd": ["1.0","1.1","1.2","1.3"], "dp": "1.4"},
//     {"type": "display", "name": "DISP", "segments": [...8 pins...], "digits": ["2.0","2.1"],
//      "common": "cathode", "select": "high", "persistence_ms": 20},
//     {"type": "keypad", "name": "KEY", "rows": ["1.0","1.1","1.2","1.3"],
//      "cols": ["1.4","1.5","1.6","1.7"], "keys": "123A456B789C*0#D"},
//     {"type": "lcd", "name": "LCD", "size": "16x2", "data": ["1.4","1.5","1.6","1.7"],
//      "rs": "2.0", "rw": "2.1", "e": "2.2"}
//    ]}
//
// Pins are "PORT.BIT" ("1.0"-"1.7", "2.0"-"2.4"; "P10" is read as well). Every part has a
// "type" and a "name" (unique; no spaces, no = @ : or quotes) and may have "x", "y" (its place
// in the window) and "label".
//   led     "pin"; "active" "high" (default: lit when the pin is high) or "low".
//   switch  "pin"; "active" "high" (default: on drives 1, off 0) or "low"; "on" (its position
//           when the board is first shown, default false).
//   button  "pin"; "active": the level while pressed ("high", default, or "low"; released,
//           a resistor pulls the pin to the other level); "bounce_ms" 0-50 (default 0).
//   digit   "segments": 7 or 8 pins in the order a, b, c, d, e, f, g, dp; or "bcd": the 4
//           inputs of a BCD decoder, weights 1, 2, 4, 8, with an optional "dp" pin; "common"
//           "cathode" (default: a segment lights on a high line) or "anode" (on a low line).
//   display as digit, plus "digits": 1-8 select lines, leftmost digit first; "select" "high"
//           (default) or "low": the level that selects a digit; "persistence_ms" 1-1000
//           (default 20): the time over which the eye sums what it saw.
//   keypad  "rows" and "cols": 1-4 pins each; "keys": one character per key, row by row.
//   lcd     "size" "16x2" (default), "16x4", "20x2", "20x4" or "40x2"; "data": 8 pins (D0-D7)
//           or 4 (D4-D7, the 4-bit wiring); "rs", "e", and "rw" (left out: the module is
//           write-only, R/W tied low).
// Keys a part does not know are allowed (a teacher's notes), except the keys of another kind
// of part and keys that differ from a known one by a letter or in case only ("pins", "Pin",
// "lable", "bounce"): those are mistakes and are refused.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "board/pins.h"

enum class TPartKind : uint8_t { Led, Switch, Button, Digit, Display, Keypad, Lcd };

// How many parts a board may have; parts that keep state have fixed places in the board's
// state value.
inline constexpr int kMaxParts = 64;
inline constexpr int kMaxSwitches = 32;
inline constexpr int kMaxButtons = 8;
inline constexpr int kMaxDisplays = 2;
inline constexpr int kMaxKeypads = 2;
inline constexpr int kMaxLcds = 2;

struct TBoardPart {
    TPartKind Kind = TPartKind::Led;
    std::string Name;  // UTF-8
    std::string Label; // UTF-8, may be empty
    std::optional<int> X, Y;
    int Line = 0; // the line of the file where the part begins
    int Slot = 0; // its place among the parts of its kind (switches, buttons, ... in file order)

    // led, switch, button
    TPin Pin;
    bool ActiveHigh = true;
    bool On = false;       // switch
    uint32_t BounceMs = 0; // button
    // digit, display: Segments a-g and dp; with a BCD decoder only dp may be wired
    std::array<std::optional<TPin>, 8> Segments{};
    std::optional<std::array<TPin, 4>> Bcd;
    bool CommonAnode = false;
    std::vector<TPin> Digits; // display
    bool SelectHigh = true;
    uint32_t PersistenceMs = 20;
    // keypad
    std::vector<TPin> Rows, Cols;
    std::vector<std::string> Keys; // one UTF-8 character each, row by row
    // lcd
    int LcdRows = 2, LcdCols = 16;
    std::vector<TPin> Data; // D0-D7, or D4-D7
    TPin Rs, E;
    std::optional<TPin> Rw;
};

struct TBoardConfig {
    std::string Name;
    std::vector<TBoardPart> Parts; // in the order of the file
};

struct TBoardRead {
    std::optional<TBoardConfig> Board;
    std::string Error; // Slovenian, UTF-8; names the part and the field
    int Line = 0;      // 1-based line of the file the error refers to; 0: the whole file
    int Column = 0;    // for bad JSON: the column of the token

    bool Ok() const { return Board.has_value(); }
    // "vrstica 12: ...", "vrstica 4, stolpec 16: ...", or the bare message.
    std::string Message() const;
};

// Reads the text of a board file (UTF-8). Every fault is reported, nothing is half-read: bad
// JSON with its line and column, a wrong part or field with the line it stands on, a text over
// 256 KiB or nested over 16 levels.
TBoardRead ParseBoard(std::string_view text);
// Reads and parses a board file; an unreadable file or a folder is told as such. The messages
// do not name the file: the caller does.
TBoardRead ReadBoardFile(const std::string& path);

// The Slovenian name of a kind of part, as messages use it ("lučka", "tipkovnica").
const char* PartKindName(TPartKind kind);
// The kind's name in the board file ("led", "keypad").
const char* PartKindKey(TPartKind kind);
