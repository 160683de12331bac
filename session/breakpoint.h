#pragma once
#include <cstddef>
#include <vector>

// The set of source lines (1-based) that carry a breakpoint. Entries are kept newest first;
// a run halts when a step ends on one of these lines.
class TBreakpoint {
public:
    // Removes every entry.
    void Clear() { lines_.clear(); }
    // True if some entry equals `line`.
    bool Contains(int line) const;
    // Puts `line` at the head. Callers add only lines not yet contained; a repeated line is
    // stored once all the same, so one Remove always takes it away.
    void Add(int line);
    // Removes every entry equal to `line`.
    void Remove(int line);
    // Follows an edit of the source: every entry >= fromLine moves down by one line when a line
    // was inserted, up by one when a line was deleted. An entry that would move above line 1 is
    // dropped, and entries that meet on one line are merged.
    void Shift(int fromLine, bool inserted);

    // The entries, newest first.
    const std::vector<int>& Lines() const { return lines_; }
    size_t Count() const { return lines_.size(); }
    bool Empty() const { return lines_.empty(); }

private:
    std::vector<int> lines_; // newest first
};
