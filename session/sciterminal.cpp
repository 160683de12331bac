#include "session/sciterminal.h"

#include <algorithm>

#include "engine/devices/sci.h"
#include "engine/hex.h"
#include "engine/numbers.h"

TSciTerminal::TSciTerminal(TSci& chip) : chip_(chip) {
    chip_.onTransmit = [this](uint8_t byte) { Receive(byte); };
    chip_.onReset = [this] { Clear(); };
}

TSciTerminal::~TSciTerminal() {
    chip_.onTransmit = nullptr;
    chip_.onReset = nullptr;
}

std::string TSciTerminal::Output() const {
    std::string text(prefixReversed_.rbegin(), prefixReversed_.rend());
    text += body_;
    return text;
}

void TSciTerminal::SetOutput(std::string text) {
    prefixReversed_.clear();
    body_ = std::move(text);
    ++outputRevision_;
}

void TSciTerminal::Receive(uint8_t byte) {
    received_.push_back(byte);
    ++outputRevision_;
    if (DisplayMode == SciDisplayMode::Hex) {
        // "42 " in front of the text, stored reversed.
        prefixReversed_.push_back(' ');
        prefixReversed_.push_back(kHexDigits[byte & 0x0F]);
        prefixReversed_.push_back(kHexDigits[byte >> 4]);
    } else {
        body_.push_back(static_cast<char>(byte));
    }
    Changed();
}

bool TSciTerminal::AtChipRate() const { return ExternalRate == chip_.ChipRate(); }

bool TSciTerminal::SendByte(uint8_t byte) { return chip_.DeliverByte(byte, AtChipRate()); }

SciSendResult TSciTerminal::SendInput() {
    if (Input.empty()) {
        Changed();
        return SciSendResult::Empty;
    }
    uint8_t byte = 0;
    SciSendResult result = SciSendResult::Sent;
    if (DisplayMode == SciDisplayMode::Ascii) {
        byte = static_cast<uint8_t>(Input[0]);
        Input.erase(0, 1);
    } else {
        // One or two hexadecimal digits; anything else sends 0 and is dropped all the same.
        TNumberSyntax hexDigits;
        hexDigits.PlainBase = 16;
        const size_t take = std::min<size_t>(Input.size(), 2);
        const TParsedNumber n = ParseNumberText(std::string_view(Input).substr(0, take), hexDigits);
        if (n.Ok()) byte = static_cast<uint8_t>(n.Magnitude);
        else result = SciSendResult::Invalid;
        Input.erase(0, take);
    }
    SendByte(byte);
    Changed();
    return result;
}

void TSciTerminal::Clear() {
    Input.clear();
    prefixReversed_.clear();
    body_.clear();
    received_.clear();
    ++outputRevision_;
    Changed();
}
