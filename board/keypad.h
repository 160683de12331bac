#pragma once
// A key matrix: each key, while held, connects its row line to its column line. Nothing else
// is in the matrix (no diodes), so keys held together join lines into groups, as on the real
// part: three keys at the corners of a rectangle join the fourth corner's lines as well (a
// ghost key). Every line has a pull-up resistor.
#include <cstdint>

// The matrix's lines are numbered rows first (0 .. rows-1), then columns (rows .. rows+cols-1);
// at most 8 lines. Key k (row by row) is at row k / cols, column k % cols.
struct TMatrixLevels {
    uint8_t Driven = 0;  // lines that are no output but joined to an output through held keys
    uint8_t Level = 0;   // their levels
    uint8_t Shorted = 0; // outputs joined to outputs at the other level
    bool operator==(const TMatrixLevels&) const = default;
};

// The levels the matrix passes on, for the held keys `held` (bit k = key k) and the lines that
// the processor drives as outputs, with their levels. A group of lines takes the level of the
// outputs in it; when those disagree (two outputs shorted through keys), the low one wins, as
// the output that sinks current is the stronger. A group without an output is left to the
// pull-ups (not in Driven).
TMatrixLevels SolveKeyMatrix(int rows, int cols, uint16_t held, uint8_t outputs, uint8_t outputLevels);
