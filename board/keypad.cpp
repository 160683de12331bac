#include "board/keypad.h"

#include <array>

TMatrixLevels SolveKeyMatrix(int rows, int cols, uint16_t held, uint8_t outputs, uint8_t outputLevels) {
    TMatrixLevels result;
    if (held == 0) return result;
    const int lines = rows + cols;
    // The group of each line: the lowest-numbered line in it.
    std::array<uint8_t, 8> group{};
    for (int i = 0; i < lines; ++i)
        group[i] = static_cast<uint8_t>(i);
    const auto root = [&group](int i) {
        while (group[i] != i)
            i = group[i];
        return i;
    };
    for (int key = 0; key < rows * cols; ++key) {
        if (!(held & (1u << key))) continue;
        const int a = root(key / cols), b = root(rows + key % cols);
        if (a < b) group[b] = static_cast<uint8_t>(a);
        else group[a] = static_cast<uint8_t>(b);
    }
    // Which levels the outputs of each group drive.
    std::array<uint8_t, 8> low{}, high{};
    for (int i = 0; i < lines; ++i) {
        if (!(outputs & (1u << i))) continue;
        if (outputLevels & (1u << i)) high[root(i)] = 1;
        else low[root(i)] = 1;
    }
    for (int i = 0; i < lines; ++i) {
        const int g = root(i);
        const uint8_t bit = static_cast<uint8_t>(1u << i);
        if (outputs & bit) {
            if (low[g] && high[g]) result.Shorted |= bit;
        } else if (low[g] || high[g]) {
            result.Driven |= bit;
            if (!low[g]) result.Level |= bit;
        }
    }
    return result;
}
