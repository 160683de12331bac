#include "board/pins.h"

std::optional<TPin> ParsePin(std::string_view text) {
    char port = 0, bit = 0;
    if (text.size() == 3 && text[1] == '.') {
        port = text[0];
        bit = text[2];
    } else if (text.size() == 3 && (text[0] == 'P' || text[0] == 'p')) {
        port = text[1];
        bit = text[2];
    } else {
        return std::nullopt;
    }
    if (port != '1' && port != '2') return std::nullopt;
    if (bit < '0' || bit > (port == '1' ? '7' : '4')) return std::nullopt;
    return TPin{static_cast<uint8_t>(port - '0'), static_cast<uint8_t>(bit - '0')};
}

std::string PinText(TPin pin) {
    return std::string{static_cast<char>('0' + pin.Port), '.', static_cast<char>('0' + pin.Bit)};
}
