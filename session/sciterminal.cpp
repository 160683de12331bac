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
    // The text before the edit is kept for reverse step, within a bound on the kept texts.
    TEdit edit{editCount_++, std::move(prefixReversed_), std::move(body_)};
    editBytes_ += edit.PrefixReversed.size() + edit.Body.size();
    edits_.push_back(std::move(edit));
    while (editBytes_ > kEditBytes && !edits_.empty()) {
        editBytes_ -= edits_.front().PrefixReversed.size() + edits_.front().Body.size();
        edits_.erase(edits_.begin());
    }
    prefixReversed_.clear();
    body_ = std::move(text);
    ++outputRevision_;
}

void TSciTerminal::Restore(const State& state) {
    prefixReversed_.clear();
    body_ = state.Output;
    received_ = state.Received;
    edits_.clear();
    editBytes_ = 0;
    ++outputRevision_;
}

void TSciTerminal::SetLayout(uint32_t prefix, uint32_t edits) {
    std::string text = Output();
    const size_t front = std::min<size_t>(prefix, text.size());
    prefixReversed_.assign(text.rend() - static_cast<std::ptrdiff_t>(front), text.rend());
    body_ = text.substr(front);
    editCount_ = edits;
}

void TSciTerminal::TakeBack(const TPosition& position) {
    if (position == Position()) return;
    while (!edits_.empty() && edits_.back().Edit >= position.Edits) {
        TEdit& edit = edits_.back();
        editBytes_ -= edit.PrefixReversed.size() + edit.Body.size();
        prefixReversed_ = std::move(edit.PrefixReversed);
        body_ = std::move(edit.Body);
        edits_.pop_back();
    }
    editCount_ = std::min(editCount_, position.Edits);
    if (prefixReversed_.size() > position.Prefix) prefixReversed_.resize(position.Prefix);
    if (body_.size() > position.Body) body_.resize(position.Body);
    if (received_.size() > position.Received) received_.resize(position.Received);
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
}

bool TSciTerminal::AtChipRate() const { return ExternalRate == chip_.ChipRate(); }

bool TSciTerminal::SendByte(uint8_t byte) { return chip_.DeliverByte(byte, AtChipRate()); }

SciSendResult TSciTerminal::SendInput() {
    if (Input.empty()) {
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
    return result;
}

void TSciTerminal::Clear() {
    Input.clear();
    prefixReversed_.clear();
    body_.clear();
    received_.clear();
    edits_.clear();
    editBytes_ = 0;
    ++outputRevision_;
}
