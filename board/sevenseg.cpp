#include "board/sevenseg.h"

#include <algorithm>

namespace {

// Segments: a = 1, b = 2, c = 4, d = 8, e = 16, f = 32, g = 64.
constexpr uint8_t kDecoder[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

struct TShape {
    uint8_t Pattern;
    char Text;
};
constexpr TShape kShapes[] = {
    {0x3F, '0'}, {0x06, '1'}, {0x5B, '2'}, {0x4F, '3'}, {0x66, '4'}, {0x6D, '5'},
    {0x7D, '6'}, {0x07, '7'}, {0x27, '7'}, {0x7F, '8'}, {0x6F, '9'}, {0x67, '9'},
    {0x77, 'A'}, {0x7C, 'B'}, {0x39, 'C'}, {0x5E, 'D'}, {0x79, 'E'}, {0x71, 'F'},
};

uint64_t Unit(uint64_t windowNs) { return std::max<uint64_t>(1, windowNs / 32768); }

// Adds the time from `from` to `to` to every lit segment's count for this frame. Counting
// in whole units of absolute time keeps the rounding from adding up over many short spans.
void AddLit(TPersistence::State& s, uint64_t from, uint64_t to, uint64_t unit) {
    if (to <= from) return;
    const uint64_t units = to / unit - from / unit;
    if (units == 0) return;
    for (int d = 0; d < TPersistence::kMaxDigits; ++d) {
        const uint8_t lit = s.Lit[d];
        if (lit == 0) continue;
        for (int seg = 0; seg < 8; ++seg)
            if (lit & (1u << seg))
                s.This[d][seg] = static_cast<uint16_t>(std::min<uint64_t>(0xFFFF, s.This[d][seg] + units));
    }
}

// Brings the counts up to `now` with the segments lit as they have been since s.Since.
void Account(TPersistence::State& s, uint64_t now, uint64_t windowNs) {
    if (now <= s.Since) return;
    const uint64_t unit = Unit(windowNs);
    // Most changes come within the frame of the last one.
    if (now < (s.Frame + 1) * windowNs) {
        AddLit(s, s.Since, now, unit);
        s.Since = now;
        return;
    }
    const uint64_t frame = now / windowNs;
    uint64_t from = s.Since;
    if (frame != s.Frame) {
        AddLit(s, from, (s.Frame + 1) * windowNs, unit);
        if (frame == s.Frame + 1) {
            s.Last = s.This;
        } else {
            // Whole frames went by unchanged: the last of them saw the lit segments all along.
            s.This = {};
            AddLit(s, (frame - 1) * windowNs, frame * windowNs, unit);
            s.Last = s.This;
        }
        s.This = {};
        s.Frame = frame;
        from = frame * windowNs;
    }
    AddLit(s, from, now, unit);
    s.Since = now;
}

} // namespace

uint8_t BcdPattern(unsigned value) { return value < 10 ? kDecoder[value] : 0; }

std::string SegmentLetters(uint8_t pattern) {
    std::string letters;
    for (int seg = 0; seg < 7; ++seg)
        if (pattern & (1u << seg)) letters += static_cast<char>('a' + seg);
    if (pattern & kSegmentDp) letters += '.';
    return letters;
}

std::string DigitText(uint8_t pattern) {
    const uint8_t shape = pattern & 0x7F;
    char text = shape == 0 ? ' ' : '?';
    for (const TShape& s : kShapes)
        if (s.Pattern == shape) text = s.Text;
    std::string out(1, text);
    if (pattern & kSegmentDp) out += '.';
    return out;
}

TPersistence::State TPersistence::Start(uint64_t now, uint64_t windowNs) {
    State s;
    s.Begin = now;
    s.Since = now;
    s.Frame = now / windowNs;
    return s;
}

void TPersistence::Light(State& s, uint64_t now, uint64_t windowNs, const TPatterns& lit) {
    if (lit == s.Lit) return;
    Account(s, now, windowNs);
    s.Lit = lit;
    s.Since = std::max(s.Since, now);
}

namespace {

// Each segment's on-time within the last window at `now`, in units times windowNs (to stay in
// integers): all of this frame's, and of the last frame's the part the window still covers;
// `span` is the window's length in units (shorter until a window has passed since the power-on).
template <typename Each>
void SeenInWindow(const TPersistence::State& state, uint64_t now, uint64_t windowNs, Each each) {
    TPersistence::State s = state;
    Account(s, now, windowNs);
    const uint64_t unit = Unit(windowNs);
    const uint64_t at = std::max(now, s.Since);
    const uint64_t intoFrame = std::min(windowNs, at - s.Frame * windowNs);
    const uint64_t span = std::min(windowNs, at - std::min(at, s.Begin)) / unit;
    for (int d = 0; d < TPersistence::kMaxDigits; ++d)
        for (int seg = 0; seg < 8; ++seg)
            each(d, seg,
                 uint64_t{s.This[d][seg]} * windowNs + uint64_t{s.Last[d][seg]} * (windowNs - intoFrame),
                 span);
}

} // namespace

TPersistence::TPatterns TPersistence::Shown(const State& state, uint64_t now, uint64_t windowNs) {
    TPatterns shown{};
    SeenInWindow(state, now, windowNs, [&](int d, int seg, uint64_t seen, uint64_t span) {
        if (seen >= (span / kShownPart) * windowNs && seen > 0) shown[d] |= static_cast<uint8_t>(1u << seg);
    });
    return shown;
}

TPersistence::TShares TPersistence::Shares(const State& state, uint64_t now, uint64_t windowNs) {
    TShares shares{};
    SeenInWindow(state, now, windowNs, [&](int d, int seg, uint64_t seen, uint64_t span) {
        if (span == 0) return;
        shares[d][seg] = static_cast<uint8_t>(std::min<uint64_t>(255, seen * 255 / (span * windowNs)));
    });
    return shares;
}
