#pragma once
// Seven-segment digits: segment patterns, the BCD decoder, reading a pattern as a digit, and
// the persistence with which a multiplexed display is seen.
#include <array>
#include <cstdint>
#include <string>

// A pattern has one bit per segment: a = bit 0 ... g = bit 6, the decimal point dp = bit 7.
inline constexpr uint8_t kSegmentDp = 0x80;

// The decoder between four BCD lines and the segments (as a 4511): 0-9 drawn with the tails
// on 6 and 9, the codes 10-15 dark.
uint8_t BcdPattern(unsigned value);

// The lit segments as letters in the order a-g, "." for the decimal point ("bc.").
std::string SegmentLetters(uint8_t pattern);

// A pattern read as a digit: "0"-"9" (6, 7 and 9 in either form), the hexadecimal digits
// "A"-"F" (drawn A b C d E F), " " for a dark digit, "?" for any other pattern; then "." when
// the decimal point is lit.
std::string DigitText(uint8_t pattern);

// What the eye sees of a multiplexed display. Each digit is lit only while its select line is
// active; a segment counts as shown when it was lit for at least 1/32 of the last `window`
// of simulated time. A program that visits every digit within the window shows a steady
// number; one that is slower lets digits go dark between visits (flicker), and one that
// changes the segment lines while the wrong digit is selected, for long enough, shows ghosts.
// Until a window has passed since the power-on, the share is taken of the time there was.
//
// On-time is kept per segment for the current window-long frame and the one before, in units
// of window / 32768; a sliding window is estimated from the two.
class TPersistence {
public:
    static constexpr int kMaxDigits = 8;
    static constexpr uint64_t kShownPart = 32; // shown when lit for window / kShownPart

    using TPatterns = std::array<uint8_t, kMaxDigits>;

    struct State {
        uint64_t Begin = 0; // when the display could first be seen (power-on)
        uint64_t Since = 0; // Lit has held since this time
        uint64_t Frame = 0; // the current frame: time / window
        TPatterns Lit{};    // the segments lit now, per digit
        std::array<std::array<uint16_t, 8>, kMaxDigits> This{}, Last{}; // on-time this and last frame
        bool operator==(const State&) const = default;
    };

    // Everything dark from `now` on.
    static State Start(uint64_t now, uint64_t windowNs);
    // The segments lit from `now` on (no change: nothing happens).
    static void Light(State& s, uint64_t now, uint64_t windowNs, const TPatterns& lit);
    // The segments seen at `now`.
    static TPatterns Shown(const State& s, uint64_t now, uint64_t windowNs);

    // How long each segment was lit within the last window at `now`, as a share of it: 0 (dark
    // all the while) to 255 (lit all along); how bright the eye finds it. Until a window has
    // passed since the power-on, of the time there was.
    using TShares = std::array<std::array<uint8_t, 8>, kMaxDigits>;
    static TShares Shares(const State& s, uint64_t now, uint64_t windowNs);
};
