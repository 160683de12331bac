#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/device.h"
#include "engine/pending.h"

class TRandom;

enum class SciDisplayMode : uint8_t { Ascii, Hex };

// What the SCI window's "Send" did with its input field.
enum class SciSendResult : uint8_t {
    Empty,   // the input field was empty: nothing sent
    Sent,    // one byte taken from the input field and delivered
    Invalid, // HEX mode, the characters were not hexadecimal digits: they were removed and the
             // byte 0 was delivered; the window shows "Napacni podatki"
};

// The MC6803 serial communication interface together with the line to the external system that
// the user operates in the SCI window.
//
// Transfers are counted in ticks, not processor cycles: SciTick() is called every 150 ms by the
// workbench (every K steps by the command line). A byte takes 10 ticks each way, 5 each way when
// the line is looped back. The processor sees RMCR $10, TRCSR $11, RDR $12 (read only: writes to
// $12 land in plain memory) and TDR $13. The settings that the window shows and edits
// (Loopback, DisplayMode, ExternalRate, the input and output field texts) live here as well, so
// the model works without a window.
class TSci : public TRegisterDevice {
public:
    // TRCSR bits (data-sheet names).
    static constexpr uint8_t TRCSR_RDRF = 0x80; // receive data register full
    static constexpr uint8_t TRCSR_ORFE = 0x40; // overrun or framing error
    static constexpr uint8_t TRCSR_TDRE = 0x20; // transmit data register empty
    static constexpr uint8_t TRCSR_RIE = 0x10;  // receive interrupt enable
    static constexpr uint8_t TRCSR_RE = 0x08;   // receiver enable
    static constexpr uint8_t TRCSR_TIE = 0x04;  // transmit interrupt enable
    static constexpr uint8_t TRCSR_TE = 0x02;   // transmitter enable
    static constexpr uint8_t TRCSR_WU = 0x01;   // wake-up
    static constexpr uint8_t TRCSR_Status = TRCSR_RDRF | TRCSR_ORFE | TRCSR_TDRE;

    static constexpr uint8_t LineTicks = 10;    // ticks for one byte, each way
    static constexpr uint8_t LoopbackTicks = 5; // ticks for one byte, each way, looped back

    // pending: the processor's request set; random: for the bytes of a receive error;
    // loaded: the board's "program loaded" flag (the line stands still without a program).
    TSci(TPending& pending, TRandom& random, const bool& loaded);

    // Chip registers.
    uint8_t RMCR = 0;
    uint8_t TRCSR = 0;
    uint8_t RDR = 0;
    uint8_t TDR = 0;
    // The line.
    uint8_t TxCount = 0;       // ticks until TDR has left; 0 = transmitter idle
    uint8_t RxCount = 0;       // ticks until RxByte arrives; 0 = nothing on the way in
    uint8_t RxByte = 0;        // the byte on its way in
    bool RdrTaken = true;      // RDR has been read since the last arrival
    bool OverrunSeen = false;  // an arrival found RDR unread; cleared when the program reads RDR
    bool RateMismatch = false; // the byte on its way in was sent at a rate other than the chip's

    // Window settings.
    bool Loopback = false; // "Rx=Tx": Tx is wired to Rx
    SciDisplayMode DisplayMode = SciDisplayMode::Ascii;
    std::string ExternalRate = "9600"; // the external system's rate box, as text
    std::string Input;                 // the input field, 8-bit (Windows-1250) text

    // Every byte that left the chip towards the external system, in order (looped-back bytes
    // never leave the chip and are not listed). Emptied by ResetSci.
    std::vector<uint8_t> Transmitted;

    // Called after every register access, after DeliverByte, ResetSci and every tick.
    std::function<void()> onChanged;

    // The chip's rate chosen by RMCR bits 1-0: "76800", "9600", "1200" or "300".
    const char* ChipRate() const;
    // "ASCII" or "HEX"; the mode button flips between them.
    const char* DisplayModeText() const { return DisplayMode == SciDisplayMode::Hex ? "HEX" : "ASCII"; }
    void ToggleDisplayMode() {
        DisplayMode = DisplayMode == SciDisplayMode::Ascii ? SciDisplayMode::Hex : SciDisplayMode::Ascii;
    }

    // The output field (8-bit text): in ASCII mode each transmitted byte is appended as one
    // character, in HEX mode two uppercase digits and a blank are put in front, newest first.
    std::string Output() const;
    size_t OutputSize() const { return prefixReversed_.size() + body_.size(); }
    // The user edited the output field: later bytes are added to this text.
    void SetOutput(std::string text);
    // Changes whenever the output text changes (a byte added, SetOutput, ResetSci), so a window
    // can leave its field, and the user's editing in it, alone until there is something new.
    uint64_t OutputRevision() const { return outputRevision_; }

    uint8_t ReadRegister(uint16_t address) override;
    void WriteRegister(uint16_t address, uint8_t value) override;

    // One clock of the line (see the class comment); raises or withdraws request 4.
    void SciTick();
    // The external system sends a byte. Lost (false) when the receiver is disabled.
    bool DeliverByte(uint8_t byte);
    // The window's "Send": takes one byte from Input as DisplayMode says and delivers it.
    SciSendResult SendInput();
    // Registers, line and both fields cleared; at every load and every memory clear.
    void ResetSci();

private:
    void Changed() {
        if (onChanged) onChanged();
    }
    void Emit(uint8_t byte);

    TPending& pending_;
    TRandom& random_;
    const bool& loaded_;
    // The output field is kept as a reversed prefix (HEX bytes are put in front) and a body
    // (ASCII bytes are appended), so neither kind of addition copies the whole text.
    std::string prefixReversed_;
    std::string body_;
    uint64_t outputRevision_ = 0;
};
