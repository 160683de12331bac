#include "board/shows.h"

#include "board/charrom.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Quote(const std::string& text) {
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string HeldKeys(const TLabBoard& board, const TBoardPart& part) {
    std::string keys;
    const uint16_t held = board.KeysHeld(part);
    for (size_t k = 0; k < part.Keys.size(); ++k)
        if (held & (1u << k)) keys += part.Keys[k];
    return keys;
}

// The cursor's place while the LCD shows it (cursor line or blinking on).
std::optional<std::pair<int, int>> ShownCursor(const TLabBoard& board, const TBoardPart& part) {
    const THd44780::State& lcd = board.Lcd(part);
    if (!lcd.CursorOn && !lcd.Blink) return std::nullopt;
    return THd44780::CursorPlace(lcd, part.LcdRows, part.LcdCols);
}

} // namespace

std::vector<std::string> LcdLines(const TLabBoard& board, const TBoardPart& part) {
    const THd44780::State& lcd = board.Lcd(part);
    std::vector<std::string> lines;
    for (int row = 0; row < part.LcdRows; ++row) {
        std::string line;
        size_t kept = 0; // the length without the trailing spaces
        for (int col = 0; col < part.LcdCols; ++col) {
            const std::optional<uint8_t> code = THd44780::CharAt(lcd, part.LcdRows, part.LcdCols, row, col);
            if (!code) break;
            line += CharacterText(*code);
            if (*code != 0x20) kept = line.size();
        }
        line.resize(kept);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::string DisplayText(const TLabBoard& board, const TBoardPart& part, uint64_t now) {
    const TPersistence::TPatterns shown = board.DisplayPatterns(part, now);
    std::string text;
    for (size_t d = 0; d < part.Digits.size(); ++d)
        text += DigitText(shown[d]);
    return text;
}

Json PartShowsJson(const TLabBoard& board, const TBoardPart& part, uint64_t now) {
    switch (part.Kind) {
    case TPartKind::Led:
        return {{"on", board.LampLit(part)}};
    case TPartKind::Switch:
        return {{"on", board.SwitchOn(part)}};
    case TPartKind::Button:
        return {{"pressed", board.ButtonHeld(part)}};
    case TPartKind::Digit: {
        const uint8_t pattern = board.DigitPattern(part);
        return {{"segments", SegmentLetters(pattern)}, {"text", DigitText(pattern)}};
    }
    case TPartKind::Display:
        return {{"text", DisplayText(board, part, now)}};
    case TPartKind::Keypad:
        return {{"pressed", HeldKeys(board, part)}};
    case TPartKind::Lcd: {
        Json shows = {{"lines", LcdLines(board, part)}};
        const auto cursor = ShownCursor(board, part);
        shows["cursor"] = cursor ? Json::array({cursor->first, cursor->second}) : Json(nullptr);
        return shows;
    }
    }
    return Json::object();
}

std::string PartShowsText(const TLabBoard& board, const TBoardPart& part, uint64_t now) {
    switch (part.Kind) {
    case TPartKind::Led:
        return board.LampLit(part) ? "on" : "off";
    case TPartKind::Switch:
        return board.SwitchOn(part) ? "on" : "off";
    case TPartKind::Button:
        return board.ButtonHeld(part) ? "pressed" : "released";
    case TPartKind::Digit: {
        const uint8_t pattern = board.DigitPattern(part);
        const std::string letters = SegmentLetters(pattern);
        return Quote(DigitText(pattern)) + (letters.empty() ? "" : " " + letters);
    }
    case TPartKind::Display:
        return Quote(DisplayText(board, part, now));
    case TPartKind::Keypad:
        return Quote(HeldKeys(board, part));
    case TPartKind::Lcd: {
        std::string text;
        for (const std::string& line : LcdLines(board, part))
            text += (text.empty() ? "" : " ") + Quote(line);
        return text;
    }
    }
    return {};
}

Json BoardShowsJson(const TLabBoard& board, uint64_t now) {
    Json shows = Json::object();
    for (const TBoardPart& part : board.Parts())
        shows[part.Name] = PartShowsJson(board, part, now);
    return shows;
}

std::vector<std::string> BoardShowsText(const TLabBoard& board, uint64_t now) {
    std::vector<std::string> lines;
    for (const TBoardPart& part : board.Parts())
        lines.push_back("board " + part.Name + ": " + PartShowsText(board, part, now));
    return lines;
}

Json BoardConflictsJson(const TLabBoard& board) {
    Json list = Json::array();
    for (const TBoardConflict& c : board.Conflicts()) {
        Json pins = Json::array();
        for (int i = 0; i < 16; ++i)
            if (c.Pins & (1u << i)) pins.push_back(PinText(TPin::FromIndex(i)));
        list.push_back({{"pins", pins}, {"text", c.Text}});
    }
    return list;
}
