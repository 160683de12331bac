#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TSci;

enum class SciDisplayMode : uint8_t { Ascii, Hex };

// What "Send" did with the input field.
enum class SciSendResult : uint8_t {
    Empty,   // the input field was empty: nothing sent
    Sent,    // one byte taken from the input field and delivered
    Invalid, // HEX mode, the characters were not hexadecimal digits: they were removed and the
             // byte 0 was delivered; the window shows "Napacni podatki"
};

// The external system at the other end of the serial line: the terminal the user types into and
// reads. It shows what the chip transmits (the output field), holds what the user will send (the
// input field), and sends at its own rate, which the chip compares with its own.
//
// The terminal attaches itself to the chip: it receives every transmitted byte and empties its
// fields when the chip is reset (a memory clear or a load). One terminal per chip; it must not
// outlive the chip. The SCI window and the command line's --send both drive it.
class TSciTerminal {
public:
    explicit TSciTerminal(TSci& chip);
    ~TSciTerminal();
    TSciTerminal(const TSciTerminal&) = delete;
    TSciTerminal& operator=(const TSciTerminal&) = delete;

    SciDisplayMode DisplayMode = SciDisplayMode::Ascii;
    std::string ExternalRate = "9600"; // the rate box, as text; compared with the chip's as text
    std::string Input;                 // the input field, 8-bit (Windows-1250) text

    // "ASCII" or "HEX"; the mode button flips between them.
    const char* DisplayModeText() const { return DisplayMode == SciDisplayMode::Hex ? "HEX" : "ASCII"; }
    void ToggleDisplayMode() {
        DisplayMode = DisplayMode == SciDisplayMode::Ascii ? SciDisplayMode::Hex : SciDisplayMode::Ascii;
    }

    // The output field (8-bit text): in ASCII mode each received byte is appended as one
    // character, in HEX mode two uppercase digits and a blank are put in front, newest first.
    std::string Output() const;
    size_t OutputSize() const { return prefixReversed_.size() + body_.size(); }
    // The user edited the output field: later bytes are added to this text.
    void SetOutput(std::string text);
    // Changes whenever the output text changes (a byte added, SetOutput, a reset), so a window
    // can leave its field, and the user's editing in it, alone until there is something new.
    uint64_t OutputRevision() const { return outputRevision_; }
    // Every byte received from the chip since the last reset, in order.
    const std::vector<uint8_t>& Received() const { return received_; }

    // Whether the external rate is the chip's current rate.
    bool AtChipRate() const;
    // Sends one byte at the external rate. Lost (false) when the chip's receiver is disabled.
    bool SendByte(uint8_t byte);
    // "Send": takes one byte from Input as DisplayMode says and sends it.
    SciSendResult SendInput();
    // Empties the input and output fields and the received bytes (the chip was reset); the
    // mode and the rate stay.
    void Clear();

    // What the terminal holds of the line's traffic: the output field's text and the bytes
    // received (the input field, the mode and the rate are the user's settings). A board
    // snapshot copies it; reverse step notes a TPosition instead.
    struct State {
        std::string Output;
        std::vector<uint8_t> Received;
        bool operator==(const State&) const = default;
    };
    State Save() const { return {Output(), received_}; }
    // Puts the text and the received bytes back; the edits kept for TakeBack are forgotten.
    void Restore(const State& state);
    // After Restore, for a history taken up with it: the first `prefix` characters of the text
    // (no more than it has) become the part HEX bytes were put in front of, and the count of
    // edits is `edits`, as Position() told them.
    void SetLayout(uint32_t prefix, uint32_t edits);

    // Where the output stands, for reverse step: the sizes of the text's two parts and of the
    // received bytes, and how many times the user has edited the field. No member initialisers:
    // the history reserves rings of them without writing them.
    struct TPosition {
        uint32_t Prefix, Body, Received, Edits;
        bool operator==(const TPosition&) const = default;
    };
    TPosition Position() const {
        return {static_cast<uint32_t>(prefixReversed_.size()), static_cast<uint32_t>(body_.size()),
                static_cast<uint32_t>(received_.size()), editCount_};
    }
    // Goes back to an earlier position: the user's later edits are undone (as far as they are
    // still kept: the old texts of the latest edits, up to kEditBytes in all), then the bytes
    // received since are taken off. The input field, the mode and the rate stay.
    void TakeBack(const TPosition& position);
    static constexpr size_t kEditBytes = 4u << 20;

private:
    void Receive(uint8_t byte);

    TSci& chip_;
    // The output field is kept as a reversed prefix (HEX bytes are put in front) and a body
    // (ASCII bytes are appended), so neither kind of addition copies the whole text.
    std::string prefixReversed_;
    std::string body_;
    uint64_t outputRevision_ = 0;
    std::vector<uint8_t> received_;
    // The output field before each kept edit by the user, oldest first; Edit is the count of
    // edits before it.
    struct TEdit {
        uint32_t Edit;
        std::string PrefixReversed, Body;
    };
    std::vector<TEdit> edits_;
    uint32_t editCount_ = 0;
    size_t editBytes_ = 0;
};
