#pragma once
// The character generator of the HD44780 LCD controller: its ROM (the standard A00 pattern
// set, of which the board draws the printable ASCII range and a few symbols) and the eight
// user characters in CGRAM.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

// One character cell: eight rows of five dots, the top row first; bit 4 of a row is its
// leftmost dot. ROM characters leave the eighth row (the cursor's) dark.
using TGlyph = std::array<uint8_t, 8>;

// The pattern the controller shows for a character code. Codes $00-$0F are the user
// characters (code & 7) taken from `cgram` (64 bytes, eight per character, top row first,
// only the low five bits count); $20-$7F, $DF and $FF come from the ROM. For a code whose ROM
// pattern this board does not hold, a checkered cell.
TGlyph CharacterGlyph(uint8_t code, std::span<const uint8_t, 64> cgram);

// Whether the ROM pattern of a code is held (user characters count as held).
bool CharacterKnown(uint8_t code);

// The character as text (UTF-8) for reports of what the LCD shows: ASCII for $20-$7F except
// $5C "¥", $7E "→" and $7F "←" (the A00 set's symbols there); "°" for $DF, "█" for $FF; the user
// characters 0-7 as "⓪", "①" ... "⑦"; "�" for any other code.
std::string_view CharacterText(uint8_t code);
