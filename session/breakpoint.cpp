#include "session/breakpoint.h"

#include <algorithm>

bool TBreakpoint::ContainsOutside(int line) const {
    return std::find(lines_.begin(), lines_.end(), line) != lines_.end();
}

void TBreakpoint::Rebuild() {
    bits_.fill(0);
    for (int line : lines_)
        if (line > 0 && line < kBitmapLines) bits_[line >> 6] |= uint64_t{1} << (line & 63);
}

void TBreakpoint::Clear() {
    lines_.clear();
    bits_.fill(0);
}

void TBreakpoint::Add(int line) {
    if (Contains(line)) return;
    lines_.insert(lines_.begin(), line);
    if (line > 0 && line < kBitmapLines) bits_[line >> 6] |= uint64_t{1} << (line & 63);
}

void TBreakpoint::Remove(int line) {
    lines_.erase(std::remove(lines_.begin(), lines_.end(), line), lines_.end());
    if (line > 0 && line < kBitmapLines) bits_[line >> 6] &= ~(uint64_t{1} << (line & 63));
}

void TBreakpoint::Shift(int fromLine, bool inserted) {
    std::vector<int> shifted;
    shifted.reserve(lines_.size());
    for (int line : lines_) {
        if (line >= fromLine) line += inserted ? 1 : -1;
        // A breakpoint on line 0 would halt on every byte the program wrote itself.
        if (line < 1) continue;
        if (std::find(shifted.begin(), shifted.end(), line) == shifted.end()) shifted.push_back(line);
    }
    lines_.swap(shifted);
    Rebuild();
}
